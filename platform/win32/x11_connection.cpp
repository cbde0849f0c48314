// The X connection going away under a running program (the server ended, was killed or
// cut the client off).
//
// Xlib tells of it through its I/O error handler and then, by default, calls exit()
// from inside whatever call found it. That exit runs the program's teardown on a dead
// connection, and SDL's teardown waits there for events that can never come: hiding a
// window waits for its UnmapNotify, so the process spun at full speed, unseen, forever.
// Here the loss ends the program the way a lost device does: one line on standard
// error, the program's own report (its log), status 1, and a teardown that leaves the
// windows alone.

#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/win32/display.h"
#include "platform/win32/window_internal.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>

namespace platform {
namespace {

std::atomic<bool> lost{false};
std::atomic<void (*)(const char*)> report{nullptr};

[[noreturn]] void EndForLostDisplay(Display* display) {
  // A second loss found while the first is ending (a second connection, or a teardown
  // step that reached the server after all) ends at once.
  if (lost.exchange(true)) std::_Exit(1);
  // (errno says nothing reliable here: a connection the server closed reads as "try
  // again".)
  const char* name = display ? DisplayString(display) : nullptr;
  const std::string reason = std::string("the connection to the X display ") + (name && *name ? name : "(unnamed)") +
                             " was lost (the server ended or cut it)";
  std::fprintf(stderr, "platform: %s; nothing can be shown any more, so the program ends\n", reason.c_str());
  std::fflush(stderr);
  if (auto* said = report.load()) said(reason.c_str());
  std::exit(1);
}

int OnIoError(Display* display) { EndForLostDisplay(display); }

void OnIoErrorExit(Display* display, void*) { EndForLostDisplay(display); }

}  // namespace

void SetDisplayLostReport(void (*said)(const char* reason)) { report.store(said); }

namespace win {

bool DisplayLost() { return lost.load(); }

void WatchDisplayConnection(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  // The handler for every connection (the dialog toolkit's too, unless it sets its own
  // after this), and the exit step of SDL's own connection, which nobody else replaces.
  static std::set<Display*> watched;
  if (!watched.insert(info.info.x11.display).second) return;
  XSetIOErrorHandler(OnIoError);
  XSetIOErrorExitHandler(info.info.x11.display, OnIoErrorExit, nullptr);
}

}  // namespace win
}  // namespace platform
