// The overlay seams (platform/overlay_hooks.h). Part of the shared platform library, not
// of the overlay: the window back end calls them whether or not a program has an overlay.

#include <epoxy/gl.h>

#include <cstring>
#include <utility>

#include "platform/overlay/hooks_internal.h"
#include "platform/overlay_hooks.h"

namespace platform {
namespace {

struct Hooks {
  WindowOverlayDrawer drawer;
  WindowContextEndObserver contextEnd;
  SdlEventObserver observer;
  WindowReadback readback;
};

Hooks& TheHooks() {
  static Hooks hooks;
  return hooks;
}

// The default framebuffer's back buffer, top row first. Pack state is the device's too
// (it reads textures back with its own alignment), so it is put back.
std::vector<std::uint8_t> ReadDefaultFramebuffer(int width, int height) {
  GLint readFramebuffer = 0, packBuffer = 0, alignment = 0, rowLength = 0, skipRows = 0, skipPixels = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
  glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
  glGetIntegerv(GL_PACK_SKIP_ROWS, &skipRows);
  glGetIntegerv(GL_PACK_SKIP_PIXELS, &skipPixels);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_SKIP_ROWS, 0);
  glPixelStorei(GL_PACK_SKIP_PIXELS, 0);

  const std::size_t row = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> bottomUp(row * static_cast<std::size_t>(height));
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<std::uint8_t> rgba(bottomUp.size());
  for (int y = 0; y < height; ++y) {
    std::memcpy(&rgba[static_cast<std::size_t>(y) * row], &bottomUp[static_cast<std::size_t>(height - 1 - y) * row], row);
  }

  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
  glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
  glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
  return rgba;
}

}  // namespace

void SetWindowOverlayDrawer(WindowOverlayDrawer drawer) { TheHooks().drawer = std::move(drawer); }
void SetWindowContextEndObserver(WindowContextEndObserver observer) { TheHooks().contextEnd = std::move(observer); }
void SetSdlEventObserver(SdlEventObserver observer) { TheHooks().observer = std::move(observer); }
void RequestWindowReadback(WindowReadback callback) { TheHooks().readback = std::move(callback); }

namespace overlay_hooks {

void FinishWindowFrame(int drawableWidth, int drawableHeight) {
  Hooks& hooks = TheHooks();
  if (hooks.drawer) {
    // The blit leaves the device's own framebuffer bound; the overlay goes on the window.
    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    hooks.drawer(drawableWidth, drawableHeight);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
  }
  if (hooks.readback && drawableWidth > 0 && drawableHeight > 0) {
    // Taken out first: the callback may ask for the next frame.
    WindowReadback callback = std::move(hooks.readback);
    hooks.readback = nullptr;
    callback(ReadDefaultFramebuffer(drawableWidth, drawableHeight), drawableWidth, drawableHeight);
  }
}

bool WantsContextEnd() { return static_cast<bool>(TheHooks().contextEnd); }

void WindowContextEnding(GlSurface& surface, bool current) {
  if (TheHooks().contextEnd) TheHooks().contextEnd(surface, current);
}

bool Swallowed(const SDL_Event& event) { return TheHooks().observer && TheHooks().observer(event); }

}  // namespace overlay_hooks
}  // namespace platform
