// The SDL2 host: every visible top-level window is a real window whose
// composed pixels are presented through a streaming texture (stretched to the
// output on high-DPI displays); SDL input becomes raw input of the window
// manager, which synthesises double clicks and shift states itself.
#include "platform/host/sdl_host.h"

#ifdef VX_HAVE_SDL2

#include <SDL.h>

#include <map>
#include <vector>

#include "platform/controls/host_link.h"
#include "platform/core/unicode.h"

namespace vx::plat {

namespace {

std::uint16_t VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint16_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint16_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<std::uint16_t>(VK_F1 + (key - SDLK_F1));
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<std::uint16_t>(VK_NUMPAD0 + 1 + (key - SDLK_KP_1));
  switch (key) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: return 0;
  }
}

// Keys that type a control character, which SDL's text input leaves out.
char16_t ControlCharOf(std::uint16_t vk, bool ctrl) {
  switch (vk) {
    case VK_RETURN: return u'\r';
    case VK_TAB: return u'\t';
    case VK_BACK: return u'\b';
    case VK_ESCAPE: return 0x1B;
    default: break;
  }
  if (ctrl && vk >= 'A' && vk <= 'Z') return static_cast<char16_t>(vk - 'A' + 1);
  return 0;
}

SDL_SystemCursor SystemCursorOf(TCursorShape shape) {
  switch (shape) {
    case TCursorShape::IBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case TCursorShape::Wait:
    case TCursorShape::AppStarting: return SDL_SYSTEM_CURSOR_WAIT;
    case TCursorShape::Cross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case TCursorShape::SizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case TCursorShape::SizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case TCursorShape::SizeWE:
    case TCursorShape::HSplit: return SDL_SYSTEM_CURSOR_SIZEWE;
    case TCursorShape::SizeNS:
    case TCursorShape::VSplit: return SDL_SYSTEM_CURSOR_SIZENS;
    case TCursorShape::SizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    case TCursorShape::No:
    case TCursorShape::NoDrop: return SDL_SYSTEM_CURSOR_NO;
    case TCursorShape::Hand: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

class TSdlHost : public THost {
public:
  TSdlHost() = default;
  ~TSdlHost() override {
    for (auto& [hwnd, w] : FWindows) Close(w);
    for (auto& [handle, cursor] : FCursors) SDL_FreeCursor(cursor);
    SDL_Quit();
  }

  const char* Name() const override { return "sdl"; }
  std::uint32_t Now() override { return SDL_GetTicks(); }

  TSize ScreenSize() const override {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return TSize{1024, 768};
    return TSize{mode.w, mode.h};
  }

  void PumpEvents() override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
    // Loops that only process messages (a tool scrolling while it drags)
    // never wait: show their changes about 60 times a second anyway.
    if (SDL_GetTicks() - FLastPresent >= 16) Present();
  }

  bool WaitEvents(std::uint32_t timeoutMs) override {
    Present();
    if (timeoutMs == kWaitForever && FWindows.empty()) return false;  // no window: no input can come
    SDL_Event e;
    const int got = timeoutMs == kWaitForever ? SDL_WaitEvent(&e)
                                              : SDL_WaitEventTimeout(&e, static_cast<int>(std::min<std::uint32_t>(timeoutMs, 0x7FFFFFFF)));
    if (got) Translate(e);
    return true;
  }

  void WindowShown(HWND hwnd) override {
    RECT r;
    GetWindowRect(hwnd, &r);
    Win& w = FWindows[hwnd];
    if (!w.Window) {
      const std::string title = Title(hwnd);
      w.Window = SDL_CreateWindow(title.c_str(), r.Left, r.Top, std::max(1, r.Width()), std::max(1, r.Height()),
                                  SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
      if (!w.Window) {
        FWindows.erase(hwnd);
        return;
      }
      w.Renderer = SDL_CreateRenderer(w.Window, -1, 0);
      if (!w.Renderer) w.Renderer = SDL_CreateRenderer(w.Window, -1, SDL_RENDERER_SOFTWARE);
      FById[SDL_GetWindowID(w.Window)] = hwnd;
    }
    SDL_ShowWindow(w.Window);
    FPresentedAt = 0;
  }

  void WindowHidden(HWND hwnd) override {
    auto it = FWindows.find(hwnd);
    if (it != FWindows.end()) SDL_HideWindow(it->second.Window);
  }

  void WindowDestroyed(HWND hwnd) override {
    auto it = FWindows.find(hwnd);
    if (it == FWindows.end()) return;
    FById.erase(SDL_GetWindowID(it->second.Window));
    Close(it->second);
    FWindows.erase(it);
  }

  void WindowBoundsChanged(HWND hwnd) override {
    auto it = FWindows.find(hwnd);
    if (it == FWindows.end()) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    SDL_SetWindowPosition(it->second.Window, r.Left, r.Top);
    SDL_SetWindowSize(it->second.Window, std::max(1, r.Width()), std::max(1, r.Height()));
    FPresentedAt = 0;
  }

  void WindowTextChanged(HWND hwnd) override {
    auto it = FWindows.find(hwnd);
    if (it != FWindows.end()) SDL_SetWindowTitle(it->second.Window, Title(hwnd).c_str());
  }

  void CursorChanged(HCURSOR cursor) override {
    if (SDL_Cursor* c = CursorFor(cursor)) SDL_SetCursor(c);
    TCursorImage image;
    SDL_ShowCursor(GetCursorImage(cursor, &image) && image.Shape == TCursorShape::None ? SDL_DISABLE : SDL_ENABLE);
  }

  void CursorMoved(TPoint screen) override { SDL_WarpMouseGlobal(screen.x, screen.y); }

  void CursorConfined(const TRect* screen) override {
#if SDL_VERSION_ATLEAST(2, 0, 18)
    for (auto& [hwnd, w] : FWindows) {
      if (!screen) {
        SDL_SetWindowMouseRect(w.Window, nullptr);
        continue;
      }
      RECT r;
      GetWindowRect(hwnd, &r);
      const SDL_Rect local{screen->Left - r.Left, screen->Top - r.Top, screen->Width(), screen->Height()};
      const bool inside = local.x >= 0 && local.y >= 0 && local.x + local.w <= r.Width() && local.y + local.h <= r.Height();
      SDL_SetWindowMouseRect(w.Window, inside ? &local : nullptr);
    }
#else
    (void)screen;
#endif
  }

  void ShowMessage(const String& title, const String& text) override {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, StringToUtf8(title).c_str(), StringToUtf8(text).c_str(), nullptr);
  }

private:
  struct Win {
    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    SDL_Texture* Texture = nullptr;
    int TextureW = 0;
    int TextureH = 0;
    std::vector<std::uint32_t> Pixels;
  };

  static std::string Title(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    String text(static_cast<std::size_t>(n) + 1, u'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return StringToUtf8(text);
  }

  static void Close(Win& w) {
    if (w.Texture) SDL_DestroyTexture(w.Texture);
    if (w.Renderer) SDL_DestroyRenderer(w.Renderer);
    if (w.Window) SDL_DestroyWindow(w.Window);
    w = Win{};
  }

  void Present() {
    FLastPresent = SDL_GetTicks();
    if (FPresentedAt == ScreenGeneration()) return;
    FPresentedAt = ScreenGeneration();
    for (auto& [hwnd, w] : FWindows) {
      if (!IsWindowVisible(hwnd) || !w.Renderer) continue;
      RECT r;
      GetWindowRect(hwnd, &r);
      const int width = std::max(1, r.Width()), height = std::max(1, r.Height());
      if (!w.Texture || w.TextureW != width || w.TextureH != height) {
        if (w.Texture) SDL_DestroyTexture(w.Texture);
        w.Texture = SDL_CreateTexture(w.Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        w.TextureW = width;
        w.TextureH = height;
        w.Pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
      }
      if (!w.Texture) continue;
      TPixelView view;
      view.Pixels = w.Pixels.data();
      view.Width = width;
      view.Height = height;
      view.Stride = width;
      ComposeWindow(hwnd, view);
      SDL_UpdateTexture(w.Texture, nullptr, w.Pixels.data(), width * 4);
      SDL_RenderClear(w.Renderer);
      SDL_RenderCopy(w.Renderer, w.Texture, nullptr, nullptr);  // stretched to the output: high-DPI aware
      SDL_RenderPresent(w.Renderer);
    }
  }

  HWND WindowOf(Uint32 id) const {
    auto it = FById.find(id);
    return it == FById.end() ? nullptr : it->second;
  }

  TPoint ToScreen(Uint32 windowId, int x, int y) const {
    HWND hwnd = WindowOf(windowId);
    if (!hwnd) return TPoint{x, y};
    RECT r;
    GetWindowRect(hwnd, &r);
    return TPoint{r.Left + x, r.Top + y};
  }

  static TMouseButton ButtonOf(Uint8 b) {
    return b == SDL_BUTTON_RIGHT ? mbRight : b == SDL_BUTTON_MIDDLE ? mbMiddle : mbLeft;
  }

  void Translate(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        for (auto& [hwnd, w] : FWindows) HostCloseWindow(hwnd);
        break;
      case SDL_WINDOWEVENT: {
        HWND hwnd = WindowOf(e.window.windowID);
        if (!hwnd) break;
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: HostCloseWindow(hwnd); break;
          case SDL_WINDOWEVENT_SIZE_CHANGED: HostResizeWindow(hwnd, e.window.data1, e.window.data2); break;
          case SDL_WINDOWEVENT_MOVED: HostMoveWindow(hwnd, e.window.data1, e.window.data2); break;
          case SDL_WINDOWEVENT_FOCUS_GAINED: HostActivateWindow(hwnd); break;
          case SDL_WINDOWEVENT_EXPOSED: FPresentedAt = 0; break;
          default: break;
        }
        break;
      }
      case SDL_MOUSEMOTION:
        InjectMouseMove(ToScreen(e.motion.windowID, e.motion.x, e.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        InjectMouseButton(ButtonOf(e.button.button),
                          e.type == SDL_MOUSEBUTTONDOWN ? TKeyAction::Press : TKeyAction::Release,
                          ToScreen(e.button.windowID, e.button.x, e.button.y));
        break;
      case SDL_MOUSEWHEEL: {
        POINT p;
        GetCursorPos(&p);
        InjectMouseWheel(e.wheel.y * 120, p);
        break;
      }
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const std::uint16_t vk = VirtualKeyOf(e.key.keysym.sym);
        if (!vk) break;
        const bool down = e.type == SDL_KEYDOWN;
        InjectKey(vk, down ? TKeyAction::Press : TKeyAction::Release);
        if (down)
          if (const char16_t ch = ControlCharOf(vk, (e.key.keysym.mod & KMOD_CTRL) != 0)) InjectChar(ch);
        break;
      }
      case SDL_TEXTINPUT:
        for (char16_t c : Utf8ToString(e.text.text)) InjectChar(c);
        break;
      default: break;
    }
  }

  SDL_Cursor* CursorFor(HCURSOR cursor) {
    auto it = FCursors.find(cursor);
    if (it != FCursors.end()) return it->second;
    TCursorImage image;
    if (!GetCursorImage(cursor, &image)) return nullptr;
    SDL_Cursor* made = nullptr;
    if (image.Shape != TCursorShape::Custom) {
      made = SDL_CreateSystemCursor(SystemCursorOf(image.Shape));
    } else if (SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(image.Pixels.data(), image.Width, image.Height, 32,
                                                                    image.Width * 4, SDL_PIXELFORMAT_ARGB8888)) {
      made = SDL_CreateColorCursor(s, image.HotSpot.x, image.HotSpot.y);
      SDL_FreeSurface(s);
    }
    if (made) FCursors[cursor] = made;
    return made;
  }

  std::map<HWND, Win> FWindows;
  std::map<Uint32, HWND> FById;
  std::map<HCURSOR, SDL_Cursor*> FCursors;
  std::uint64_t FPresentedAt = 0;
  Uint32 FLastPresent = 0;
};

}  // namespace

std::unique_ptr<THost> CreateSdlHost() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return nullptr;
  SDL_StartTextInput();
  return std::make_unique<TSdlHost>();
}

}  // namespace vx::plat

#else

namespace vx::plat {

std::unique_ptr<THost> CreateSdlHost() { return nullptr; }

}  // namespace vx::plat

#endif
