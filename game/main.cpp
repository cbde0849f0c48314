// The demo program: reads its switches, asks for display settings (or takes the
// desktop's), creates the window and plays the demo's one scene module.

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "authoring/programAuthoring.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/wrapper.h"
#include "game/TestScene1.h"
#include "platform/program_folders.h"
#include "platform/win32.h"
#include "platform/win32/display.h"
#include "platform/win32/window.h"

// Orv plays from wherever it was unpacked or installed, not only from the folder that
// holds data/.
PLATFORM_PROGRAM_FINDS_ITS_DATA;
// Ctrl-C or SIGTERM at any moment, loading included, ends the run as the close box
// would: status 0 and the log whole.
PLATFORM_PROGRAM_CLOSES_ON_INTERRUPT;
// -dev, -loop and -watch, and the overlay: the scene module tells them about the parts.
NEBLU_PROGRAM_HAS_AUTHORING;

namespace {

// The command line after the program name, as one string: switches are found by plain
// substring search, so "-nodialogue" or "x-logy" count too.
std::string CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

engine::WindowSettings DesktopSettings() {
  engine::WindowSettings settings;
  DEVMODEW mode = {};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  settings.width = static_cast<int>(mode.dmPelsWidth);
  settings.height = static_cast<int>(mode.dmPelsHeight);
  settings.fullscreen = true;
  settings.refreshNumerator = static_cast<int>(mode.dmDisplayFrequency);
  settings.refreshDenominator = 1;
  settings.sampleCount = 1;
  settings.sampleQuality = 0;
  settings.aspect = static_cast<float>(static_cast<double>(settings.width) / settings.height);
  return settings;
}

// Exit statuses: 0 when the demo played or the user ended it, kFailed when an error
// stopped it (a script running the demo must not mistake a broken data file for a
// finished video), 2 for a bad switch (the platform layer's, before anything runs).
constexpr int kFailed = 1;

int Show(const engine::core::Exception& e) {
  MessageBoxW(nullptr, e.GetText().c_str(), e.GetFunction().c_str(), MB_OK);
  return kFailed;
}

// Anything else thrown (out of memory, a library's own exception) is reported the same
// way instead of ending the process on an abort signal.
int Show(const std::exception& e) {
  MessageBoxW(nullptr, engine::core::ToWide(e.what()).c_str(), L"Orv", MB_OK);
  return kFailed;
}

// Test builds only (NEBLU_TEST_HOOKS): NEBLU_TEST_STOP=POINT stops the process at POINT
// ("start": before anything of main; "loaded": the modules loaded, before the main
// loop), so that a test can signal it there and then let it go on.
void StopHereForTests(const char* point) {
#ifdef NEBLU_TEST_HOOKS
  const char* at = std::getenv("NEBLU_TEST_STOP");
  if (at && std::strcmp(at, point) == 0) std::raise(SIGSTOP);
#else
  (void)point;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  StopHereForTests("start");
  const std::string commandLine = CommandLine(argc, argv);
  bool showDialog = commandLine.find("-nodialog") == std::string::npos;
  if (commandLine.find("-log") == std::string::npos) engine::Logging(false);

  const std::wstring title = L"Orv";
  engine::WindowSettings settings;
  if (showDialog && !platform::HasDisplay()) {
    // Nobody could answer the dialog: play on the desktop's mode as -nodialog does.
    NEBLU_MESSAGE("No display to show the settings dialog on; using the desktop mode as with -nodialog");
    showDialog = false;
  }
  if (showDialog) {
    try {
      settings = engine::SettingsDialog();
    } catch (const engine::core::Exception& e) {
      return Show(e);
    }
  } else {
    settings = DesktopSettings();
  }
  settings.title = title;
  if (settings.fullscreen) ShowCursor(FALSE);

  // Freed on every way out, failures included: the Kernel never deletes a module of its
  // own, and nothing runs the scene once the entry returns.
  std::unique_ptr<TestScene1> scene(new TestScene1());
  try {
    engine::CreateNEBLUWindow(settings);
    engine::AddModule(scene.get(), 10100);
  } catch (const engine::core::Exception& e) {
    return Show(e);
  } catch (const std::exception& e) {
    return Show(e);
  }
  // A part that failed to load has been shown; the loop must not draw what half of it left
  // behind (its first pass would only add errors that mislead), so it ends before a pass.
  if (engine::core::Kernel::FailedStarts() > 0) engine::QuitApplication();
  StopHereForTests("loaded");
  try {
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    return Show(e);
  } catch (const std::exception& e) {
    return Show(e);
  }
  // The Kernel only shows a failed Start (a missing or broken data file, the music) and
  // the scene then ends the run at once: the demo did not play.
  return engine::core::Kernel::FailedStarts() == 0 ? 0 : kFailed;
}
