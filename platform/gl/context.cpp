#include "platform/gl/context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

namespace platform {
namespace {

thread_local GlSurface* currentSurface = nullptr;

std::mutex factoryMutex;
GlSurfaceFactory& Factory() {
  static GlSurfaceFactory factory;
  return factory;
}

// The surfaceless display is shared by every headless surface and initialised once
// for the life of the process. Terminating it unloads the driver, whose own caches
// would then show up as leaks nobody can attribute; its contexts are what we free.
std::mutex displayMutex;
EGLDisplay sharedDisplay = EGL_NO_DISPLAY;

std::string EglErrorText(const char* what) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%s failed (EGL error 0x%04X)", what, static_cast<unsigned>(eglGetError()));
  return buffer;
}

EGLDisplay AcquireDisplay(std::string* error) {
  std::lock_guard<std::mutex> lock(displayMutex);
  if (sharedDisplay == EGL_NO_DISPLAY) {
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
      *error = "EGL_MESA_platform_surfaceless is not available";
      return EGL_NO_DISPLAY;
    }
    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
      *error = EglErrorText("eglGetPlatformDisplayEXT(surfaceless)");
      return EGL_NO_DISPLAY;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
      *error = EglErrorText("eglInitialize");
      return EGL_NO_DISPLAY;
    }
    sharedDisplay = display;
  }
  return sharedDisplay;
}

// Looked up by hand: the GL loader resolves some entry points by asking the window
// system's GL library which context is current, and a tracer that wraps EGL alone has
// no answer and aborts the process.
PFNGLFRAMETERMINATORGREMEDYPROC FrameTerminator() {
  auto getIntegerv = reinterpret_cast<PFNGLGETINTEGERVPROC>(eglGetProcAddress("glGetIntegerv"));
  auto getStringi = reinterpret_cast<PFNGLGETSTRINGIPROC>(eglGetProcAddress("glGetStringi"));
  if (!getIntegerv || !getStringi) return nullptr;
  GLint count = 0;
  getIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* name = reinterpret_cast<const char*>(getStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (name && std::strcmp(name, "GL_GREMEDY_frame_terminator") == 0) {
      return reinterpret_cast<PFNGLFRAMETERMINATORGREMEDYPROC>(eglGetProcAddress("glFrameTerminatorGREMEDY"));
    }
  }
  return nullptr;
}

class HeadlessSurface final : public GlSurface {
 public:
  HeadlessSurface(EGLDisplay display, EGLContext context) : display_(display), context_(context) {}
  ~HeadlessSurface() override {
    ForgetIfCurrent();
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
  }

  void Present(unsigned, int, int, unsigned) override {
    // Nothing to show; flushing keeps the driver's queue from growing without bound
    // when nobody ever reads a pixel back.
    glFlush();
    // A headless context never swaps, so a GL tracer would see the whole run as one
    // frame. Tracers offer this extension to be told where frames end; drivers do not,
    // so an untraced run asks once and never calls it.
    if (!askedForTerminator_) {
      askedForTerminator_ = true;
      frameTerminator_ = FrameTerminator();
    }
    if (frameTerminator_) frameTerminator_();
  }

  std::string Describe() const override { return "EGL surfaceless"; }

 protected:
  bool MakeCurrentImpl() override {
    if (eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_)) return true;
    std::fprintf(stderr, "platform: %s\n", EglErrorText("eglMakeCurrent").c_str());
    return false;
  }

 private:
  EGLDisplay display_;
  EGLContext context_;
  // Asked at the first frame, when the context is current.
  bool askedForTerminator_ = false;
  PFNGLFRAMETERMINATORGREMEDYPROC frameTerminator_ = nullptr;
};

}  // namespace

GlSurface::GlSurface() = default;
GlSurface::~GlSurface() { ForgetIfCurrent(); }

bool GlSurface::SetFullscreen(bool, int, int, int) { return false; }

