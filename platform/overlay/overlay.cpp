#include "platform/overlay/overlay.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/gl/context.h"
#include "platform/overlay/input.h"
#include "platform/overlay/renderer.h"
#include "platform/overlay_hooks.h"
#include "platform/win32.h"

namespace platform {
namespace {

// ImGui asks for the clipboard text and keeps the pointer until it asks again, so SDL's
// copy lives in the Overlay until then.
const char* ClipboardText(void* user) {
  char*& held = *static_cast<char**>(user);
  SDL_free(held);
  held = SDL_GetClipboardText();
  return held;
}

void SetClipboardText(void*, const char* text) { SDL_SetClipboardText(text); }

}  // namespace

Overlay::Overlay(HWND window) : window_(window) {
  IMGUI_CHECKVERSION();
  context_ = ImGui::CreateContext();
  ImGui::SetCurrentContext(context_);
  ImGuiIO& io = ImGui::GetIO();
  // Nothing goes into the working directory: the demo runs from its data folder.
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.Fonts->AddFontDefault();
  // Built here, on the CPU: frames can be built before any window has presented, and the
  // texture is made when the first one is drawn.
  io.Fonts->Build();
  io.ClipboardUserData = &clipboard_;
  io.GetClipboardTextFn = ClipboardText;
  io.SetClipboardTextFn = SetClipboardText;
  input_ = std::make_unique<OverlayInput>();

  SetWindowOverlayDrawer([this](int width, int height) { Draw(width, height); });
  SetSdlEventObserver([this](const SDL_Event& event) { return Observe(event); });
  SetWindowContextEndObserver([this](GlSurface& surface, bool current) {
    if (&surface == surface_) ReleaseRenderer(current);
  });
}

Overlay::~Overlay() {
  SetWindowOverlayDrawer(nullptr);
  SetSdlEventObserver(nullptr);
  SetWindowContextEndObserver(nullptr);
  if (renderer_) {
    // The window's context is still alive (its end would have released the renderer),
    // though another may be current now.
    GlSurface* previous = GlSurface::Current();
    if (surface_ && surface_->EnsureCurrent()) {
      renderer_.reset();
    } else {
      renderer_->Abandon();
    }
    if (previous && previous != surface_) previous->EnsureCurrent();
  }
  renderer_.reset();
  input_.reset();
  ImGui::DestroyContext(context_);
  SDL_free(clipboard_);
}

void Overlay::LeaveGlObjectsToTheContext() {
  if (renderer_) renderer_->Abandon();
  renderer_.reset();
  surface_ = nullptr;
}

void Overlay::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    input_->Reset();
  } else {
    // A frame under way (a panel's own close button) still ends in EndFrame; it is just
    // not drawn.
    frameReady_ = false;
  }
}

bool Overlay::BeginFrame(double seconds) {
  if (!visible_) return false;
  if (inFrame_) ImGui::EndFrame();  // a frame begun and never ended is dropped
  ImGuiIO& io = ImGui::GetIO();
  int width = drawableWidth_, height = drawableHeight_;
  RECT client{};
  if ((width <= 0 || height <= 0) && window_ && GetClientRect(window_, &client)) {
    width = client.right - client.left;
    height = client.bottom - client.top;
  }
  io.DisplaySize = ImVec2(static_cast<float>(std::max(width, 0)), static_cast<float>(std::max(height, 0)));
  // SDL windows are made without high-DPI drawables, so window coordinates (where the
  // mouse is) are drawable pixels.
  io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
  // ImGui refuses a zero step; two frames in one clock tick still move on a little.
  io.DeltaTime = static_cast<float>(std::max(seconds, 1e-4));
  input_->BeginFrame();
  ImGui::NewFrame();
  inFrame_ = true;
  frameReady_ = false;
  return true;
}

void Overlay::EndFrame() {
  if (!inFrame_) return;
  ImGui::Render();
  inFrame_ = false;
  frameReady_ = visible_;
}

void Overlay::Draw(int drawableWidth, int drawableHeight) {
  drawableWidth_ = drawableWidth;
  drawableHeight_ = drawableHeight;
  if (!visible_ || !frameReady_ || rendererFailed_) return;
  GlSurface* current = GlSurface::Current();
  if (!renderer_) {
    std::string error;
    renderer_ = OverlayRenderer::Create(ImGui::GetIO(), &error);
    if (!renderer_) {
      std::fprintf(stderr, "platform: overlay: %s; the overlay is not drawn\n", error.c_str());
      rendererFailed_ = true;
      return;
    }
    surface_ = current;
  } else if (current != surface_) {
    return;  // another window's context: the objects live in the first one's
  }
  if (const ImDrawData* data = ImGui::GetDrawData(); data && data->Valid) renderer_->Draw(*data);
}

bool Overlay::Observe(const SDL_Event& event) { return visible_ && input_->Feed(event); }

void Overlay::ReleaseRenderer(bool current) {
  if (!renderer_) return;
  if (!current) renderer_->Abandon();
  renderer_.reset();
  surface_ = nullptr;
  // Frames built from now on name the atlas by a null id until a new texture exists.
  ImGui::GetIO().Fonts->SetTexID(nullptr);
  frameReady_ = false;
}

}  // namespace platform
