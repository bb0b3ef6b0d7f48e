// Internals of the window manager shared by its .cpp files: windows behind
// the handles, the message queue with raw input, timers, the input state and
// scroll-bar geometry. Nothing outside platform/controls and platform/host
// includes this header.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/controls/cursors.h"
#include "platform/controls/host_link.h"
#include "platform/controls/winuser.h"

namespace vx::plat::wm {

// A region handle freed at scope end (always a valid, possibly empty, region).
class Rgn {
public:
  Rgn() : FHandle(CreateRectRgn(0, 0, 0, 0)) {}
  explicit Rgn(const TRect& r) : FHandle(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom)) {}
  ~Rgn() { DeleteObject(FHandle); }
  Rgn(const Rgn&) = delete;
  Rgn& operator=(const Rgn&) = delete;
  operator HRGN() const { return FHandle; }
  HRGN Handle() const { return FHandle; }
  bool Empty() const;
  TRect Box() const;

private:
  HRGN FHandle;
};

struct WindowClass {
  String Name;
  UINT Style = 0;
  WNDPROC Proc = nullptr;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
};

// The state of one window scroll bar.
struct ScrollBar {
  int Min = 0;
  int Max = 100;
  UINT Page = 0;
  int Pos = 0;
  int TrackPos = 0;
  bool Disabled = false;  // shown without a range (SIF_DISABLENOSCROLL)
};

struct Window {
  HWND Handle = nullptr;
  std::shared_ptr<const WindowClass> Class;
  Window* Parent = nullptr;
  std::vector<Window*> Children;  // bottom to top
  DWORD Style = 0;
  DWORD ExStyle = 0;
  LONG_PTR UserData = 0;
  LONG_PTR Id = 0;
  TRect Rect;    // in the parent's client coordinates (screen for top level)
  TRect Client;  // the client area in window coordinates
  String Text;
  TWindowProc Proc;  // per-window procedure; empty = the class procedure
  std::array<ScrollBar, 2> Bars;
  // The client surface and the window's one device context.
  HBITMAP Bitmap = nullptr;
  HDC Dc = nullptr;
  int DcUsers = 0;     // GetDC calls not yet released
  int PaintDepth = 0;  // BeginPaint calls not yet ended
  bool BeginPaintSeen = false;
  // Pending repaint (client coordinates).
  std::unique_ptr<Rgn> Update;
  bool EraseNeeded = false;
  bool Destroying = false;

  int ClientWidth() const { return Client.Width(); }
  int ClientHeight() const { return Client.Height(); }
  bool IsChild() const { return Parent != nullptr; }
};

// Input as the host delivered it, routed to a window when the loop takes it.
struct RawInput {
  enum class Kind : std::uint8_t { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Char };
  Kind What = Kind::MouseMove;
  TMouseButton Button = mbLeft;
  TPoint Pos;  // screen
  int Delta = 0;
  std::uint16_t Key = 0;
  char16_t Char = 0;
  DWORD Time = 0;
  bool IsMouse() const { return What <= Kind::Wheel; }
};

struct QueueEntry {
  std::uint64_t Seq = 0;  // arrival number: finds the entry again after handlers ran
  bool IsInput = false;
  MSG Msg;
  RawInput Input;
};

struct Timer {
  HWND Window = nullptr;
  UINT_PTR Id = 0;
  UINT Elapse = 0;
  DWORD Due = 0;
  TIMERPROC Proc = nullptr;
  std::function<void()> Callback;
};

