#pragma once

// The SDL window back end's side of platform/overlay_hooks.h. Not exported.

union SDL_Event;

namespace platform {

class GlSurface;
namespace overlay_hooks {

// From the window surface's Present, after the blit: draws the overlay into the default
// framebuffer and answers a pending read-back. The context is current.
void FinishWindowFrame(int drawableWidth, int drawableHeight);
// From the window surface's destructor; see SetWindowContextEndObserver.
void WindowContextEnding(GlSurface& surface, bool current);
bool WantsContextEnd();
// From the event pump: true when the event was swallowed.
bool Swallowed(const SDL_Event& event);

}  // namespace overlay_hooks
}  // namespace platform
