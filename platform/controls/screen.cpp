// The screen object.
#include "platform/controls/screen.h"

#include <algorithm>

#include "platform/controls/forms.h"
#include "platform/host/host.h"

namespace vx::plat {

VX_DEFINE_CLASS(TScreen, TComponent)

TScreen* const Screen = new TScreen(nullptr);

namespace {

TCursorShape StandardShape(int index) {
  switch (index) {
    case crDefault:
    case crArrow: return TCursorShape::Arrow;
    case crNone: return TCursorShape::None;
    case crCross: return TCursorShape::Cross;
    case crIBeam: return TCursorShape::IBeam;
    case crSizeNESW: return TCursorShape::SizeNESW;
    case crSizeNS: return TCursorShape::SizeNS;
    case crSizeNWSE: return TCursorShape::SizeNWSE;
    case crSizeWE: return TCursorShape::SizeWE;
    case crUpArrow: return TCursorShape::UpArrow;
    case crHourGlass:
    case crSQLWait: return TCursorShape::Wait;
    case crDrag: return TCursorShape::Drag;
    case crNoDrop: return TCursorShape::NoDrop;
    case crHSplit: return TCursorShape::HSplit;
    case crVSplit: return TCursorShape::VSplit;
    case crMultiDrag: return TCursorShape::MultiDrag;
    case crNo: return TCursorShape::No;
    case crAppStart: return TCursorShape::AppStarting;
    case crHelp: return TCursorShape::Help;
    case crHandPoint: return TCursorShape::Hand;
    case crSizeAll: return TCursorShape::SizeAll;
    default: return TCursorShape::Custom;
  }
}

}  // namespace

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

HCURSOR TScreen::Cursors(int Index) const {
  auto it = FCursors.find(Index);
  if (it != FCursors.end()) return it->second;
  if (Index == crDefault && FDefaultCursor) return FDefaultCursor;
  const TCursorShape shape = StandardShape(Index);
  if (shape != TCursorShape::Custom) return StandardCursor(shape);
  return FDefaultCursor ? FDefaultCursor : StandardCursor(TCursorShape::Arrow);
}

void TScreen::SetCursors(int Index, HCURSOR Cursor) {
  if (Index == crDefault) {
    FDefaultCursor = Cursor;
    return;
  }
  if (Cursor)
    FCursors[Index] = Cursor;
  else
    FCursors.erase(Index);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  if (Value != crDefault) {
    ::vx::plat::SetCursor(Cursors(Value));
    return;
  }
  // Back to the controls' own cursors: ask the window under the mouse.
  POINT p;
  GetCursorPos(&p);
  if (const HWND h = WindowFromPoint(p))
    SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
                 static_cast<LPARAM>(MakeWParam(static_cast<int>(SendMessageW(h, WM_NCHITTEST, 0, PointToLParam(p))),
                                                WM_MOUSEMOVE)));
  else
    ::vx::plat::SetCursor(Cursors(crDefault));
}

int TScreen::PixelsPerInch() const { return Host().PixelsPerInch(); }
int TScreen::Width() const { return Host().ScreenSize().cx; }
int TScreen::Height() const { return Host().ScreenSize().cy; }

TCustomForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) ListIndexError(Index);
  return FForms[static_cast<std::size_t>(Index)];
}

TCustomForm* TScreen::ActiveForm() const {
  const HWND active = GetActiveWindow();
  for (TCustomForm* f : FForms)
    if (active && f->HandleAllocated() && f->Handle() == active) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const { return FindControl(GetFocus()); }

void TScreen::AddForm(TCustomForm* Form) { FForms.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) { FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end()); }

}  // namespace vx::plat
