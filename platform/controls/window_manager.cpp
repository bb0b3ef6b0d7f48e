// Windows: classes, creation and destruction, styles, the window tree,
// position and size, visibility and enabling, window text, and the
// non-client frame (border and scroll bars) that sets the client area.
#include <algorithm>
#include <cstring>

#include "platform/controls/window_private.h"
#include "platform/core/unicode.h"
#include "platform/host/host.h"

namespace vx::plat::wm {

State& S() {
  // Never destroyed: windows may still be torn down by static destructors elsewhere.
  static State* state = new State();
  return *state;
}

Window* Find(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& windows = S().Windows;
  auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

void ScreenChanged() {
  ++S().Generation;
  Host().ScreenChanged();
}

DWORD Now() { return Host().Now(); }

TSize ScreenSize() { return Host().ScreenSize(); }

bool Rgn::Empty() const {
  RECT box;
  return GetRgnBox(FHandle, &box) == NULLREGION;
}

TRect Rgn::Box() const {
  RECT box{};
  GetRgnBox(FHandle, &box);
  return box;
}

LRESULT CallProc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND h = w.Handle;
  if (w.Proc) {
    TWindowProc proc = w.Proc;  // a copy: the procedure may replace itself
    return proc(h, msg, wParam, lParam);
  }
  if (w.Class && w.Class->Proc) return w.Class->Proc(h, msg, wParam, lParam);
  return DefWindowProcW(h, msg, wParam, lParam);
}

TPoint ClientOriginOnScreen(const Window& w) {
  TPoint p{w.Rect.Left + w.Client.Left, w.Rect.Top + w.Client.Top};
  if (w.Parent) {
    const TPoint o = ClientOriginOnScreen(*w.Parent);
    p.x += o.x;
    p.y += o.y;
  }
  return p;
}

TRect ScreenRect(const Window& w) {
  TPoint o{};
  if (w.Parent) o = ClientOriginOnScreen(*w.Parent);
  return TRect{w.Rect.Left + o.x, w.Rect.Top + o.y, w.Rect.Right + o.x, w.Rect.Bottom + o.y};
}

bool VisibleChain(const Window& w) {
  for (const Window* p = &w; p; p = p->Parent)
    if (!(p->Style & WS_VISIBLE) || p->Destroying) return false;
  return true;
}

bool EnabledChain(const Window& w) {
  for (const Window* p = &w; p; p = p->Parent)
    if (p->Style & WS_DISABLED) return false;
  return true;
}

bool IsInSubtree(HWND hwnd, const Window& root) {
  for (const Window* p = Find(hwnd); p; p = p->Parent)
    if (p == &root) return true;
  return false;
}

namespace {

bool Contains(const TRect& r, TPoint p) { return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom; }

Window* HitChildren(Window& parent, TPoint screen, bool skipDisabled) {
  const TPoint origin = ClientOriginOnScreen(parent);
  const TPoint local{screen.x - origin.x, screen.y - origin.y};
  if (!Contains(TRect{0, 0, parent.ClientWidth(), parent.ClientHeight()}, local)) return &parent;
  for (auto it = parent.Children.rbegin(); it != parent.Children.rend(); ++it) {
    Window& c = **it;
    if (!(c.Style & WS_VISIBLE) || !Contains(c.Rect, local)) continue;
    if (skipDisabled && (c.Style & WS_DISABLED)) continue;
    return HitChildren(c, screen, skipDisabled);
  }
  return &parent;
}

}  // namespace

Window* HitWindow(TPoint screen, bool skipDisabled) {
  auto& tops = S().TopLevels;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    Window& w = **it;
    if (!(w.Style & WS_VISIBLE) || !Contains(ScreenRect(w), screen)) continue;
    if (skipDisabled && (w.Style & WS_DISABLED)) return nullptr;  // input to a disabled window is dropped
    return HitChildren(w, screen, skipDisabled);
  }
  return nullptr;
}

// --- frame -------------------------------------------------------------------

int BorderWidth(DWORD style, DWORD exStyle) {
  int b = 0;
  if (style & WS_THICKFRAME)
    b = 4;
  else if (style & (WS_BORDER | WS_DLGFRAME))
    b = 1;
  if (exStyle & WS_EX_CLIENTEDGE) b += 2;
  return b;
}

