// Moves and clicks the pointer of the X display in $DISPLAY through XTest, as a person
// would, for end-to-end tests of programs that run in a window:
//   x_pointer click X Y [BUTTON]        press and release at X, Y (button 1 by default)
//   x_pointer drag X1 Y1 X2 Y2 [BUTTON]  press at X1, Y1, move to X2, Y2 in steps, release
// Each event is flushed and synced, so the server has queued it when the tool returns.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Step(Display* display) {
  XSync(display, False);
  usleep(30 * 1000);  // lets the program's event loop see each step on its own
}

}  // namespace

int main(int argc, char** argv) {
  const bool click = argc >= 4 && std::strcmp(argv[1], "click") == 0;
  const bool drag = argc >= 6 && std::strcmp(argv[1], "drag") == 0;
  if (!click && !drag) {
    std::fprintf(stderr, "usage: x_pointer click X Y [BUTTON] | drag X1 Y1 X2 Y2 [BUTTON]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x_pointer: cannot open the display\n");
    return 1;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "x_pointer: the display has no XTest\n");
    return 1;
  }
  const int x1 = std::atoi(argv[2]), y1 = std::atoi(argv[3]);
  const int x2 = drag ? std::atoi(argv[4]) : x1, y2 = drag ? std::atoi(argv[5]) : y1;
  const int buttonArg = drag ? 6 : 4;
  const unsigned button = argc > buttonArg ? static_cast<unsigned>(std::atoi(argv[buttonArg])) : 1u;
  XTestFakeMotionEvent(display, -1, x1, y1, CurrentTime);
  Step(display);
  XTestFakeButtonEvent(display, button, True, CurrentTime);
  Step(display);
  constexpr int Steps = 8;
  for (int k = 1; drag && k <= Steps; ++k) {
    XTestFakeMotionEvent(display, -1, x1 + (x2 - x1) * k / Steps, y1 + (y2 - y1) * k / Steps, CurrentTime);
    Step(display);
  }
  XTestFakeButtonEvent(display, button, False, CurrentTime);
  Step(display);
  XCloseDisplay(display);
  return 0;
}
