// The GL surface of an SDL2 window: the device renders offscreen and hands each frame
// here, to be copied into the window and swapped.

#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/gl/context.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

using Clock = std::chrono::steady_clock;

class SdlGlSurface final : public GlSurface {
 public:
  SdlGlSurface(HWND window, SDL_GLContext context) : window_(window), context_(context) {}
  ~SdlGlSurface() override {
    ForgetIfCurrent();
    if (SDL_Window* native = Native()) SDL_GL_MakeCurrent(native, nullptr);
    SDL_GL_DeleteContext(context_);
  }
  SdlGlSurface(const SdlGlSurface&) = delete;
  SdlGlSurface& operator=(const SdlGlSurface&) = delete;

  void Present(unsigned texture, int width, int height, unsigned syncInterval) override {
    SDL_Window* native = Native();
    // The window went first (closed while the device still lives): nothing to show.
    if (!native) return;
    const int interval = syncInterval ? 1 : 0;
    if (interval != interval_) {
      interval_ = interval;
      // Xvfb and some drivers cannot wait for the vertical blank; pace ourselves there.
      selfPaced_ = SDL_GL_SetSwapInterval(interval) != 0 && interval == 1;
      if (selfPaced_) {
        SDL_DisplayMode mode;
        refresh_ = SDL_GetWindowDisplayMode(native, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
        next_ = Clock::now();
      }
    }
    int drawableWidth = 0, drawableHeight = 0;
    SDL_GL_GetDrawableSize(native, &drawableWidth, &drawableHeight);
    BlitToDefaultFramebuffer(texture, width, height, drawableWidth, drawableHeight);
    SDL_GL_SwapWindow(native);
    if (selfPaced_) {
      next_ += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / refresh_));
      const auto now = Clock::now();
      if (next_ > now) {
        std::this_thread::sleep_until(next_);
      } else {
        next_ = now;  // late: start counting again rather than rushing to catch up
      }
    }
  }

  std::string Describe() const override {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string("SDL2 window (") + (renderer ? renderer : "unknown renderer") + ")";
  }

 protected:
  bool MakeCurrentImpl() override {
    SDL_Window* native = Native();
    if (native && SDL_GL_MakeCurrent(native, context_) == 0) return true;
    std::fprintf(stderr, "platform: SDL_GL_MakeCurrent: %s\n", native ? SDL_GetError() : "the window is gone");
    return false;
  }

 private:
  SDL_Window* Native() const { return static_cast<SDL_Window*>(SdlWindowHandle(window_)); }

  HWND window_;
  SDL_GLContext context_;
  int interval_ = -1;
  bool selfPaced_ = false;
  int refresh_ = 60;
  Clock::time_point next_;
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