TRect StandardClient(const TRect& r, DWORD style, DWORD exStyle) {
  const int b = BorderWidth(style, exStyle);
  TRect c{r.Left + b, r.Top + b, r.Right - b, r.Bottom - b};
  if (style & WS_VSCROLL) c.Right -= kScrollBarThickness;
  if (style & WS_HSCROLL) c.Bottom -= kScrollBarThickness;
  c.Right = std::max(c.Right, c.Left);
  c.Bottom = std::max(c.Bottom, c.Top);
  return c;
}

FrameLayout LayoutOf(const Window& w) {
  FrameLayout f;
  const int width = w.Rect.Width(), height = w.Rect.Height();
  f.Border = BorderWidth(w.Style, w.ExStyle);
  f.Client = w.Client;
  const int b = f.Border;
  const bool h = (w.Style & WS_HSCROLL) != 0, v = (w.Style & WS_VSCROLL) != 0;
  const int t = kScrollBarThickness;
  const int innerRight = std::max(b, width - b), innerBottom = std::max(b, height - b);
  const TRect hRect{b, std::max(b, innerBottom - t), std::max(b, innerRight - (v ? t : 0)), innerBottom};
  const TRect vRect{std::max(b, innerRight - t), b, innerRight, std::max(b, innerBottom - (h ? t : 0))};
  f.Bars[SB_HORZ] = BarGeometryOf(w, SB_HORZ, hRect, h);
  f.Bars[SB_VERT] = BarGeometryOf(w, SB_VERT, vRect, v);
  f.HasSizeBox = h && v;
  f.SizeBox = TRect{vRect.Left, hRect.Top, vRect.Right, hRect.Bottom};
  return f;
}

bool RecalcFrame(Window& w) {
  const int oldW = w.ClientWidth(), oldH = w.ClientHeight();
  RECT rc = w.Rect;
  CallProc(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rc));
  Window* again = Find(w.Handle);
  if (!again) return false;
  // Keep the client inside the window whatever the handler answered.
  rc.Left = std::clamp(rc.Left, w.Rect.Left, w.Rect.Right);
  rc.Right = std::clamp(rc.Right, rc.Left, w.Rect.Right);
  rc.Top = std::clamp(rc.Top, w.Rect.Top, w.Rect.Bottom);
  rc.Bottom = std::clamp(rc.Bottom, rc.Top, w.Rect.Bottom);
  w.Client = TRect{rc.Left - w.Rect.Left, rc.Top - w.Rect.Top, rc.Right - w.Rect.Left, rc.Bottom - w.Rect.Top};
  ScreenChanged();
  const int newW = w.ClientWidth(), newH = w.ClientHeight();
  if (newW == oldW && newH == oldH) return false;
  ResizeSurface(w);
  const UINT cs = w.Class ? w.Class->Style : 0;
  if (((cs & CS_HREDRAW) && newW != oldW) || ((cs & CS_VREDRAW) && newH != oldH)) {
    AddUpdateRect(w, TRect{0, 0, newW, newH}, true);
  } else {
    if (newW > oldW) AddUpdateRect(w, TRect{oldW, 0, newW, newH}, true);
    if (newH > oldH) AddUpdateRect(w, TRect{0, oldH, newW, newH}, true);
  }
  SendSize(w.Handle);
  return true;
}

void SendSize(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, PointToLParam(TPoint{w->ClientWidth(), w->ClientHeight()}));
}

void ForgetSubtree(const Window& w) {
  State& s = S();
  if (s.Track.Active() && IsInSubtree(s.Track.Window, w)) EndScrollTracking();
  if (s.Focus && IsInSubtree(s.Focus, w)) SetFocus(nullptr);
  if (s.Capture && IsInSubtree(s.Capture, w)) ReleaseCapture();
  if (s.Active && IsInSubtree(s.Active, w)) s.Active = nullptr;
}

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

// --- classes -------------------------------------------------------------------

namespace {

std::shared_ptr<const WindowClass> FindClassNamed(const WCHAR* name) {
  if (!name) return nullptr;
  const std::u16string_view n(name);
  for (auto& c : S().Classes)
    if (SameText(c->Name, n)) return c;
  return nullptr;
}

}  // namespace

BOOL RegisterClassW(const WNDCLASSW* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || !*wndClass->lpszClassName) return FALSE;
  if (FindClassNamed(wndClass->lpszClassName)) return FALSE;
  auto c = std::make_shared<WindowClass>();
  c->Name = wndClass->lpszClassName;
  c->Style = wndClass->style;
  c->Proc = wndClass->lpfnWndProc;
  c->Cursor = wndClass->hCursor;
  c->Background = wndClass->hbrBackground;
  S().Classes.push_back(std::move(c));
  return TRUE;
}

