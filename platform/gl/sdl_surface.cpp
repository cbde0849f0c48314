// The GL surface of an SDL2 window: the device renders offscreen and hands each frame
// here, to be copied into the window and swapped.

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <thread>

#include "platform/gl/context.h"
#include "platform/overlay/hooks_internal.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

using Clock = std::chrono::steady_clock;

class SdlGlSurface final : public GlSurface {
 public:
  SdlGlSurface(HWND window, SDL_GLContext context) : window_(window), context_(context), held_(Native()) {
    if (held_) HoldSdlWindowForContext(held_);
    SDL_Window* native = Native();
    if (native && !X11ClientSize(native, &boundWidth_, &boundHeight_)) {
      SDL_GL_GetDrawableSize(native, &boundWidth_, &boundHeight_);
    }
  }
  ~SdlGlSurface() override {
    if (DisplayLost()) {
      // The context lived on the server that is gone; so did the window.
      ForgetIfCurrent();
      return;
    }
    if (overlay_hooks::WantsContextEnd()) {
      // Whatever the overlay made in this context goes while the context can still be
      // made current.
      overlay_hooks::WindowContextEnding(*this, held_ != nullptr && EnsureCurrent());
    }
    ForgetIfCurrent();
    if (held_) SDL_GL_MakeCurrent(held_, nullptr);
    SDL_GL_DeleteContext(context_);
    if (held_) ReleaseSdlWindowForContext(held_);
  }
  SdlGlSurface(const SdlGlSurface&) = delete;
  SdlGlSurface& operator=(const SdlGlSurface&) = delete;

  void Present(unsigned texture, int width, int height, unsigned syncInterval) override {
    SDL_Window* native = Native();
    // The window went first (closed while the device still lives): nothing to show.
    if (!native) return;
    const int interval = static_cast<int>(std::min(syncInterval, 4u));
    if (interval != interval_) {
      interval_ = interval;
      // Xvfb and some drivers cannot wait for the vertical blank (or not for several);
      // pace ourselves there, `interval` refreshes a frame, with the driver not waiting.
      selfPaced_ = SDL_GL_SetSwapInterval(interval) != 0 && interval > 0;
      if (selfPaced_) {
        SDL_GL_SetSwapInterval(0);
        // The display's own refresh (what a fullscreen mode change set), not the mode
        // SDL would pick for the window's size. A refresh of 0 (Xvfb) reads as 60.
        SDL_DisplayMode mode;
        const int display = std::max(0, SDL_GetWindowDisplayIndex(native));
        refresh_ = SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
        next_ = Clock::now();
      }
    }
    int drawableWidth = 0, drawableHeight = 0;
    if (!X11ClientSize(native, &drawableWidth, &drawableHeight)) {
      SDL_GL_GetDrawableSize(native, &drawableWidth, &drawableHeight);
    }
    if (drawableWidth != boundWidth_ || drawableHeight != boundHeight_) {
      boundWidth_ = drawableWidth;
      boundHeight_ = drawableHeight;
      rebinds_ = kRebinds;
    }
    if (rebinds_ > 0) {
      // The software driver sizes its window buffers when the context is bound: after
      // the window changed size (fullscreen, a window manager) frames would go on being
      // drawn at the old size. Binding the context afresh makes it look again; once
      // has not always been enough, so the next few presents bind it too. (SDL skips a
      // bind to what is already current, hence the release first.)
      --rebinds_;
      SDL_GL_MakeCurrent(native, nullptr);
      SDL_GL_MakeCurrent(native, context_);
    }
    BlitToDefaultFramebuffer(texture, width, height, drawableWidth, drawableHeight);
    // Over the window's copy of the frame only: the back buffer, which captures read,
    // never sees the overlay.
    overlay_hooks::FinishWindowFrame(drawableWidth, drawableHeight);
    SDL_GL_SwapWindow(native);
    if (selfPaced_) {
      // From the last frame's due time, not from now: the frame's own work does not
      // add to the interval.
      const std::chrono::duration<double> wait(interval_ / static_cast<double>(refresh_));
      next_ += std::chrono::duration_cast<Clock::duration>(wait);
      const auto now = Clock::now();
      if (next_ > now) {
        std::this_thread::sleep_until(next_);
      } else {
        next_ = now;  // late: start counting again rather than rushing to catch up
      }
    }
  }

