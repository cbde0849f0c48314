// The template demo's program: the desktop's display mode (or the settings dialog with a
// display), the window, the one scene module, and the run.

#include <exception>
#include <memory>

#include "authoring/programAuthoring.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/wrapper.h"
#include "platform/program_folders.h"
#include "platform/win32.h"
#include "platform/win32/messages.h"
#include "ringScene.h"

// Plays from any folder: data/ is found beside the program (or in PREFIX/share/template
// once installed, or in the working directory).
PLATFORM_PROGRAM_FINDS_ITS_DATA;
// Ctrl-C or SIGTERM at any moment, loading included, ends the run as the close box would.
PLATFORM_PROGRAM_CLOSES_ON_INTERRUPT;
// -dev (player keys, and the overlay: F1), -loop S E and -watch: the scene module tells
// them about its part.
NEBLU_PROGRAM_HAS_AUTHORING;

int main() {
  engine::WindowSettings settings;
  DEVMODEW mode = {};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  settings.width = static_cast<int>(mode.dmPelsWidth);
  settings.height = static_cast<int>(mode.dmPelsHeight);
  settings.fullscreen = false;
  settings.refreshNumerator = static_cast<int>(mode.dmDisplayFrequency);
  settings.refreshDenominator = 1;
  settings.sampleCount = 1;
  settings.aspect = static_cast<float>(settings.width) / static_cast<float>(settings.height);
  settings.title = L"Template";

  std::unique_ptr<RingScene> scene(new RingScene());
  try {
    engine::CreateNEBLUWindow(settings);
    engine::AddModule(scene.get(), 10100);
    // A scene that failed to load has been shown; the loop must not draw what half of it
    // left behind, so it ends before a pass.
    if (engine::core::Kernel::FailedStarts() > 0) engine::QuitApplication();
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    MessageBoxW(nullptr, e.GetText().c_str(), e.GetFunction().c_str(), MB_OK);
    return 1;
  } catch (const std::exception&) {
    return 1;
  }
  // A module whose Start failed (the music missing, a broken data file) was only shown, and
  // the run went on without it: the demo did not play.
  return engine::core::Kernel::FailedStarts() == 0 ? 0 : 1;
}
