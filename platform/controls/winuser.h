// The window manager of the platform: windows behind opaque handles with the
// calls, constants and structures of the classic Windows user interface, so
// that control code written against it runs unchanged. Every window has a
// client surface of its own (32-bit pixels) that its device context draws on;
// the non-client parts (border, scroll bars) are drawn by the window manager
// when windows are composed onto the screen (platform/controls/compose.h).
//
// Conventions that hold for every call here:
// - A null, destroyed or unknown window handle makes the call fail (FALSE,
//   0 or nullptr); nothing crashes.
// - Client coordinates are pixels from the top-left corner of the client
//   area; screen coordinates are pixels of the (virtual) screen.
// - Every window owns exactly one device context (as with the class style
//   CS_OWNDC): GetDC and BeginPaint hand out that context. GetDC resets it to
//   its initial state when nobody holds it; BeginPaint resets it when nobody
//   holds it and clips it to the update region.
// - Scroll positions, ranges and message positions are 32-bit throughout.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/controls/messages.h"
#include "platform/core/types.h"
#include "platform/core/unicode.h"
#include "platform/gdi/gdi.h"

namespace vx::plat {

// ---------------------------------------------------------------------------
// Handles and scalar types
// ---------------------------------------------------------------------------

struct HWND__ {};
struct HCURSOR__ {};
using HWND = HWND__*;        // a window
using HCURSOR = HCURSOR__*;  // a mouse cursor (platform/controls/cursors.h)
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using SHORT = std::int16_t;

// A window procedure as a class registers it.
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
// A window procedure of one window (any callable; see SetWindowProc).
using TWindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
// A timer callback: (window or nullptr, WM_TIMER, timer id, tick count).
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// ---------------------------------------------------------------------------
// Styles
// ---------------------------------------------------------------------------

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;     // a one-pixel frame
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;    // the vertical scroll bar is shown
constexpr DWORD WS_HSCROLL = 0x00100000;    // the horizontal scroll bar is shown
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000; // a sizing frame
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;  // a two-pixel sunken edge
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;  // a change of height repaints the whole window
constexpr UINT CS_HREDRAW = 0x0002;  // a change of width repaints the whole window
constexpr UINT CS_DBLCLKS = 0x0008;  // the window receives double-click messages
constexpr UINT CS_OWNDC = 0x0020;    // (every window here has its own context anyway)

// GetWindowLongPtrW / SetWindowLongPtrW indices.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GWLP_ID = -12;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;

// SetWindowPos.
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(std::uintptr_t{1});
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// GetAncestor.
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;

// PeekMessageW.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// RedrawWindow flags.
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_FRAME = 0x0400;

// Scroll-bar information parts.
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;  // show a disabled bar instead of hiding it
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// GetSystemMetrics indices.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;   // width of a vertical scroll bar (17)
constexpr int SM_CYHSCROLL = 3;   // height of a horizontal scroll bar (17)
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_MOUSEPRESENT = 19;
constexpr int SM_CYVSCROLL = 20;  // height of a vertical bar's arrow
constexpr int SM_CXHSCROLL = 21;  // width of a horizontal bar's arrow
constexpr int SM_SWAPBUTTON = 23;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr int SM_CXDOUBLECLK = 36;  // the double-click distance (4)
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CMOUSEBUTTONS = 43;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;

// MessageBeep types.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;

// The platform's fixed user-interface metrics.
constexpr int kScrollBarThickness = 17;    // SM_CXVSCROLL, SM_CYHSCROLL
constexpr std::uint32_t kDoubleClickTime = 500;  // milliseconds
constexpr int kDoubleClickDistance = 4;    // pixels on each axis
constexpr UINT kMinTimerInterval = 10;     // shorter timer intervals are raised to this

// ---------------------------------------------------------------------------
// Structures
// ---------------------------------------------------------------------------

// A window class: its style, procedure, cursor and erase brush (the brush
// stays the caller's).
struct WNDCLASSW {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  const WCHAR* lpszClassName = nullptr;
};

// What WM_NCCREATE and WM_CREATE receive in LParam.
struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  DWORD style = 0;
  const WCHAR* lpszName = nullptr;
  const WCHAR* lpszClass = nullptr;
  DWORD dwExStyle = 0;
  HWND hwndParent = nullptr;
};

// A queued message; time is the tick count and pt the cursor's screen
// position when it was posted.
struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt{};
};

// What BeginPaint hands out: the context, whether the background still needs
// erasing (WM_ERASEBKGND answered 0) and the bounding box of the update region.
struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint{};
};

// Scroll-bar parameters; fMask says which parts count.
struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// ---------------------------------------------------------------------------
// Window classes and windows
// ---------------------------------------------------------------------------