BOOL UnregisterClassW(const WCHAR* className) {
  auto c = FindClassNamed(className);
  if (!c) return FALSE;
  auto& v = S().Classes;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
  return TRUE;
}

BOOL GetClassInfoW(const WCHAR* className, WNDCLASSW* wndClass) {
  auto c = FindClassNamed(className);
  if (!c || !wndClass) return FALSE;
  wndClass->style = c->Style;
  wndClass->lpfnWndProc = c->Proc;
  wndClass->hCursor = c->Cursor;
  wndClass->hbrBackground = c->Background;
  wndClass->lpszClassName = c->Name.c_str();
  return TRUE;
}

// --- creation and destruction ---------------------------------------------------

namespace {

void Unlink(Window& w) {
  auto& siblings = w.Parent ? w.Parent->Children : S().TopLevels;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), &w), siblings.end());
}

void FreeResources(Window& w) {
  if (w.Dc) DeleteDC(w.Dc);
  if (w.Bitmap) DeleteObject(w.Bitmap);
  w.Dc = nullptr;
  w.Bitmap = nullptr;
  w.Update.reset();
}

void RemoveQueued(HWND hwnd) {
  auto& q = S().Queue;
  q.erase(std::remove_if(q.begin(), q.end(), [&](const QueueEntry& e) { return !e.IsInput && e.Msg.hwnd == hwnd; }),
          q.end());
  auto& timers = S().Timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.Window == hwnd; }),
               timers.end());
  if (S().Click.Window == hwnd) S().Click.Valid = false;
}