// The parts of a scroll bar along its length.
enum class BarPart : std::uint8_t { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// Where things are on a scroll bar, in window coordinates and in offsets
// along the bar from its start.
struct BarGeometry {
  bool Shown = false;
  bool Horizontal = true;
  TRect Rect;             // window coordinates
  int Length = 0;         // along the bar
  int Arrow = 0;          // length of each arrow button
  int TroughStart = 0;    // first pixel between the arrows
  int TroughLength = 0;
  bool HasThumb = false;
  int ThumbStart = 0;
  int ThumbLength = 0;
  bool Enabled = false;
  // The offset along the bar of a window-coordinate point.
  int Along(TPoint windowPoint) const { return Horizontal ? windowPoint.x - Rect.Left : windowPoint.y - Rect.Top; }
};

// The non-client layout of a window in window coordinates.
struct FrameLayout {
  int Border = 0;
  TRect Client;
  BarGeometry Bars[2];
  bool HasSizeBox = false;
  TRect SizeBox;
};

// A scroll-bar drag or press in progress.
struct ScrollTrack {
  HWND Window = nullptr;
  int Bar = SB_HORZ;
  BarPart Part = BarPart::None;
  int GrabOffset = 0;  // thumb: cursor offset from the thumb's start
  TPoint Mouse;        // screen
  UINT_PTR RepeatTimer = 0;
  bool Active() const { return Window != nullptr; }
};

struct LastClick {
  bool Valid = false;
  HWND Window = nullptr;
  TMouseButton Button = mbLeft;
  bool Client = true;
  DWORD Time = 0;
  TPoint Pos;
};

struct State {
  std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> Windows;
  std::uintptr_t NextHandle = 0x10000;
  std::vector<Window*> TopLevels;  // bottom to top
  std::vector<std::shared_ptr<const WindowClass>> Classes;
  std::deque<QueueEntry> Queue;
  std::uint64_t NextSeq = 1;
  std::vector<Timer> Timers;
  UINT_PTR NextTimerId = 0x7F00;
  bool QuitPosted = false;
  int QuitCode = 0;
  DWORD LastMessageTime = 0;
  // input
  TPoint Cursor;
  std::optional<TRect> CursorClip;
  HWND Focus = nullptr;
  HWND Active = nullptr;
  HWND Capture = nullptr;
  std::array<std::uint8_t, 256> Keys{};  // 0x80 down, 0x01 toggled
  LastClick Click;
  ScrollTrack Track;
  HCURSOR ShownCursor = nullptr;
  std::vector<UINT> Beeps;
  std::uint64_t Generation = 1;
};

State& S();
Window* Find(HWND hwnd);
// Bumps the screen generation and tells the host.
void ScreenChanged();
// The host clock without advancing it.
DWORD Now();

// Calls the window's procedure (per-window, class, or DefWindowProcW).
LRESULT CallProc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam);

// Geometry.
TPoint ClientOriginOnScreen(const Window& w);
TRect ScreenRect(const Window& w);
bool VisibleChain(const Window& w);
bool EnabledChain(const Window& w);
bool IsInSubtree(HWND hwnd, const Window& root);
// The deepest visible (and enabled, when asked) window under a screen point.
Window* HitWindow(TPoint screen, bool skipDisabled);
FrameLayout LayoutOf(const Window& w);
// The frame width of a style: 1 for WS_BORDER, 4 for a sizing frame, 2 more
// for WS_EX_CLIENTEDGE.
int BorderWidth(DWORD style, DWORD exStyle);
// The client rectangle the standard frame leaves inside a window rectangle.
TRect StandardClient(const TRect& windowRect, DWORD style, DWORD exStyle);
// The layout of one bar; `pos` is the position the thumb shows.
BarGeometry BarGeometryOf(const Window& w, int bar, const TRect& barRect, bool shown);
BarPart PartAt(const BarGeometry& g, int along);
// The position a thumb starting at `thumbStart` (offset along the bar) stands for.
int PosFromThumb(const ScrollBar& b, const BarGeometry& g, int thumbStart);
// The largest position of a bar: Max - max(Page - 1, 0), at least Min.
int MaxPos(const ScrollBar& b);

// Recomputes the client area (WM_NCCALCSIZE); resizes the surface and sends
// WM_SIZE when the client size changed. Returns whether it changed.
bool RecalcFrame(Window& w);
// Sends WM_SIZE with the current client size.
void SendSize(HWND hwnd);

// Painting.
void AddUpdate(Window& w, HRGN clientRegion, bool erase);
void AddUpdateRect(Window& w, const TRect& clientRect, bool erase);
bool HasUpdate(const Window& w);
void ResetDc(Window& w);
// Makes the surface client-sized (at least 1 x 1, at most the surface limits),
// keeping the pixels that still fit.
void ResizeSurface(Window& w);
// The surface pixels of a window (nullptr without a surface).
std::uint32_t* SurfacePixels(const Window& w, int* width, int* height, int* stride);

// Input routing.
enum class Route : std::uint8_t { Dropped, Internal, Message };
Route RouteInput(const RawInput& in, MSG& out, bool commit);
// Drops focus, capture, active window and tracking that point into the subtree of `w`.
void ForgetSubtree(const Window& w);
void EndScrollTracking();
// Starts a scroll-bar press or drag (from DefWindowProc's WM_NCLBUTTONDOWN).
void StartScrollTracking(Window& w, int bar, TPoint screen);
void TrackScrollInput(const RawInput& in);

// Screen size from the host.
TSize ScreenSize();

}  // namespace vx::plat::wm