  bool SetFullscreen(bool fullscreen, int width, int height, int refresh) override {
    SDL_Window* native = Native();
    if (!native) return false;
    if (!fullscreen) {
      if (SDL_SetWindowFullscreen(native, 0) != 0) {
        std::fprintf(stderr, "platform: leaving fullscreen: %s\n", SDL_GetError());
        return false;
      }
      FollowFullscreenState(native);
      return true;
    }
    RememberWindowedPlace(native);
    // The display's own mode of that size, the nearest refresh among them; SDL sets it
    // through XRandR where the server offers it and gives the desktop's back when the
    // window leaves fullscreen or goes.
    const int display = std::max(0, SDL_GetWindowDisplayIndex(native));
    SDL_DisplayMode chosen{};
    bool found = false;
    for (int i = 0; i < SDL_GetNumDisplayModes(display); ++i) {
      SDL_DisplayMode m{};
      if (SDL_GetDisplayMode(display, i, &m) != 0 || m.w != width || m.h != height) continue;
      if (!found || (refresh > 0 && std::abs(m.refresh_rate - refresh) < std::abs(chosen.refresh_rate - refresh))) {
        chosen = m;
        found = true;
      }
    }
    if (found && SDL_SetWindowDisplayMode(native, &chosen) != 0) found = false;
    if (!found) {
      std::fprintf(stderr,
                   "platform: fullscreen: %dx%d is not a mode of this display; the desktop keeps its mode and the "
                   "picture is scaled to it\n",
                   width, height);
    }
    if (SDL_SetWindowFullscreen(native, found ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      std::fprintf(stderr, "platform: fullscreen: %s\n", SDL_GetError());
      return false;
    }
    FollowFullscreenState(native);
    interval_ = -1;  // the refresh rate to pace to may have changed with the mode
    return true;
  }

  std::string Describe() const override {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string("SDL2 window (") + (renderer ? renderer : "unknown renderer") + ")";
  }

 protected:
  bool MakeCurrentImpl() override {
    // The window the context was made in, even once its HWND has gone: the device's
    // objects are deleted after a close, in this context.
    SDL_Window* native = held_;
    if (native && SDL_GL_MakeCurrent(native, context_) == 0) return true;
    std::fprintf(stderr, "platform: SDL_GL_MakeCurrent: %s\n", native ? SDL_GetError() : "the window is gone");
    return false;
  }

 private:
  SDL_Window* Native() const { return static_cast<SDL_Window*>(SdlWindowHandle(window_)); }

  HWND window_;
  SDL_GLContext context_;
  SDL_Window* held_;  // kept (hidden once its HWND goes) until the context is deleted
  int interval_ = -1;
  bool selfPaced_ = false;
  int refresh_ = 60;
  Clock::time_point next_;
  int boundWidth_ = 0, boundHeight_ = 0;  // the drawable's size when the context was last bound to it
  static constexpr int kRebinds = 3;
  int rebinds_ = 0;  // presents left that bind the context afresh
};

std::unique_ptr<GlSurface> MakeSurface(HWND window, std::string* error) {
  auto* native = static_cast<SDL_Window*>(SdlWindowHandle(window));
  // Not an SDL window with GL (a headless one): the device falls back to EGL surfaceless.
  if (!native) return nullptr;
  SDL_GLContext context = SDL_GL_CreateContext(native);
  if (!context) {
    if (error) *error = std::string("SDL_GL_CreateContext(OpenGL 4.5 core): ") + SDL_GetError();
    return nullptr;
  }
  auto surface = std::make_unique<SdlGlSurface>(window, context);
  // Creating the context made it current behind the seam's back; tell the seam.
  surface->EnsureCurrent();
  std::fprintf(stderr, "platform: GL context: SDL2 window\n");
  return surface;
}

}  // namespace

void RegisterSdlGlSurfaces() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  SetGlSurfaceFactory(MakeSurface);
}

}  // namespace win
}  // namespace platform
