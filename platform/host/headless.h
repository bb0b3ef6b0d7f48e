// The headless host: a virtual screen on which visible top-level windows are
// composed, a fake clock, and input injected by code. Tests and batch runs
// drive programs with it:
//
//   THeadlessHost& host = HeadlessHost();
//   host.Click(mbLeft, box->ClientToScreen(Point(10, 10)), {ssShift});
//   host.RunUntilIdle();
//   EXPECT_EQ(host.ScreenPixel(x, y), clRed);
//
// The clock only moves when asked (AdvanceClock), when the message loop
// waits for a timer (time jumps to it), and by ClockStep on every
// GetTickCount call, so loops that wait for the time to pass end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/host_link.h"
#include "platform/controls/messages.h"
#include "platform/host/host.h"
#include "platform/imaging/image.h"

namespace vx::plat {

class THeadlessHost : public THost {
public:
  THeadlessHost();

  const char* Name() const override { return "headless"; }
  std::uint32_t Now() override { return FClock; }
  // Advances the clock by ClockStep first.
  std::uint32_t TickCount() override;
  TSize ScreenSize() const override { return FScreenSize; }
  // Jumps the clock to the timeout; with no timeout runs the idle script,
  // and reports that nothing can arrive when there is none (or it is done).
  bool WaitEvents(std::uint32_t timeoutMs) override;
  void CursorChanged(HCURSOR cursor) override { FCursor = cursor; }
  void ShowMessage(const String& title, const String& text) override;

  // --- the clock ---
  std::uint32_t Clock() const { return FClock; }
  void AdvanceClock(std::uint32_t ms) { FClock += ms; }
  // Milliseconds each GetTickCount call adds (1 when new; 0 freezes the clock).
  void SetClockStep(std::uint32_t ms) { FClockStep = ms; }

  // --- the screen ---
  // Width x height pixels (1024 x 768 when new).
  void SetScreenSize(int width, int height);
  // The composed screen (cached until something changes).
  const imaging::Image& ScreenImage();
  // The colour at a screen pixel (0x00BBGGRR as TColor), clNone outside.
  TColor ScreenPixel(int x, int y);
  // Saves the screen (or a part of it) as a PNG file.
  void SaveScreen(const std::string& fileName);
  void SaveScreen(const std::string& fileName, const TRect& area);
  // The desktop colour behind the windows.
  void SetDesktopColor(TColor color) { FDesktop = color; FComposedAt = 0; }

  // --- input (queued; RunUntilIdle or the program's loop delivers it) ---
  void MoveMouse(TPoint screen);
  void PressButton(TMouseButton button, TPoint screen);
  void ReleaseButton(TMouseButton button, TPoint screen);
  // Press and release; the modifier keys of `shift` (ssShift, ssCtrl, ssAlt)
  // are held around it.
  void Click(TMouseButton button, TPoint screen, TShiftState shift = {});
  // Two clicks at the same point at the same time: a double click.
  void DoubleClick(TMouseButton button, TPoint screen, TShiftState shift = {});
  // Press, move along to `to` in `steps` moves, release.
  void Drag(TMouseButton button, TPoint from, TPoint to, int steps = 4);
  void Wheel(int delta, TPoint screen);
  void PressKey(std::uint16_t virtualKey);
  void ReleaseKey(std::uint16_t virtualKey);
  // Press and release, with the character it types (0: none) in between;
  // modifiers of `shift` are held around it.
  void TypeKey(std::uint16_t virtualKey, char16_t ch = 0, TShiftState shift = {});
  // Types every character (as WM_CHAR only).
  void TypeText(const String& text);
  // The user resizes, moves or closes a top-level window.
  void ResizeWindow(HWND window, int width, int height);
  void MoveWindowTo(HWND window, int x, int y);
  void CloseWindow(HWND window);

  // Processes every message that is waiting (input, paints, due timers).
  void RunUntilIdle();

  // --- what the program did ---
  HCURSOR ShownCursor() const { return FCursor; }
  const std::vector<String>& ShownMessages() const { return FMessages; }
  void ClearShownMessages() { FMessages.clear(); }
  // Called when the loop would wait with nothing to do: it may inject input
  // and returns whether it did; false lets a waiting loop give up.
  void SetIdleScript(std::function<bool()> script) { FIdleScript = std::move(script); }

private:
  void HoldModifiers(TShiftState shift, TKeyAction action);

  std::uint32_t FClock = 1000000;
  std::uint32_t FClockStep = 1;
  TSize FScreenSize{1024, 768};
  TColor FDesktop = RGB(0, 128, 128);
  imaging::Image FScreen;
  std::uint64_t FComposedAt = 0;
  HCURSOR FCursor = nullptr;
  std::vector<String> FMessages;
  std::function<bool()> FIdleScript;
};

// The headless host in use (choosing it if no host was chosen yet); raises
// Exception when another host runs.
THeadlessHost& HeadlessHost();

}  // namespace vx::plat
