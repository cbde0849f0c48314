#pragma once

// The one seam between the graphics device and whatever owns the GL context.
//
// The device never creates a context itself: it asks this seam for a GlSurface and
// draws into offscreen textures only. The back buffer is such a texture too, so
// presenting a frame means handing its texture to the surface, which copies it out
// (with a vertical flip: our textures hold their top row first, a GL window's
// default framebuffer the bottom row) and swaps, or does nothing when headless.
//
// Two implementations exist:
//   - headless: an EGL surfaceless context on the Mesa driver (built in, always
//     available where EGL is);
//   - windowed: supplied by the window layer through SetGlSurfaceFactory, for
//     example an SDL2 window with its own GL 4.5 core context.
//
// How the window layer plugs in:
//
//   platform::SetGlSurfaceFactory([](HWND window, std::string* error)
//       -> std::unique_ptr<platform::GlSurface> {
//     return MakeMySdlSurface(window, error);   // null + *error on failure
//   });
//
// Its surface creates a GL 4.5 core context for the window, MakeCurrent makes it
// current on the calling thread, and Present does
//
//   MakeCurrent(); SDL_GL_SetSwapInterval(syncInterval);
//   platform::BlitToDefaultFramebuffer(texture, width, height, drawableW, drawableH);
//   SDL_GL_SwapWindow(window);
//
// The factory is consulted for every device whose swap chain names a window. A device
// made without a window (D3D10CreateDevice, or a swap chain whose OutputWindow is
// null) and a factory that returns null with no error fall back to headless.
//
// Every context is made current only through GlSurface::MakeCurrent (or the device
// calls, which go through it), so the seam always knows which surface is current and
// several devices can share one thread.

#include <functional>
#include <memory>
#include <string>

#include "platform/api.h"
#include "platform/win32/types.h"

namespace platform {

class PLATFORM_API GlSurface {
 public:
  GlSurface();
  virtual ~GlSurface();
  GlSurface(const GlSurface&) = delete;
  GlSurface& operator=(const GlSurface&) = delete;

  // Makes this surface's context current on the calling thread; false (with the
  // reason on standard error) when the driver refuses. Cheap when it already is:
  // callers go through EnsureCurrent.
  bool EnsureCurrent();

  // Shows one frame. `texture` is a single-sampled GL_TEXTURE_2D of width x height
  // whose row 0 is the top of the picture. syncInterval 0 presents at once, N (1 to 4)
  // waits for the Nth vertical blank where the surface can (a surface that cannot
  // paces itself to N refresh periods a frame). The context is current when this is
  // called.
  virtual void Present(unsigned texture, int width, int height, unsigned syncInterval) = 0;

  // "EGL surfaceless (llvmpipe ...)", "SDL2 window": written to the log by the device.
  virtual std::string Describe() const = 0;

  // A fullscreen swap chain takes the output: the window covers the display, at the
  // mode width x height (refresh in hertz, 0 for any) where the display offers it, else
  // at the desktop's mode with the picture scaled to fit. False leaves fullscreen and
  // gives the display its desktop mode back. Returns false where there is no output
  // (headless) or the window system refused; the reason is on standard error.
  virtual bool SetFullscreen(bool fullscreen, int width, int height, int refresh);

  // The surface whose context is current on this thread, or null.
  static GlSurface* Current();

 protected:
  // Implementations make their context current (or release it with `release`).
  virtual bool MakeCurrentImpl() = 0;
  // Called by implementations from their destructor before they destroy the context.
  void ForgetIfCurrent();
};

using GlSurfaceFactory = std::function<std::unique_ptr<GlSurface>(HWND window, std::string* error)>;

// Installs the factory for windowed surfaces; an empty function removes it.
PLATFORM_API void SetGlSurfaceFactory(GlSurfaceFactory factory);

// A surface for `window` (through the factory when one is set and window is not null),
// else a headless one. Null with the reason in *error when no context can be made.
PLATFORM_API std::unique_ptr<GlSurface> CreateGlSurface(HWND window, std::string* error);

// Always the built-in headless EGL surface.
PLATFORM_API std::unique_ptr<GlSurface> CreateHeadlessGlSurface(std::string* error);

// Copies a top-row-first texture to the current context's default framebuffer,
// flipped so it shows upright: 1:1 when the sizes agree, else scaled with linear
// filtering to the largest size of the same aspect that fits dstWidth x dstHeight,
// centred between black bars. For GlSurface implementations; leaves GL state as it
// found it.
PLATFORM_API void BlitToDefaultFramebuffer(unsigned texture, int width, int height, int dstWidth, int dstHeight);

// Where BlitToDefaultFramebuffer puts a width x height picture in dstWidth x dstHeight:
// x and y from the top left, in pixels.
struct LetterboxRect {
  int x, y, width, height;
};
PLATFORM_API LetterboxRect Letterbox(int width, int height, int dstWidth, int dstHeight);

}  // namespace platform
