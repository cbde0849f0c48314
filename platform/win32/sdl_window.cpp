// Top-level windows on SDL2: the engine's window with its GL context, key and mouse
// input, and the display modes of the primary display.

#include <SDL.h>

#include <cstdio>
#include <map>

#include "platform/overlay/hooks_internal.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

struct Sdl {
  bool tried = false;
  bool video = false;
  std::map<Uint32, HWND> windows;  // SDL window id -> window
  std::map<SDL_Window*, int> contextHolds;  // windows a GL context lives in
  std::map<SDL_Window*, bool> orphans;     // of those, windows already destroyed
};

Sdl& TheSdl() {
  static Sdl sdl;
  return sdl;
}

HWND WindowOf(Uint32 id) {
  auto it = TheSdl().windows.find(id);
  if (it != TheSdl().windows.end()) return it->second;
  // Events without a window (a key pressed before any window had focus) go to the
  // window with keyboard focus, else to the only window there is.
  if (SDL_Window* focus = SDL_GetKeyboardFocus()) {
    it = TheSdl().windows.find(SDL_GetWindowID(focus));
    if (it != TheSdl().windows.end()) return it->second;
  }
  return TheSdl().windows.size() == 1 ? TheSdl().windows.begin()->second : nullptr;
}

class SdlBackend : public Backend {
 public:
  SdlBackend(Window& w, SDL_Window* native) : window(native) {
    TheSdl().windows[SDL_GetWindowID(native)] = w.handle;
  }
  ~SdlBackend() override {
    TheSdl().windows.erase(SDL_GetWindowID(window));
    ForgetWindowedPlace(window);
    if (DisplayLost()) return;  // the server is gone, and with it the window
    if (TheSdl().contextHolds.count(window)) {
      SDL_HideWindow(window);
      TheSdl().orphans[window] = true;
      return;
    }
    SDL_DestroyWindow(window);
  }
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  void SetVisible(Window&, bool visible) override {
    if (visible) {
      SDL_ShowWindow(window);
      FollowFullscreenState(window);
    } else {
      SDL_HideWindow(window);
    }
  }
  void SetTitle(Window& w) override { SDL_SetWindowTitle(window, Utf8FromWide(w.text).c_str()); }
  void SetBounds(Window& w) override {
    SDL_SetWindowPosition(window, w.x, w.y);
    SDL_SetWindowSize(window, w.width, w.height);
  }
  void SetTopmost(Window&, bool topmost) override { SDL_SetWindowAlwaysOnTop(window, topmost ? SDL_TRUE : SDL_FALSE); }
  void ControlCreated(Window&, Window& control) override {
    std::fprintf(stderr, "platform: control %d: its parent window was not made with WS_EX_CONTROLPARENT, so it is not shown\n",
                 control.id);
  }
  void ControlChanged(Window&) override {}
  void ControlDestroyed(Window&) override {}
  void FocusControl(Window&) override {}
  void Redraw(Window&) override {}
  bool NativeSize(const Window&, int* width, int* height) const override {
    SDL_GetWindowSize(window, width, height);
    return true;
  }
  bool InjectKey(Window&, UINT vk, bool down) override {
    const SDL_Keycode key = SdlKeyFromVirtualKey(vk);
    if (key == SDLK_UNKNOWN) return false;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return SDL_PushEvent(&e) == 1;
  }
  bool InjectMouseMove(Window&, int x, int y) override {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(window);
    e.motion.x = x;
    e.motion.y = y;
    return SDL_PushEvent(&e) == 1;
  }
  bool InjectMouseButton(Window&, Window* control, int button, bool down, int x, int y) override {
    if (control) return false;
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = SDL_GetWindowID(window);
    e.button.button = button == 0 ? SDL_BUTTON_LEFT : button == 1 ? SDL_BUTTON_RIGHT : SDL_BUTTON_MIDDLE;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x;
    e.button.y = y;
    return SDL_PushEvent(&e) == 1;
  }
  bool InjectClose(Window&) override {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    return SDL_PushEvent(&e) == 1;
  }

