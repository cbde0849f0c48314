#pragma once

// Seams for an overlay drawn over the window (the developer overlay in platform/overlay/),
// kept out of this library on purpose: the overlay's UI library keeps global state that
// must exist once per process, so it lives in the program, and the layer only offers the
// places to hook in.
//
// Every hook is set and called on the thread that makes the windows and presents (the
// layer's windows are single-threaded anyway). Setting an empty function removes a hook.
//
// Only SDL windows take part: a headless surface never calls the drawer, and captures
// (-capture, -video) read the swap chain's back buffer, which the overlay never touches,
// so the overlay cannot appear in a captured frame or a screenshot of the back buffer.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/api.h"

union SDL_Event;

namespace platform {

class GlSurface;

// Called by the SDL window surface's Present after the frame was copied into the window's
// default framebuffer and before the swap, with the window's context current and the
// default framebuffer bound for drawing. Whatever GL state the drawer changes it must put
// back: the device keeps its own record of GL state and does not look again.
using WindowOverlayDrawer = std::function<void(int drawableWidth, int drawableHeight)>;
PLATFORM_API void SetWindowOverlayDrawer(WindowOverlayDrawer drawer);

// Called as a window's GL context is about to be destroyed (its device went), so that
// GL objects the drawer made in it can go first. `surface` is the window's surface (the
// one GlSurface::Current() named while the drawer ran in it); `current` is true when
// its context could be made current for the call, false when the window went before its
// device and the objects can only be forgotten (they go with the context).
using WindowContextEndObserver = std::function<void(GlSurface& surface, bool current)>;
PLATFORM_API void SetWindowContextEndObserver(WindowContextEndObserver observer);

// Sees every SDL event before the layer turns it into window messages. Returning true
// swallows the event: the program never hears of it (a click on the overlay stays there).
using SdlEventObserver = std::function<bool(const SDL_Event& event)>;
PLATFORM_API void SetSdlEventObserver(SdlEventObserver observer);

// One read-back of the next SDL window frame, for tests: the default framebuffer as it is
// after the overlay was drawn and before the swap. rgba holds width * height * 4 bytes,
// top row first. A second request before that frame replaces the first.
using WindowReadback = std::function<void(std::vector<std::uint8_t> rgba, int width, int height)>;
PLATFORM_API void RequestWindowReadback(WindowReadback callback);

}  // namespace platform
