// What SDL does not track about its X11 windows.
//
// A fullscreen window where no window manager runs: SDL asks for fullscreen the way
// window managers understand (_NET_WM_STATE_FULLSCREEN); with none to act on it the
// window keeps the place and size it was made with. Then the window is put over the
// whole display here, and back where it was when it leaves fullscreen.
//
// The size a window really has: SDL takes a fullscreen window for the mode's size as
// soon as it asks, before any window manager has acted, and sends no event when the
// server's size then changes to what it already believes.

#include <SDL.h>
#include <SDL_syswm.h>

#include <map>

#include "platform/win32/window_internal.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {
namespace win {
namespace {

// Where each window stood before it went fullscreen. Never destroyed: windows still
// open at exit go with the window registry, which static teardown may reach later.
std::map<SDL_Window*, SDL_Rect>& WindowedPlaces() {
  static auto* places = new std::map<SDL_Window*, SDL_Rect>;
  return *places;
}

// Set while a request that may name a window gone meanwhile runs: such an error is
// expected there, and the handler in force (SDL's, which ends the process) must not
// see it.
bool windowErrorSeen = false;
int NoteWindowError(Display*, XErrorEvent*) {
  windowErrorSeen = true;
  return 0;
}

// The window `owner`'s _NET_SUPPORTING_WM_CHECK names; false when it names none or
// `owner` does not exist.
bool CheckWindowOf(Display* display, ::Window owner, Atom check, ::Window* named) {
  XSync(display, False);
  windowErrorSeen = false;
  XErrorHandler previous = XSetErrorHandler(NoteWindowError);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(display, owner, check, 0, 1, False, XA_WINDOW, &type, &format, &items, &left,
                                       &data) == Success;
  XSync(display, False);
  XSetErrorHandler(previous);
  const bool found = read && !windowErrorSeen && data && type == XA_WINDOW && format == 32 && items == 1;
  if (found) *named = reinterpret_cast<const unsigned long*>(data)[0];
  if (data) XFree(data);
  return found;
}

// A compliant window manager names its check window on the root window, and the check
// window names itself the same way. A manager that has gone (killed, crashed) leaves
// the root's property behind, naming a window that no longer exists, or once its id
// is used again a window that names nothing: then no window manager runs, and none
// will act on a fullscreen request.
bool HasWindowManager(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0) return false;
  ::Window named = 0, itself = 0;
  return CheckWindowOf(display, DefaultRootWindow(display), check, &named) && named != 0 &&
         CheckWindowOf(display, named, check, &itself) && itself == named;
}

// The X connection and window behind an SDL window; false when it is not an X11 one.
bool X11Of(SDL_Window* window, Display** display, ::Window* xwindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *xwindow = info.info.x11.window;
  return true;
}

}  // namespace

void RememberWindowedPlace(SDL_Window* window) {
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) return;
  SDL_Rect place{};
  SDL_GetWindowPosition(window, &place.x, &place.y);
  SDL_GetWindowSize(window, &place.w, &place.h);
  WindowedPlaces()[window] = place;
}

void ForgetWindowedPlace(SDL_Window* window) { WindowedPlaces().erase(window); }

void FollowFullscreenState(SDL_Window* window) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  if (!X11Of(window, &display, &xwindow) || HasWindowManager(display)) return;
  SDL_Rect place{};
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &place) != 0) return;
  } else {
    const auto found = WindowedPlaces().find(window);
    if (found == WindowedPlaces().end()) return;
    place = found->second;
  }
  XMoveResizeWindow(display, xwindow, place.x, place.y, static_cast<unsigned>(place.w), static_cast<unsigned>(place.h));
  XRaiseWindow(display, xwindow);
  XFlush(display);
}

bool X11ClientSize(SDL_Window* window, int* width, int* height) {
  Display* display = nullptr;
  ::Window xwindow = 0;
  XWindowAttributes attributes{};
  if (!X11Of(window, &display, &xwindow) || !XGetWindowAttributes(display, xwindow, &attributes)) return false;
  *width = attributes.width;
  *height = attributes.height;
  return true;
}

}  // namespace win
}  // namespace platform