bool GlSurface::EnsureCurrent() {
  if (currentSurface == this) return true;
  if (!MakeCurrentImpl()) return false;
  currentSurface = this;
  return true;
}

GlSurface* GlSurface::Current() { return currentSurface; }

void GlSurface::ForgetIfCurrent() {
  if (currentSurface == this) currentSurface = nullptr;
}

void SetGlSurfaceFactory(GlSurfaceFactory factory) {
  std::lock_guard<std::mutex> lock(factoryMutex);
  Factory() = std::move(factory);
}

std::unique_ptr<GlSurface> CreateHeadlessGlSurface(std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  EGLDisplay display = AcquireDisplay(error);
  if (display == EGL_NO_DISPLAY) return nullptr;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    *error = EglErrorText("eglBindAPI(OpenGL)");
    return nullptr;
  }
  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 4, EGL_CONTEXT_MINOR_VERSION, 5,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) {
    *error = EglErrorText("eglCreateContext(OpenGL 4.5 core)");
    return nullptr;
  }
  return std::unique_ptr<GlSurface>(new HeadlessSurface(display, context));
}

std::unique_ptr<GlSurface> CreateGlSurface(HWND window, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  GlSurfaceFactory factory;
  {
    std::lock_guard<std::mutex> lock(factoryMutex);
    factory = Factory();
  }
  if (window && factory) {
    error->clear();
    std::unique_ptr<GlSurface> surface = factory(window, error);
    if (surface || !error->empty()) return surface;
  }
  return CreateHeadlessGlSurface(error);
}

LetterboxRect Letterbox(int width, int height, int dstWidth, int dstHeight) {
  if (width <= 0 || height <= 0 || (width == dstWidth && height == dstHeight)) {
    return LetterboxRect{0, 0, dstWidth, dstHeight};
  }
  // Compared as products so that an exact fit is never off by a rounding.
  const long long wide = static_cast<long long>(dstWidth) * height, tall = static_cast<long long>(dstHeight) * width;
  LetterboxRect r{0, 0, dstWidth, dstHeight};
  if (wide > tall) {
    r.width = static_cast<int>((static_cast<long long>(dstHeight) * width + height / 2) / height);
    r.x = (dstWidth - r.width) / 2;
  } else if (tall > wide) {
    r.height = static_cast<int>((static_cast<long long>(dstWidth) * height + width / 2) / width);
    r.y = (dstHeight - r.height) / 2;
  }
  return r;
}

void BlitToDefaultFramebuffer(unsigned texture, int width, int height, int dstWidth, int dstHeight) {
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLboolean srgb = glIsEnabled(GL_FRAMEBUFFER_SRGB);
  GLint drawFramebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FRAMEBUFFER_SRGB);

  const LetterboxRect to = Letterbox(width, height, dstWidth, dstHeight);
  if (to.width != dstWidth || to.height != dstHeight) {
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glClearNamedFramebufferfv(0, GL_COLOR, 0, black);
  }
  GLuint source = 0;
  glCreateFramebuffers(1, &source);
  glNamedFramebufferTexture(source, GL_COLOR_ATTACHMENT0, texture, 0);
  glNamedFramebufferReadBuffer(source, GL_COLOR_ATTACHMENT0);
  // Rows run top first in the texture and bottom first on a window: swap y0 and y1.
  const int top = dstHeight - to.y;  // in the window's bottom-up rows
  glBlitNamedFramebuffer(source, 0, 0, 0, width, height, to.x, top, to.x + to.width, top - to.height,
                         GL_COLOR_BUFFER_BIT, width == to.width && height == to.height ? GL_NEAREST : GL_LINEAR);
  glDeleteFramebuffers(1, &source);

  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
  if (scissor) glEnable(GL_SCISSOR_TEST);
  if (srgb) glEnable(GL_FRAMEBUFFER_SRGB);
}

}  // namespace platform
