#pragma once

// The developer overlay: an ImGui UI drawn over the program's window and nowhere else.
//
// The program owns one Overlay (ImGui keeps global state, so there is one at a time) and
// builds its panels between BeginFrame and EndFrame with ImGui's own calls:
//
//   platform::Overlay overlay(window);
//   ...each frame, before the swap chain's Present:
//   if (overlay.BeginFrame(secondsSinceLastFrame)) {
//     ImGui::Begin("Timeline"); ... ImGui::End();
//     overlay.EndFrame();
//   }
//   swapChain->Present(...);   // the window's copy of the frame gets the overlay on top
//
// It draws on the window's own GL context at Present, over the copy of the back buffer in
// the window (platform/overlay_hooks.h), so captures and screenshots never contain it.
// Clicks and keys ImGui wants are kept from the program; everything else passes.
//
// Hidden (the default) it costs nothing: BeginFrame builds no frame, the drawer returns
// at once and every event goes to the program untouched.
//
// The window's GL objects are made at its first present with the overlay visible and go
// with the device's context or with the Overlay, whichever goes first. One window: the
// first whose present the overlay is drawn in.

#include <memory>

#include "platform/win32/types.h"

struct ImGuiContext;
union SDL_Event;

namespace platform {

class GlSurface;
class OverlayInput;
class OverlayRenderer;

class Overlay {
 public:
  // Makes the ImGui context (current from now on; no settings or log file is written,
  // the default font) and installs the hooks. `window`, where given, gives the display
  // size until the first frame has been presented.
  explicit Overlay(HWND window = nullptr);
  // Removes the hooks, releases the GL objects (making their context current for that if
  // it is still alive, and the context that was current again after) and destroys the
  // ImGui context.
  ~Overlay();
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  // For a program that is ending: its window may be gone already, with its context no
  // longer current, so the GL objects are left to that context, which goes with the
  // device, and nothing is called on GL when the Overlay is destroyed.
  void LeaveGlObjectsToTheContext();

  bool Visible() const { return visible_; }
  // Showing forgets input seen while hidden; hiding drops the last frame built.
  void SetVisible(bool visible);

  // Starts an ImGui frame `seconds` after the last one, at the window's drawable size as
  // of the last present (the window's client size before any). False when hidden: then
  // no frame was started and no ImGui call may follow.
  bool BeginFrame(double seconds);
  // Ends the frame (ImGui::Render); the next present draws it. Nothing when no frame was
  // started.
  void EndFrame();

 private:
  void Draw(int drawableWidth, int drawableHeight);
  bool Observe(const SDL_Event& event);
  void ReleaseRenderer(bool current);  // the renderer's context is ending

  HWND window_;
  ImGuiContext* context_ = nullptr;
  std::unique_ptr<OverlayInput> input_;
  std::unique_ptr<OverlayRenderer> renderer_;
  GlSurface* surface_ = nullptr;   // whose context holds renderer_'s objects
  bool rendererFailed_ = false;    // said why once; the overlay stays undrawn
  bool visible_ = false;
  bool inFrame_ = false;
  bool frameReady_ = false;        // a frame was rendered and not superseded
  int drawableWidth_ = 0, drawableHeight_ = 0;
  char* clipboard_ = nullptr;      // SDL's copy of the clipboard text last handed to ImGui
};

}  // namespace platform