  SDL_Window* window;
};

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      Window* w = Find(WindowOf(e.key.windowID));
      const UINT vk = VirtualKeyFromSdl(e.key.keysym.sym);
      if (w && vk) PostKey(*w, vk, e.type == SDL_KEYDOWN, static_cast<int>(e.key.keysym.scancode));
      break;
    }
    case SDL_MOUSEMOTION: {
      if (Window* w = Find(WindowOf(e.motion.windowID))) PostMouseMove(*w, e.motion.x, e.motion.y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      Window* w = Find(WindowOf(e.button.windowID));
      const int button = e.button.button == SDL_BUTTON_LEFT ? 0 : e.button.button == SDL_BUTTON_RIGHT ? 1 : 2;
      if (w) PostMouseButton(*w, button, e.type == SDL_MOUSEBUTTONDOWN, e.button.x, e.button.y);
      break;
    }
    case SDL_WINDOWEVENT: {
      Window* w = Find(WindowOf(e.window.windowID));
      if (!w) break;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        PostClose(*w);
      } else if (e.window.event == SDL_WINDOWEVENT_MOVED) {
        w->x = e.window.data1;
        w->y = e.window.data2;
      } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        w->width = e.window.data1;
        w->height = e.window.data2;
        Post(w->handle, WM_SIZE, 0, MAKELPARAM(w->width, w->height));
      }
      break;
    }
    default:
      // SDL_QUIT among others: closing the last window is the window procedure's
      // business, through WM_CLOSE.
      break;
  }
}

void SetIcon(SDL_Window* window, const Window& w) {
  const Icon* icon = FindIcon(w.icon);
  if (!icon) return;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(icon->rgba.data()), icon->width,
                                                            icon->height, 32, icon->width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

}  // namespace

bool SdlVideoAvailable() {
  Sdl& sdl = TheSdl();
  if (sdl.tried) return sdl.video;
  sdl.tried = true;
  // The program keeps its own signal handling (Ctrl+C ends it as it would anywhere).
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "platform: SDL video: %s\n", SDL_GetError());
    return false;
  }
  sdl.video = true;
  return true;
}

bool SdlActive() { return TheSdl().video; }

void PumpSdl() {
  if (!TheSdl().video) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    if (!overlay_hooks::Swallowed(e)) Translate(e);
  }
}

void WaitSdl(int milliseconds) {
  if (TheSdl().video) SDL_WaitEventTimeout(nullptr, milliseconds);
}

void SdlShowCursor(bool show) {
  if (TheSdl().video) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlGlobalCursor(POINT* point) {
  if (!TheSdl().video) return false;
  int x = 0, y = 0;
  SDL_GetGlobalMouseState(&x, &y);
  *point = POINT{x, y};
  return true;
}

bool SdlDisplayModes(std::vector<DisplayMode>* modes) {
  if (!SdlVideoAvailable()) return false;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
    modes->push_back(DisplayMode{mode.w, mode.h, mode.refresh_rate > 0 ? mode.refresh_rate : 60, 1});
  }
  return count > 0;
}

bool SdlDesktopMode(DisplayMode* result) {
  if (!SdlVideoAvailable()) return false;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
  *result = DisplayMode{mode.w, mode.h, mode.refresh_rate > 0 ? mode.refresh_rate : 60, 1};
  return true;
}

void HoldSdlWindowForContext(void* native) { ++TheSdl().contextHolds[static_cast<SDL_Window*>(native)]; }

void ReleaseSdlWindowForContext(void* native) {
  auto* window = static_cast<SDL_Window*>(native);
  auto held = TheSdl().contextHolds.find(window);
  if (held == TheSdl().contextHolds.end() || --held->second > 0) return;
  TheSdl().contextHolds.erase(held);
  if (TheSdl().orphans.erase(window) && !DisplayLost()) SDL_DestroyWindow(window);
}

void* SdlWindowHandle(HWND handle) {
  Window* w = Find(handle);
  auto* backend = w ? dynamic_cast<SdlBackend*>(w->backend.get()) : nullptr;
  if (!backend || !(SDL_GetWindowFlags(backend->window) & SDL_WINDOW_OPENGL)) return nullptr;
  return backend->window;
}

std::unique_ptr<Backend> MakeSdlBackend(Window& w) {
  if (!SdlVideoAvailable()) return nullptr;
  // The device draws with GL 4.5 core into offscreen textures and only copies the
  // finished frame here, so the window needs neither depth nor stencil.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
  if (w.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  const std::string title = Utf8FromWide(w.text);
  SDL_Window* native = SDL_CreateWindow(title.c_str(), w.x, w.y, w.width, w.height, flags);
  if (!native) {
    std::fprintf(stderr, "platform: SDL window with OpenGL: %s; trying without\n", SDL_GetError());
    native = SDL_CreateWindow(title.c_str(), w.x, w.y, w.width, w.height, flags & ~SDL_WINDOW_OPENGL);
  }
  if (!native) {
    std::fprintf(stderr, "platform: SDL window: %s\n", SDL_GetError());
    return nullptr;
  }
  SetIcon(native, w);
  WatchDisplayConnection(native);
  RegisterSdlGlSurfaces();
  return std::make_unique<SdlBackend>(w, native);
}

}  // namespace win
}  // namespace platform
