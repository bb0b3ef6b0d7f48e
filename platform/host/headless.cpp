// The headless host.
#include "platform/host/headless.h"

#include <algorithm>
#include <iostream>

#include "platform/controls/application.h"
#include "platform/core/exceptions.h"
#include "platform/imaging/png.h"

namespace vx::plat {

THeadlessHost::THeadlessHost() { FScreen = imaging::Image(FScreenSize.cx, FScreenSize.cy); }

std::uint32_t THeadlessHost::TickCount() {
  FClock += FClockStep;
  return FClock;
}

bool THeadlessHost::WaitEvents(std::uint32_t timeoutMs) {
  if (timeoutMs != kWaitForever) {
    FClock += timeoutMs;
    return true;
  }
  return FIdleScript && FIdleScript();
}

void THeadlessHost::ShowMessage(const String& title, const String& text) {
  FMessages.push_back(text);
  std::cerr << StringToUtf8(title) << ": " << StringToUtf8(text) << '\n';
}

void THeadlessHost::SetScreenSize(int width, int height) {
  FScreenSize = TSize{std::clamp(width, 1, 16384), std::clamp(height, 1, 16384)};
  FScreen = imaging::Image(FScreenSize.cx, FScreenSize.cy);
  FComposedAt = 0;
}

const imaging::Image& THeadlessHost::ScreenImage() {
  if (FComposedAt != ScreenGeneration()) {
    TPixelView view;
    view.Pixels = FScreen.Pixels.data();
    view.Width = FScreen.Width;
    view.Height = FScreen.Height;
    view.Stride = FScreen.Width;
    ComposeScreen(view, TPoint{0, 0}, ColorToRGB(FDesktop));
    FComposedAt = ScreenGeneration();
  }
  return FScreen;
}

TColor THeadlessHost::ScreenPixel(int x, int y) {
  const imaging::Image& image = ScreenImage();
  if (x < 0 || y < 0 || x >= image.Width || y >= image.Height) return clNone;
  const std::uint32_t p = image.Pixel(x, y);
  return RGB(imaging::PixelRed(p), imaging::PixelGreen(p), imaging::PixelBlue(p));
}

void THeadlessHost::SaveScreen(const std::string& fileName) {
  imaging::WritePngFile(fileName, ScreenImage(), imaging::TPngChannels::pcRgb);
}

void THeadlessHost::SaveScreen(const std::string& fileName, const TRect& area) {
  const imaging::Image& screen = ScreenImage();
  const TRect r{std::max(0, area.Left), std::max(0, area.Top), std::min(screen.Width, area.Right),
                std::min(screen.Height, area.Bottom)};
  if (r.IsEmpty()) throw Exception("The area to save lies outside the screen");
  imaging::Image part(r.Width(), r.Height());
  for (int y = 0; y < r.Height(); ++y)
    std::copy_n(screen.Row(r.Top + y) + r.Left, r.Width(), part.Row(y));
  imaging::WritePngFile(fileName, part, imaging::TPngChannels::pcRgb);
}

void THeadlessHost::MoveMouse(TPoint screen) { InjectMouseMove(screen); }

void THeadlessHost::PressButton(TMouseButton button, TPoint screen) {
  InjectMouseButton(button, TKeyAction::Press, screen);
}

void THeadlessHost::ReleaseButton(TMouseButton button, TPoint screen) {
  InjectMouseButton(button, TKeyAction::Release, screen);
}

void THeadlessHost::HoldModifiers(TShiftState shift, TKeyAction action) {
  const std::pair<TShiftStateItem, std::uint16_t> keys[] = {{ssShift, VK_SHIFT}, {ssCtrl, VK_CONTROL}, {ssAlt, VK_MENU}};
  for (const auto& [item, vk] : keys)
    if (shift.Contains(item)) InjectKey(vk, action);
}

void THeadlessHost::Click(TMouseButton button, TPoint screen, TShiftState shift) {
  HoldModifiers(shift, TKeyAction::Press);
  PressButton(button, screen);
  ReleaseButton(button, screen);
  HoldModifiers(shift, TKeyAction::Release);
}

void THeadlessHost::DoubleClick(TMouseButton button, TPoint screen, TShiftState shift) {
  HoldModifiers(shift, TKeyAction::Press);
  PressButton(button, screen);
  ReleaseButton(button, screen);
  PressButton(button, screen);
  ReleaseButton(button, screen);
  HoldModifiers(shift, TKeyAction::Release);
}

void THeadlessHost::Drag(TMouseButton button, TPoint from, TPoint to, int steps) {
  steps = std::max(1, steps);
  PressButton(button, from);
  for (int i = 1; i <= steps; ++i) {
    const TPoint p{from.x + static_cast<int>(std::int64_t{to.x - from.x} * i / steps),
                   from.y + static_cast<int>(std::int64_t{to.y - from.y} * i / steps)};
    MoveMouse(p);
  }
  ReleaseButton(button, to);
}

void THeadlessHost::Wheel(int delta, TPoint screen) { InjectMouseWheel(delta, screen); }

void THeadlessHost::PressKey(std::uint16_t virtualKey) { InjectKey(virtualKey, TKeyAction::Press); }

void THeadlessHost::ReleaseKey(std::uint16_t virtualKey) { InjectKey(virtualKey, TKeyAction::Release); }

void THeadlessHost::TypeKey(std::uint16_t virtualKey, char16_t ch, TShiftState shift) {
  HoldModifiers(shift, TKeyAction::Press);
  PressKey(virtualKey);
  if (ch) InjectChar(ch);
  ReleaseKey(virtualKey);
  HoldModifiers(shift, TKeyAction::Release);
}

void THeadlessHost::TypeText(const String& text) {
  for (char16_t c : text) InjectChar(c);
}

void THeadlessHost::ResizeWindow(HWND window, int width, int height) { HostResizeWindow(window, width, height); }

void THeadlessHost::MoveWindowTo(HWND window, int x, int y) { HostMoveWindow(window, x, y); }

void THeadlessHost::CloseWindow(HWND window) { HostCloseWindow(window); }

void THeadlessHost::RunUntilIdle() { ProcessPendingMessages(); }

THeadlessHost& HeadlessHost() {
  if (!HostChosen()) SelectHost("headless");
  auto* headless = dynamic_cast<THeadlessHost*>(&Host());
  if (!headless) throw Exception(std::string("The headless host is not in use (the host is ") + Host().Name() + ")");
  return *headless;
}

}  // namespace vx::plat
