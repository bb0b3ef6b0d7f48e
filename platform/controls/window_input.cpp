// Input: raw input from the host, routed to windows when the loop takes it
// (capture, hit test, double clicks, key state), the keyboard focus, mouse
// capture, the cursor position and its confinement, and the shown cursor.
#include <algorithm>
#include <cstdlib>

#include "platform/controls/window_private.h"
#include "platform/host/host.h"

namespace vx::plat::wm {

namespace {

std::uint16_t ButtonKey(TMouseButton b) {
  switch (b) {
    case mbLeft: return VK_LBUTTON;
    case mbRight: return VK_RBUTTON;
    default: return VK_MBUTTON;
  }
}

bool KeyDown(const std::array<std::uint8_t, 256>& keys, std::uint16_t vk) { return (keys[vk & 0xFF] & 0x80) != 0; }

std::uint32_t MouseKeys(const std::array<std::uint8_t, 256>& keys) {
  std::uint32_t k = 0;
  if (KeyDown(keys, VK_LBUTTON)) k |= MK_LBUTTON;
  if (KeyDown(keys, VK_RBUTTON)) k |= MK_RBUTTON;
  if (KeyDown(keys, VK_MBUTTON)) k |= MK_MBUTTON;
  if (KeyDown(keys, VK_SHIFT)) k |= MK_SHIFT;
  if (KeyDown(keys, VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

void Press(std::array<std::uint8_t, 256>& keys, std::uint16_t vk, bool down) {
  std::uint8_t& k = keys[vk & 0xFF];
  if (down && !(k & 0x80)) k ^= 0x01;
  k = static_cast<std::uint8_t>(down ? (k | 0x80) : (k & ~0x80));
}

UINT MouseMessage(RawInput::Kind kind, TMouseButton button, bool client, bool dbl) {
  if (kind == RawInput::Kind::MouseMove) return client ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
  if (kind == RawInput::Kind::Wheel) return WM_MOUSEWHEEL;
  const UINT base = client ? (button == mbLeft ? WM_LBUTTONDOWN : button == mbRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN)
                           : (button == mbLeft ? WM_NCLBUTTONDOWN
                                               : button == mbRight ? WM_NCRBUTTONDOWN : WM_NCMBUTTONDOWN);
  if (kind == RawInput::Kind::ButtonUp) return base + 1;
  return dbl ? base + 2 : base;
}

bool IsDoubleClick(const State& s, HWND target, const RawInput& in, bool client) {
  const LastClick& c = s.Click;
  if (!c.Valid || c.Window != target || c.Button != in.Button || c.Client != client) return false;
  if (client) {
    Window* w = Find(target);
    if (!w || !w->Class || !(w->Class->Style & CS_DBLCLKS)) return false;
  }
  return in.Time - c.Time <= kDoubleClickTime && std::abs(in.Pos.x - c.Pos.x) <= kDoubleClickDistance &&
         std::abs(in.Pos.y - c.Pos.y) <= kDoubleClickDistance;
}

Route RouteMouse(const RawInput& in, MSG& out, bool commit) {
  State& s = S();
  if (s.Track.Active()) {
    if (commit) {
      if (in.What == RawInput::Kind::ButtonDown || in.What == RawInput::Kind::ButtonUp)
        Press(s.Keys, ButtonKey(in.Button), in.What == RawInput::Kind::ButtonDown);
      TrackScrollInput(in);
    }
    return Route::Internal;
  }
  auto keys = s.Keys;
  if (in.What == RawInput::Kind::ButtonDown || in.What == RawInput::Kind::ButtonUp)
    Press(keys, ButtonKey(in.Button), in.What == RawInput::Kind::ButtonDown);
  HWND target = nullptr;
  int hit = HTCLIENT;
  if (Find(s.Capture)) {
    target = s.Capture;
  } else {
    Window* w = HitWindow(in.Pos, true);
    if (!w) {
      if (commit) s.Keys = keys;
      return Route::Dropped;
    }
    target = w->Handle;
    hit = static_cast<int>(SendMessageW(target, WM_NCHITTEST, 0, PointToLParam(in.Pos)));
    if (!Find(target)) return Route::Dropped;
  }
  const bool client = hit == HTCLIENT;
  const bool dbl = in.What == RawInput::Kind::ButtonDown && IsDoubleClick(s, target, in, client);
  out = MSG{};
  out.hwnd = target;
  out.message = MouseMessage(in.What, in.Button, client, dbl);
  out.time = in.Time;
  out.pt = in.Pos;
  if (in.What == RawInput::Kind::Wheel) {
    out.wParam = MakeWParam(static_cast<std::int32_t>(MouseKeys(keys)), in.Delta);
    out.lParam = PointToLParam(in.Pos);
  } else if (client) {
    TPoint p = in.Pos;
    ScreenToClient(target, &p);
    out.wParam = MouseKeys(keys);
    out.lParam = PointToLParam(p);
  } else {
    out.wParam = static_cast<WPARAM>(static_cast<std::intptr_t>(hit));
    out.lParam = PointToLParam(in.Pos);
  }
  if (!commit) return Route::Message;
  s.Keys = keys;
  if (in.What == RawInput::Kind::ButtonDown) {
    if (dbl)
      s.Click.Valid = false;  // a third press starts a new pair
    else
      s.Click = LastClick{true, target, in.Button, client, in.Time, in.Pos};
  }
  if (!Find(s.Capture) && in.What != RawInput::Kind::Wheel)
    SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), static_cast<LPARAM>(MakeWParam(hit, static_cast<std::int32_t>(out.message))));
  return Find(target) ? Route::Message : Route::Dropped;
}

Route RouteKey(const RawInput& in, MSG& out, bool commit) {
  State& s = S();
  auto keys = s.Keys;
  const bool wasDown = KeyDown(keys, in.Key);
  if (in.What == RawInput::Kind::KeyDown) Press(keys, in.Key, true);
  if (in.What == RawInput::Kind::KeyUp) Press(keys, in.Key, false);
  const HWND target = Find(s.Focus) ? s.Focus : Find(s.Active) ? s.Active : nullptr;
  if (commit) s.Keys = keys;
  if (!target) return Route::Dropped;
  const bool alt = KeyDown(keys, VK_MENU) || (in.What == RawInput::Kind::KeyUp && in.Key == VK_MENU);
  out = MSG{};
  out.hwnd = target;
  out.time = in.Time;
  out.pt = s.Cursor;
  std::uint32_t data = 1;
  if (alt) data |= KF_ALTDOWN_BIT;
  switch (in.What) {
    case RawInput::Kind::KeyDown:
      out.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
      out.wParam = in.Key;
      if (wasDown) data |= KF_REPEAT_BIT;
      break;
    case RawInput::Kind::KeyUp:
      out.message = alt ? WM_SYSKEYUP : WM_KEYUP;
      out.wParam = in.Key;
      data |= KF_REPEAT_BIT | KF_UP_BIT;
      break;
    default:
      out.message = KeyDown(keys, VK_MENU) ? WM_SYSCHAR : WM_CHAR;
      out.wParam = in.Char;
      break;
  }
  out.lParam = static_cast<LPARAM>(data);
  return Route::Message;
}

TRect ScreenBounds() {
  const TSize size = ScreenSize();
  return TRect{0, 0, std::max(1, size.cx), std::max(1, size.cy)};
}

// The cursor confinement as a rectangle of allowed positions.
TRect AllowedArea() {
  TRect r = ScreenBounds();
  if (const auto& clip = S().CursorClip) {
    r = TRect{std::max(r.Left, clip->Left), std::max(r.Top, clip->Top), std::min(r.Right, clip->Right),
              std::min(r.Bottom, clip->Bottom)};
  }
  return r;
}

TPoint Confine(TPoint p) {
  const TRect r = AllowedArea();
  // An empty confinement holds the cursor at its top-left corner.
  return TPoint{std::clamp(p.x, r.Left, std::max(r.Left, r.Right - 1)),
                std::clamp(p.y, r.Top, std::max(r.Top, r.Bottom - 1))};
}

void Queue(RawInput in) {
  in.Time = Now();
  QueueEntry e;
  e.IsInput = true;
  e.Input = in;
  e.Seq = S().NextSeq++;
  S().Queue.push_back(e);
}

void QueueMouse(RawInput::Kind kind, TPoint screen, TMouseButton button, int delta) {
  State& s = S();
  const TPoint p = Confine(screen);
  s.Cursor = p;
  RawInput in;
  in.What = kind;
  in.Pos = p;
  in.Button = button;
  in.Delta = delta;
  Queue(in);
}

}  // namespace

Route RouteInput(const RawInput& in, MSG& out, bool commit) {
  return in.IsMouse() ? RouteMouse(in, out, commit) : RouteKey(in, out, commit);
}

}  // namespace vx::plat::wm

namespace vx::plat {

using namespace wm;

// --- injection --------------------------------------------------------------------

void InjectMouseMove(TPoint screen) { QueueMouse(RawInput::Kind::MouseMove, screen, mbLeft, 0); }

void InjectMouseButton(TMouseButton button, TKeyAction action, TPoint screen) {
  if (S().Cursor != Confine(screen)) InjectMouseMove(screen);
  QueueMouse(action == TKeyAction::Press ? RawInput::Kind::ButtonDown : RawInput::Kind::ButtonUp, screen, button, 0);
}

void InjectMouseWheel(int delta, TPoint screen) { QueueMouse(RawInput::Kind::Wheel, screen, mbLeft, delta); }

void InjectKey(std::uint16_t virtualKey, TKeyAction action) {
  RawInput in;
  in.What = action == TKeyAction::Press ? RawInput::Kind::KeyDown : RawInput::Kind::KeyUp;
  in.Key = virtualKey;
  Queue(in);
}

void InjectChar(char16_t ch) {
  RawInput in;
  in.What = RawInput::Kind::Char;
  in.Char = ch;
  Queue(in);
}

// --- focus and capture --------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  State& s = S();
  const HWND previous = Find(s.Focus) ? s.Focus : nullptr;
  if (hwnd) {
    Window* w = Find(hwnd);
    if (!w || w->Destroying || !VisibleChain(*w) || !EnabledChain(*w)) return nullptr;
  }
  if (hwnd == previous) return previous;
  s.Focus = nullptr;
  if (previous) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (!hwnd || !Find(hwnd)) return previous;
  s.Focus = hwnd;
  if (GetAncestor(hwnd, GA_ROOT) != GetActiveWindow()) SetActiveWindow(hwnd);
  SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND GetFocus() { return Find(S().Focus) ? S().Focus : nullptr; }

HWND SetCapture(HWND hwnd) {
  State& s = S();
  const HWND previous = GetCapture();
  if (hwnd && !Find(hwnd)) return previous;
  if (previous == hwnd) return previous;
  s.Capture = hwnd;
  if (previous) SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

BOOL ReleaseCapture() {
  const HWND previous = GetCapture();
  S().Capture = nullptr;
  if (previous) SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return Find(S().Capture) ? S().Capture : nullptr; }

// --- cursor -------------------------------------------------------------------------

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = S().Cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  const TPoint p = Confine(TPoint{x, y});
  if (p == S().Cursor) return TRUE;
  InjectMouseMove(p);
  Host().CursorMoved(p);
  return TRUE;
}

BOOL ClipCursor(const RECT* rect) {
  State& s = S();
  if (rect) {
    TRect r = *rect;
    if (r.Right < r.Left) std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
    s.CursorClip = r;
  } else {
    s.CursorClip.reset();
  }
  Host().CursorConfined(s.CursorClip ? &*s.CursorClip : nullptr);
  const TPoint inside = Confine(s.Cursor);
  if (inside != s.Cursor) {
    InjectMouseMove(inside);
    Host().CursorMoved(inside);
  }
  return TRUE;
}

BOOL GetClipCursor(RECT* rect) {
  if (!rect) return FALSE;
  *rect = AllowedArea();
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  State& s = S();
  const HCURSOR previous = s.ShownCursor;
  if (cursor != previous) {
    s.ShownCursor = cursor;
    Host().CursorChanged(cursor);
  }
  return previous;
}

HCURSOR GetCursor() { return S().ShownCursor; }

SHORT GetKeyState(int virtKey) {
  const std::uint8_t k = S().Keys[static_cast<std::size_t>(virtKey) & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 0x01));
}

// --- shift states ---------------------------------------------------------------------

TShiftState KeysToShiftState(std::uint32_t keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (static_cast<std::uint32_t>(keyData) & KF_ALTDOWN_BIT) s.Include(ssAlt);
  return s;
}

TShiftState GetShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

}  // namespace vx::plat
