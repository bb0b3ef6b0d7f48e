// The host: what stands between the window manager and the world outside
// the process. Two hosts exist: "headless" (a virtual screen, input
// injected by code, a fake clock; see headless.h) and "sdl" (real top-level
// windows through SDL2). The window manager asks the host for the time and
// for new input, and tells it about top-level windows, the cursor and
// beeps; the host feeds input back through platform/controls/input.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/controls/cursors.h"
#include "platform/controls/winuser.h"
#include "platform/core/types.h"
#include "platform/core/unicode.h"

namespace vx::plat {

// WaitEvents' "no time limit".
constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;

class THost {
public:
  virtual ~THost() = default;

  // "headless" or "sdl".
  virtual const char* Name() const = 0;

  // The clock in milliseconds, as the window manager reads it for message
  // times and timers (reading it never moves it).
  virtual std::uint32_t Now() = 0;
  // The clock as GetTickCount reports it to programs.
  virtual std::uint32_t TickCount() { return Now(); }

  // The size of the screen in pixels and its resolution.
  virtual TSize ScreenSize() const = 0;
  virtual int PixelsPerInch() const { return 96; }

  // Moves input that arrived meanwhile into the message queue (never blocks).
  virtual void PumpEvents() {}
  // Waits until input may have arrived or `timeoutMs` passed (kWaitForever:
  // no limit). False when no input can ever arrive.
  virtual bool WaitEvents(std::uint32_t timeoutMs) = 0;

  // A top-level window was shown, hidden, destroyed, moved or resized by the
  // program, or got a new caption.
  virtual void WindowShown(HWND /*window*/) {}
  virtual void WindowHidden(HWND /*window*/) {}
  virtual void WindowDestroyed(HWND /*window*/) {}
  virtual void WindowBoundsChanged(HWND /*window*/) {}
  virtual void WindowTextChanged(HWND /*window*/) {}
  // A window became the active (keyboard) window.
  virtual void WindowActivated(HWND /*window*/) {}

  // Something on the screen may have changed; the host shows it when it next
  // waits for input.
  virtual void ScreenChanged() {}

  // The cursor to show, a position the program moved the cursor to, and the
  // confinement (nullptr: none), all in screen coordinates.
  virtual void CursorChanged(HCURSOR /*cursor*/) {}
  virtual void CursorMoved(TPoint /*screen*/) {}
  virtual void CursorConfined(const TRect* /*screen*/) {}

  // A beep the program asked for (MessageBeep type).
  virtual void Beep(UINT /*type*/) {}
  // A message the application shows to the user (an exception it did not
  // handle); the headless host records it.
  virtual void ShowMessage(const String& /*title*/, const String& /*text*/) {}
};

// The host in use. The first call chooses it: the environment variable
// VX_HOST ("headless" or "sdl") when set, else "sdl" when a display is
// available (DISPLAY or WAYLAND_DISPLAY) and SDL starts, else "headless".
THost& Host();
// Chooses the host before first use ("headless" or "sdl"). False when that
// host cannot start or another host is already in use.
bool SelectHost(std::string_view name);
// Whether a host has been chosen already.
bool HostChosen();

}  // namespace vx::plat
