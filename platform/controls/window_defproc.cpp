// The default handling of messages that a window procedure passes on.
#include <algorithm>
#include <cstring>

#include "platform/controls/window_private.h"
#include "platform/host/host.h"

namespace vx::plat {

using namespace wm;

namespace {

bool Inside(const TRect& r, TPoint p) { return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom; }

LRESULT HitTest(const Window& w, TPoint screen) {
  const TRect wr = ScreenRect(w);
  if (!Inside(wr, screen)) return HTNOWHERE;
  const TPoint local{screen.x - wr.Left, screen.y - wr.Top};
  if (Inside(w.Client, local)) return HTCLIENT;
  const FrameLayout f = LayoutOf(w);
  if (f.Bars[SB_HORZ].Shown && Inside(f.Bars[SB_HORZ].Rect, local)) return HTHSCROLL;
  if (f.Bars[SB_VERT].Shown && Inside(f.Bars[SB_VERT].Rect, local)) return HTVSCROLL;
  if (f.HasSizeBox && Inside(f.SizeBox, local)) return HTSIZE;
  return HTBORDER;
}

LRESULT EraseWithClassBrush(Window& w, HDC dc) {
  if (!w.Class || !w.Class->Background || !dc) return 0;
  const RECT r{0, 0, w.ClientWidth(), w.ClientHeight()};
  FillRect(dc, &r, w.Class->Background);
  return 1;
}

LRESULT SetCursorDefault(Window& w, WPARAM wParam, LPARAM lParam) {
  // A parent may answer for its children first.
  if (w.Parent && SendMessageW(w.Parent->Handle, WM_SETCURSOR, wParam, lParam)) return TRUE;
  if (!Find(w.Handle)) return TRUE;
  const int hit = WParamLow(static_cast<WPARAM>(lParam));
  if (hit == HTCLIENT && w.Class && w.Class->Cursor) {
    SetCursor(w.Class->Cursor);
    return TRUE;
  }
  if (hit != HTCLIENT) {
    SetCursor(StandardCursor(TCursorShape::Arrow));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (r) *r = StandardClient(*r, w->Style, w->ExStyle);
      return 0;
    }
    case WM_NCHITTEST: return HitTest(*w, LParamToPoint(lParam));
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return EraseWithClassBrush(*w, reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR: return SetCursorDefault(*w, wParam, lParam);
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      const auto hit = static_cast<std::intptr_t>(wParam);
      if (hit == HTHSCROLL) StartScrollTracking(*w, SB_HORZ, LParamToPoint(lParam));
      if (hit == HTVSCROLL) StartScrollTracking(*w, SB_VERT, LParamToPoint(lParam));
      return 0;
    }
    case WM_MOUSEWHEEL:
      return w->Parent ? SendMessageW(w->Parent->Handle, msg, wParam, lParam) : 0;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const WCHAR*>(lParam);
      w->Text = text ? String(text) : String();
      if (!w->Parent) Host().WindowTextChanged(hwnd);
      ScreenChanged();
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      const auto room = static_cast<std::size_t>(wParam);
      if (!out || room == 0) return 0;
      const std::size_t n = std::min(room - 1, w->Text.size());
      std::memcpy(out, w->Text.data(), n * sizeof(WCHAR));
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->Text.size());
    default: return 0;
  }
}

}  // namespace vx::plat
