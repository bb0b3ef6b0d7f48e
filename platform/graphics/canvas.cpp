#include "platform/graphics/canvas.h"

#include "platform/graphics/graphic.h"

namespace vx::plat {

VX_DEFINE_CLASS(TCanvas, TPersistent)

void CanvasDoesNotAllowDrawing() { throw ECanvasError("Canvas does not allow drawing"); }

TCanvas::TCanvas()
    : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {
  FPen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  FBrush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  FFont->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::GetHandle() {
  RequiredState(csHandleValid);
  return FHandle;
}

void TCanvas::SetHandle(HDC value) {
  if (value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = value;
  FState = value ? csHandleValid : 0;
}

void TCanvas::RequiredState(std::uint8_t parts) {
  const std::uint8_t needed = parts & ~FState;
  if (!needed) return;
  if (needed & csHandleValid) {
    CreateHandle();
    if (!FHandle) CanvasDoesNotAllowDrawing();
  }
  if (needed & csPenValid) RealisePen();
  if (needed & csBrushValid) RealiseBrush();
  if (needed & csFontValid) RealiseFont();
}

void TCanvas::RealisePen() {
  FSelectedPen = FPen->GetHandle();
  SelectObject(FHandle, FSelectedPen);
  SetROP2(FHandle, PenModeToROP2(FPen->GetMode()));
  FState |= csPenValid;
}

void TCanvas::RealiseBrush() {
  FSelectedBrush = FBrush->GetHandle();
  SelectObject(FHandle, FSelectedBrush);
  // A solid brush is also the background of text and of dashed-pen gaps; any
  // other style lets what lies below show through.
  if (FBrush->GetStyle() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->GetColor()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState |= csBrushValid;
}

void TCanvas::RealiseFont() {
  FSelectedFont = FFont->GetHandle();
  SelectObject(FHandle, FSelectedFont);
  SetTextColor(FHandle, ColorToRGB(FFont->GetColor()));
  FState |= csFontValid;
}

void TCanvas::Unrealise(TCanvasState part, HGDIOBJ& selected, int stock) {
  if (!(FState & part)) return;
  FState &= std::uint8_t(~part);
  if (FHandle && selected) {
    const UINT kind = part == csPenValid ? OBJ_PEN : part == csBrushValid ? OBJ_BRUSH : OBJ_FONT;
    // Code may have selected its own object meanwhile: that one stays.
    if (GetCurrentObject(FHandle, kind) == selected) SelectObject(FHandle, GetStockObject(stock));
  }
  selected = nullptr;
}

void TCanvas::DeselectHandles() {
  Unrealise(csPenValid, FSelectedPen, BLACK_PEN);
  Unrealise(csBrushValid, FSelectedBrush, HOLLOW_BRUSH);
  Unrealise(csFontValid, FSelectedFont, SYSTEM_FONT);
}

void TCanvas::PenChanged(TObject*) { Unrealise(csPenValid, FSelectedPen, BLACK_PEN); }
void TCanvas::BrushChanged(TObject*) { Unrealise(csBrushValid, FSelectedBrush, HOLLOW_BRUSH); }
void TCanvas::FontChanged(TObject*) { Unrealise(csFontValid, FSelectedFont, SYSTEM_FONT); }

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

bool TCanvas::TryLock() {
  if (FLockCount > 0) return false;
  Lock();
  return true;
}

TPoint TCanvas::GetPenPos() {
  RequiredState(csHandleValid);
  TPoint p;
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState(csHandleValid);
  MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::LineTo(FHandle, x, y);
  Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Polyline(FHandle, points.data(), int(points.size()));
  Changed();
}

void TCanvas::PolyBezier(std::span<const TPoint> points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::PolyBezier(FHandle, points.data(), DWORD(points.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Polygon(FHandle, points.data(), int(points.size()));
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState(csHandleValid | csPenValid | csBrushValid);
  plat::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  plat::FillRect(FHandle, &r, FBrush->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState(csHandleValid | csBrushValid);
  plat::FrameRect(FHandle, &r, FBrush->GetHandle());
  Changed();
}

void TCanvas::TextOut(int x, int y, const String& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  TextOutW(FHandle, x, y, text.data(), int(text.size()));
  SIZE extent{};
  GetTextExtentPoint32W(FHandle, text.data(), int(text.size()), &extent);
  MoveToEx(FHandle, x + extent.cx, y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED;
  if (FBrush->GetStyle() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutW(FHandle, x, y, options, &r, text.data(), UINT(text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  RequiredState(csHandleValid | csFontValid);
  SIZE extent{};
  GetTextExtentPoint32W(FHandle, text.data(), int(text.size()), &extent);
  return extent;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  StretchDraw(Rect(x, y, x + graphic->GetWidth(), y + graphic->GetHeight()), graphic);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  RequiredState(csHandleValid);
  graphic->Draw(*this, r);
  Changed();
}

TColor TCanvas::GetPixels(int x, int y) {
  RequiredState(csHandleValid);
  const COLORREF c = GetPixel(FHandle, x, y);
  return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState(csHandleValid | csPenValid);
  SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source) {
  Changing();
  RequiredState(csHandleValid | csFontValid | csBrushValid);
  HDC src = canvas.GetHandle();
  StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
             source.Width(), source.Height(), FCopyMode);
  Changed();
}

TRect TCanvas::GetClipRect() {
  RequiredState(csHandleValid);
  TRect r;
  GetClipBox(FHandle, &r);
  return r;
}

}  // namespace vx::plat