// Registers a class under its name (case-insensitive). FALSE when the name is
// empty or taken.
BOOL RegisterClassW(const WNDCLASSW* wndClass);
BOOL UnregisterClassW(const WCHAR* className);
BOOL GetClassInfoW(const WCHAR* className, WNDCLASSW* wndClass);

// Creates a window of a registered class. (x, y) is in the parent's client
// coordinates, or screen coordinates for a window without parent; the size
// includes border and scroll bars. The new window receives WM_NCCREATE,
// WM_NCCALCSIZE, WM_CREATE (a result of -1 destroys it again), then WM_SIZE
// and WM_MOVE. A child is placed above its existing siblings.
HWND CreateWindowExW(DWORD exStyle, const WCHAR* className, const WCHAR* windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* param);
// Destroys the window and its children (children first receive WM_DESTROY
// after their parent, WM_NCDESTROY last); focus, capture and timers of the
// windows are dropped.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Replaces the procedure of one window (nullptr returns it to its class's
// procedure); returns the previous per-window procedure (empty if none).
TWindowProc SetWindowProc(HWND hwnd, TWindowProc proc);
// The default handling of a message: painting and erasing with the class
// brush, hit testing, the non-client size, the class cursor, scroll-bar
// tracking, WM_CLOSE (destroys), window text.
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Style, extended style, user data and id. Setting WS_VISIBLE or WS_DISABLED
// through GWL_STYLE shows/hides or enables/disables; a change of border or
// scroll-bar bits recomputes the client area at once.
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);

HWND GetParent(HWND hwnd);
// Moves the window to another parent (nullptr: top level); returns the old parent.
HWND SetParent(HWND child, HWND newParent);
// The parent (GA_PARENT) or the top-level window (GA_ROOT) of a window.
HWND GetAncestor(HWND hwnd, UINT flags);
// The child windows of `parent` (nullptr: the top-level windows) from the
// bottom of the z-order to the top.
std::vector<HWND> GetChildWindows(HWND parent);

// Shows or hides (SW_*); returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int cmd);
// Whether the window and all its ancestors have WS_VISIBLE.
BOOL IsWindowVisible(HWND hwnd);
// Enables or disables mouse and key input; returns whether it was disabled.
// Disabling the focus window or one of its ancestors takes the focus away.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// Moves, sizes and restacks (insertAfter HWND_TOP, HWND_BOTTOM or a sibling to go below, with
// SWP_NOZORDER unset). A new size resizes the client surface, invalidates
// what it uncovered (everything with CS_HREDRAW/CS_VREDRAW) and sends WM_SIZE;
// a new position sends WM_MOVE.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND hwnd, RECT* rect);
// (0, 0, client width, client height).
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
// Converts points from the client coordinates of `from` to those of `to`
// (nullptr = screen).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// The deepest visible window whose rectangle holds the screen point, or nullptr.
HWND WindowFromPoint(POINT point);

BOOL SetWindowTextW(HWND hwnd, const WCHAR* text);
// Copies at most maxCount - 1 units and a terminator; returns the units copied.
int GetWindowTextW(HWND hwnd, WCHAR* text, int maxCount);
int GetWindowTextLengthW(HWND hwnd);

// ---------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------

// Calls the window's procedure at once and returns its result (0 for a bad handle).
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Appends a message to the queue (hwnd nullptr: a message for the loop itself).
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Posts WM_QUIT.
void PostQuitMessage(int exitCode);
// Looks for a message of `hwnd` (nullptr: any) between msgMin and msgMax
// (both 0: any): posted messages and input in the order they arrived, then
// WM_PAINT for a visible window that needs painting, then WM_TIMER for a due
// timer. PM_REMOVE takes it from the queue (WM_PAINT stays until the window
// is validated). Input is routed when it is taken: capture, hit test,
// double clicks and the key state apply as of that moment.
BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax, UINT remove);
// Waits until a message may be there. FALSE when none can ever come (a
// headless run with no input, no timers and no idle script left).
BOOL WaitMessage();
// Takes the next message, waiting for one: 0 for WM_QUIT, -1 when WaitMessage
// reports that none can come, else 1.
int GetMessageW(MSG* msg, HWND hwnd, UINT msgMin, UINT msgMax);
// Characters come from the host as WM_CHAR input, so this only reports
// whether the message was a key message.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of msg->hwnd (or the callback of a WM_TIMER).
LRESULT DispatchMessageW(const MSG* msg);
// The tick count of the message last taken from the queue.
DWORD GetMessageTime();

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

