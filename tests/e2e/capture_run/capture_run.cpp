// A short headless engine run for the capture: the program's window, device, renderer
// and an empty start-up script, the music, and a module that paints each frame in a colour taken from the music time and prints
// that time, one line a pass, so the script can hold the frames against the clock.
//   capture_run [switches for the layer, such as -capture DIR -fps 10]
//   (from a folder holding data/ with the music, the start-up script and the effect pool)

#include <cmath>
#include <cstdio>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "engine/core/windowStuff.h"
#include "engine/wrapper.h"
#include "platform/win32.h"

namespace {

using engine::core::CWin32Window;

class PaintTheTime : public engine::core::Module {
 public:
  explicit PaintTheTime(int passes_) : passes(passes_) {
    name = L"PaintTheTime";
    priority = 200;
  }
  bool Start() override { return true; }
  void Update() override {
    const double time = engine::GetTime();
    std::printf("time %.9f\n", time);
    std::fflush(stdout);
    // Each of a few frames a second apart gets a colour of its own.
    float colour[4] = {static_cast<float>(std::fmod(time * 2.3, 1.0)), static_cast<float>(std::fmod(time * 0.7, 1.0)),
                       0.25f, 1.0f};
    engine::SetClearColor(colour);
    if (--passes == 0) platform::InjectCloseRequest(CWin32Window::Get()->hWnd);
  }
  void Stop() override {}

 private:
  int passes;
};

}  // namespace

int main() {
  platform::ForceHeadless(true);
  PaintTheTime painter(6);
  try {
    engine::WindowSettings settings;
    settings.title = L"capture";
    settings.width = 160;
    settings.height = 90;
    engine::CreateNEBLUWindow(settings);
    engine::AddModule(&painter, 10100);
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    std::fprintf(stderr, "capture_run: %s (%s)\n", engine::core::ToNarrow(e.GetText()).c_str(),
                 engine::core::ToNarrow(e.GetFunction()).c_str());
    return 1;
  }
  return 0;
}