void DestroyTree(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  std::vector<HWND> children;
  for (Window* c : w->Children) children.push_back(c->Handle);
  for (HWND c : children) DestroyTree(c);
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  // Children that a handler created meanwhile go too.
  while (!w->Children.empty()) DestroyTree(w->Children.back()->Handle);
  const bool topLevel = !w->Parent;
  Unlink(*w);
  FreeResources(*w);
  RemoveQueued(hwnd);
  S().Windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
  if (topLevel) Host().WindowDestroyed(hwnd);
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, const WCHAR* className, const WCHAR* windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* param) {
  auto cls = FindClassNamed(className);
  if (!cls) return nullptr;
  Window* parentWindow = nullptr;
  if (parent) {
    parentWindow = Find(parent);
    if (!parentWindow || parentWindow->Destroying) return nullptr;
  }
  State& s = S();
  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.Handle = reinterpret_cast<HWND>(s.NextHandle);
  s.NextHandle += 4;
  w.Class = cls;
  w.Parent = parentWindow;
  w.Style = style & ~WS_VISIBLE;
  w.ExStyle = exStyle;
  w.Rect = TRect{x, y, x + std::max(0, width), y + std::max(0, height)};
  if (windowName) w.Text = windowName;
  w.Update = std::make_unique<Rgn>();
  const HWND h = w.Handle;
  s.Windows.emplace(reinterpret_cast<std::uintptr_t>(h), std::move(owned));
  (parentWindow ? parentWindow->Children : s.TopLevels).push_back(&w);

  // The window's own context over its client surface; level 1 of its saved
  // states is the pristine state that ResetDc returns to.
  w.Dc = CreateCompatibleDC(nullptr);
  w.Client = StandardClient(TRect{0, 0, w.Rect.Width(), w.Rect.Height()}, w.Style, w.ExStyle);
  ResizeSurface(w);
  SaveDC(w.Dc);

  CREATESTRUCTW cs;
  cs.lpCreateParams = param;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = style;
  cs.dwExStyle = exStyle;
  cs.lpszName = windowName;
  cs.lpszClass = cls->Name.c_str();
  cs.hwndParent = parent;
  if (!SendMessageW(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyTree(h);
    return nullptr;
  }
  if (Window* again = Find(h)) {
    RecalcFrame(*again);
  } else {
    return nullptr;
  }
  if (SendMessageW(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyTree(h);
    return nullptr;
  }
  if (!Find(h)) return nullptr;
  SendSize(h);
  if (Window* again = Find(h)) SendMessageW(h, WM_MOVE, 0, PointToLParam(TPoint{again->Rect.Left, again->Rect.Top}));
  if ((style & WS_VISIBLE) && Find(h)) ShowWindow(h, SW_SHOW);
  return Find(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (w->Destroying) return TRUE;
  std::vector<Window*> stack{w};
  while (!stack.empty()) {
    Window* x = stack.back();
    stack.pop_back();
    x->Destroying = true;
    for (Window* c : x->Children) stack.push_back(c);
  }
  ForgetSubtree(*w);
  const bool wasVisible = (w->Style & WS_VISIBLE) != 0;
  if (wasVisible && !w->Parent) Host().WindowHidden(hwnd);
  DestroyTree(hwnd);
  ScreenChanged();
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) != nullptr; }

TWindowProc SetWindowProc(HWND hwnd, TWindowProc proc) {
  Window* w = Find(hwnd);
  if (!w) return {};
  TWindowProc previous = std::move(w->Proc);
  w->Proc = std::move(proc);
  return previous;
}

// --- styles and the tree -----------------------------------------------------------

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(w->Style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->ExStyle);
    case GWLP_USERDATA: return w->UserData;
    case GWLP_ID: return w->Id;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: {
      const DWORD old = w->Style;
      const DWORD next = static_cast<DWORD>(value);
      w->Style = (next & ~(WS_VISIBLE | WS_DISABLED)) | (old & (WS_VISIBLE | WS_DISABLED));
      RecalcFrame(*w);
      if ((next ^ old) & WS_DISABLED) EnableWindow(hwnd, (next & WS_DISABLED) ? FALSE : TRUE);
      if ((next ^ old) & WS_VISIBLE) ShowWindow(hwnd, (next & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
      return static_cast<LONG_PTR>(old);
    }
    case GWL_EXSTYLE: {
      const DWORD old = w->ExStyle;
      w->ExStyle = static_cast<DWORD>(value);
      RecalcFrame(*w);
      return static_cast<LONG_PTR>(old);
    }
    case GWLP_USERDATA: std::swap(w->UserData, value); return value;
    case GWLP_ID: std::swap(w->Id, value); return value;
    default: return 0;
  }
}

HWND GetParent(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && w->Parent ? w->Parent->Handle : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = Find(child);
  if (!w) return nullptr;
  Window* p = newParent ? Find(newParent) : nullptr;
  if (newParent && !p) return nullptr;
  for (Window* a = p; a; a = a->Parent)
    if (a == w) return nullptr;  // a window cannot become its own descendant
  const HWND old = w->Parent ? w->Parent->Handle : nullptr;
  const bool wasTop = !w->Parent, visible = (w->Style & WS_VISIBLE) != 0;
  Unlink(*w);
  w->Parent = p;
  (p ? p->Children : S().TopLevels).push_back(w);
  if (wasTop && p && visible) Host().WindowHidden(child);
  if (!wasTop && !p && visible) Host().WindowShown(child);
  ScreenChanged();
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  if (flags == GA_PARENT) return w->Parent ? w->Parent->Handle : nullptr;
  while (w->Parent) w = w->Parent;
  return w->Handle;
}

std::vector<HWND> GetChildWindows(HWND parent) {
  std::vector<HWND> out;
  if (parent) {
    Window* p = Find(parent);
    if (!p) return out;
    for (Window* c : p->Children) out.push_back(c->Handle);
  } else {
    for (Window* c : S().TopLevels) out.push_back(c->Handle);
  }
  return out;
}

// --- visibility and enabling --------------------------------------------------------

BOOL ShowWindow(HWND hwnd, int cmd) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const bool wasVisible = (w->Style & WS_VISIBLE) != 0;
  const bool show = cmd != SW_HIDE;
  if (show == wasVisible) return wasVisible ? TRUE : FALSE;
  if (show) {
    w->Style |= WS_VISIBLE;
    SendMessageW(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (Window* again = Find(hwnd)) {
      AddUpdateRect(*again, TRect{0, 0, again->ClientWidth(), again->ClientHeight()}, true);
      if (!again->Parent) {
        Host().WindowShown(hwnd);
        if (cmd == SW_SHOW || cmd == SW_SHOWNORMAL) SetActiveWindow(hwnd);
      }
    }
  } else {
    SendMessageW(hwnd, WM_SHOWWINDOW, FALSE, 0);
    if (Window* again = Find(hwnd)) {
      ForgetSubtree(*again);
      again->Style &= ~WS_VISIBLE;
      if (!again->Parent) Host().WindowHidden(hwnd);
    }
  }
  ScreenChanged();
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && VisibleChain(*w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->Style &= ~WS_DISABLED;
    SendMessageW(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    ForgetSubtree(*w);
    if (Window* again = Find(hwnd)) {
      again->Style |= WS_DISABLED;
      SendMessageW(hwnd, WM_ENABLE, FALSE, 0);
    }
  }
  ScreenChanged();
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && !(w->Style & WS_DISABLED) ? TRUE : FALSE;
}

// --- position and size ------------------------------------------------------------

namespace {

void Restack(Window& w, HWND insertAfter) {
  auto& siblings = w.Parent ? w.Parent->Children : S().TopLevels;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), &w), siblings.end());
  if (insertAfter == HWND_TOP) {
    siblings.push_back(&w);
  } else if (insertAfter == HWND_BOTTOM) {
    siblings.insert(siblings.begin(), &w);
  } else {
    Window* above = Find(insertAfter);
    auto it = std::find(siblings.begin(), siblings.end(), above);
    siblings.insert(it == siblings.end() ? siblings.end() : it, &w);
  }
}

// Applies new bounds; `fromHost` keeps the host from being told back.
void ApplyBounds(Window& w, const TRect& r, bool fromHost) {
  const HWND h = w.Handle;
  const TRect old = w.Rect;
  w.Rect = r;
  const bool sized = old.Width() != r.Width() || old.Height() != r.Height();
  const bool moved = old.Left != r.Left || old.Top != r.Top;
  if (!w.Parent && !fromHost && (sized || moved)) Host().WindowBoundsChanged(h);
  if (sized) {
    const bool clientChanged = RecalcFrame(w);
    if (!clientChanged && Find(h)) SendSize(h);
  }
  if (moved && Find(h)) SendMessageW(h, WM_MOVE, 0, PointToLParam(TPoint{r.Left, r.Top}));
  ScreenChanged();
}

}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (!(flags & SWP_NOZORDER)) Restack(*w, insertAfter);
  TRect r = w->Rect;
  if (!(flags & SWP_NOMOVE)) r = TRect{x, y, x + r.Width(), y + r.Height()};
  if (!(flags & SWP_NOSIZE)) r.Right = r.Left + std::max(0, cx), r.Bottom = r.Top + std::max(0, cy);
  ApplyBounds(*w, r, false);
  if ((flags & SWP_FRAMECHANGED) && Find(hwnd)) RecalcFrame(*Find(hwnd));
  if ((flags & SWP_SHOWWINDOW) && Find(hwnd)) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if ((flags & SWP_HIDEWINDOW) && Find(hwnd)) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = ScreenRect(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = TRect{0, 0, w->ClientWidth(), w->ClientHeight()};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const TPoint o = ClientOriginOnScreen(*w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const TPoint o = ClientOriginOnScreen(*w);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  TPoint a{}, b{};
  if (from) {
    Window* w = Find(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(*w);
  }
  if (to) {
    Window* w = Find(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(*w);
  }
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return (dx & 0xFFFF) | (dy << 16);
}

HWND WindowFromPoint(POINT point) {
  Window* w = HitWindow(point, true);
  return w ? w->Handle : nullptr;
}

// --- text -------------------------------------------------------------------------

BOOL SetWindowTextW(HWND hwnd, const WCHAR* text) {
  if (!Find(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, WCHAR* text, int maxCount) {
  if (!Find(hwnd) || !text || maxCount <= 0) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!Find(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// --- for hosts --------------------------------------------------------------------

void HostResizeWindow(HWND hwnd, int width, int height) {
  Window* w = Find(hwnd);
  if (!w || w->Parent) return;
  ApplyBounds(*w, TRect{w->Rect.Left, w->Rect.Top, w->Rect.Left + std::max(0, width), w->Rect.Top + std::max(0, height)},
              true);
}

void HostMoveWindow(HWND hwnd, int x, int y) {
  Window* w = Find(hwnd);
  if (!w || w->Parent) return;
  ApplyBounds(*w, TRect{x, y, x + w->Rect.Width(), y + w->Rect.Height()}, true);
}

void HostCloseWindow(HWND hwnd) {
  if (Find(hwnd)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void HostActivateWindow(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w || w->Parent) return;
  S().Active = hwnd;
}

std::vector<HWND> TopLevelWindows() { return GetChildWindows(nullptr); }

HWND GetActiveWindow() { return Find(S().Active) ? S().Active : nullptr; }

HWND SetActiveWindow(HWND hwnd) {
  State& s = S();
  const HWND previous = GetActiveWindow();
  Window* w = Find(hwnd);
  if (!w) return previous;
  while (w->Parent) w = w->Parent;
  if (w->Handle == previous) return previous;
  s.Active = w->Handle;
  Restack(*w, HWND_TOP);
  if (previous) SendMessageW(previous, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(w->Handle));
  SendMessageW(w->Handle, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(previous));
  Host().WindowActivated(w->Handle);
  ScreenChanged();
  return previous;
}

}  // namespace vx::plat