// Adds a client rectangle (nullptr: the whole client area) to the update
// region; erase asks for WM_ERASEBKGND before the next paint.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
// Adds a region (client coordinates) to the update region.
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
// Removes a rectangle (nullptr: all) from the update region.
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL ValidateRgn(HWND hwnd, HRGN region);
// Sends WM_PAINT at once when the window is visible and has an update region.
BOOL UpdateWindow(HWND hwnd);
// The bounding box of the update region; FALSE when it is empty.
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Copies the update region into `region`; returns its kind.
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);
// Invalidates or validates (RDW_*), optionally for all children, and paints
// at once with RDW_UPDATENOW.
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// Starts painting: takes the update region (the window is valid again),
// resets the window's context when nobody else holds it, clips it to the
// region and sends WM_ERASEBKGND when erasing was asked for.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint);
// Ends painting: the context loses the paint clip.
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint);
// The window's context (device pixels = client pixels). Each GetDC needs a
// ReleaseDC.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);
// The window whose context `dc` is, or nullptr.
HWND WindowFromDC(HDC dc);

// Moves the client pixels of `scroll` (nullptr: the client area) by (dx, dy);
// only pixels inside `clip` (nullptr: the client area) change. Child windows
// do not move. The area the move uncovered is added to the update region (with
// erasing), and the part of a pending update region that moved goes with it.
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);

// ---------------------------------------------------------------------------
// Scroll bars of a window (SB_HORZ, SB_VERT)
// ---------------------------------------------------------------------------

// Sets the parts fMask names and returns the position. The position is kept
// within nMin .. nMax - max(nPage - 1, 0), the page within 0 .. nMax - nMin + 1.
// The bar is shown when nMax - nMin + 1 > nPage (and nMax > nMin) and hidden
// otherwise, or shown disabled with SIF_DISABLENOSCROLL; showing or hiding
// changes the client size and sends WM_SIZE.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Sets the position (clamped) and returns the previous one.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
// Shows or hides SB_HORZ, SB_VERT or SB_BOTH, whatever the range.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);

// ---------------------------------------------------------------------------
// Focus, capture, cursor and keys
// ---------------------------------------------------------------------------

// Gives the keyboard focus to hwnd (nullptr: nobody) and returns the previous
// focus window. Fails (nullptr, focus unchanged) when hwnd or an ancestor is
// disabled or hidden. WM_KILLFOCUS goes to the old, WM_SETFOCUS to the new window.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// The top-level window that receives keys when no window has the focus.
HWND GetActiveWindow();
HWND SetActiveWindow(HWND hwnd);

// All mouse input goes to hwnd, wherever the cursor is, until released;
// returns the previous capture window (which gets WM_CAPTURECHANGED).
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// The cursor position in screen coordinates.
BOOL GetCursorPos(POINT* point);
// Moves the cursor (kept within the confinement and the screen) and queues
// the mouse move that causes.
BOOL SetCursorPos(int x, int y);
// Confines the cursor to a screen rectangle ([left, right) x [top, bottom)),
// or frees it (nullptr). The cursor moves inside at once.
BOOL ClipCursor(const RECT* rect);
// The confinement, or the whole screen when there is none.
BOOL GetClipCursor(RECT* rect);
// Shows a cursor; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Key state as the message loop has seen it: bit 15 set while down, bit 0
// toggled by each press (VK_LBUTTON etc. for mouse buttons).
SHORT GetKeyState(int virtKey);

// ---------------------------------------------------------------------------
// Timers, time, metrics
// ---------------------------------------------------------------------------

// Starts (or restarts) a timer that posts WM_TIMER every `elapse` ms (at
// least kMinTimerInterval). With hwnd nullptr and id 0 a new id is returned.
// At most one WM_TIMER per timer waits in the queue.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
// A timer without window whose WM_TIMER calls `callback`; returns its id.
UINT_PTR SetTimerCallback(UINT elapse, std::function<void()> callback);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Milliseconds from the host's clock (a fake clock on the headless host,
// which advances by its step on every call so that waiting loops end).
DWORD GetTickCount();
// Records the beep (see RecordedBeeps) and lets the host sound it.
BOOL MessageBeep(UINT type);
// The beep types since the start or the last ClearRecordedBeeps.
std::vector<UINT> RecordedBeeps();
void ClearRecordedBeeps();
// System metrics (SM_*); 0 for unknown indices.
int GetSystemMetrics(int index);
UINT GetDoubleClickTime();
// number * numerator / denominator with a 64-bit intermediate, rounded to
// the nearest integer with halves away from zero; -1 when the denominator
// is 0 or the result does not fit in 32 bits.
int MulDiv(int number, int numerator, int denominator);

}  // namespace vx::plat
