// What the window manager offers its hosts (platform/host): raw input to
// queue, window changes the user made through the host, and the composition
// of windows into pixels for the screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/controls/messages.h"
#include "platform/controls/winuser.h"

namespace vx::plat {

// Whether a button or key goes down or up.
enum class TKeyAction : std::uint8_t { Press, Release };

// Queues a cursor move to a screen point (kept inside the cursor
// confinement and the screen). The message it becomes is decided when the
// loop takes it: capture, hit test and double clicks apply as of then.
void InjectMouseMove(TPoint screen);
// Queues a button press or release at a screen point (the cursor moves there
// first). A second press of the same button on the same window within
// kDoubleClickTime ms and kDoubleClickDistance pixels becomes a double click.
void InjectMouseButton(TMouseButton button, TKeyAction action, TPoint screen);
// Queues a wheel turn (120 per notch, positive away from the user).
void InjectMouseWheel(int delta, TPoint screen);
// Queues a key press or release (virtual-key code); it goes to the focus
// window, or to the active window when nothing has the focus.
void InjectKey(std::uint16_t virtualKey, TKeyAction action);
// Queues a typed character (one UTF-16 unit) as WM_CHAR.
void InjectChar(char16_t ch);

// The user resized or moved a top-level window through the host (the host
// is not told back).
void HostResizeWindow(HWND window, int width, int height);
void HostMoveWindow(HWND window, int x, int y);
// The user asked to close a top-level window: posts WM_CLOSE.
void HostCloseWindow(HWND window);
// The host gave the keyboard to a top-level window.
void HostActivateWindow(HWND window);

// Pixels to compose into: Width x Height values 0xAARRGGBB (alpha written
// as 255), the next row Stride values further.
struct TPixelView {
  std::uint32_t* Pixels = nullptr;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::ptrdiff_t Stride = 0;
};

// Draws the desktop colour and every visible top-level window (bottom to
// top) with borders, scroll bars and visible children; target pixel (0, 0)
// shows screen point `origin`.
void ComposeScreen(const TPixelView& target, TPoint origin, COLORREF desktop);
// Draws one top-level window with its children; target (0, 0) is the
// window's top-left corner.
void ComposeWindow(HWND window, const TPixelView& target);
// A number that changes whenever something visible may have changed.
std::uint64_t ScreenGeneration();
// The top-level windows, bottom to top (visible or not).
std::vector<HWND> TopLevelWindows();

}  // namespace vx::plat
