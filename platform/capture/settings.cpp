#include "platform/capture/settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/audio.h"
#include "platform/capture/video_sink.h"
#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/program_folders.h"

// Defined by PLATFORM_PROGRAM_HAS_ITS_OWN_HELP in the executable; weak, so a program
// without it leaves the address null. Resolved before any static initialiser runs.
extern "C" __attribute__((weak)) const char neblu_program_has_its_own_help;
// Defined by NEBLU_PROGRAM_HAS_AUTHORING (authoring/programAuthoring.h) in a program that
// takes -dev, -loop and -watch; weak likewise.
extern "C" __attribute__((weak)) const char neblu_program_has_authoring;

namespace platform {
namespace {

// Digits only: strtol would take "+5", " 5" and "5abc" as 5.
bool ParsePositive(const std::string& text, int* value) {
  if (text.empty() || text.size() > 9) return false;
  long result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + (c - '0');
  }
  if (result <= 0) return false;
  *value = static_cast<int>(result);
  return true;
}

std::string Decimal(double seconds) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", seconds);
  return text;
}

bool ParseRate(const std::string& text, int* numerator, int* denominator) {
  const std::string::size_type slash = text.find('/');
  if (slash == std::string::npos) {
    *denominator = 1;
    return ParsePositive(text, numerator);
  }
  return ParsePositive(text.substr(0, slash), numerator) && ParsePositive(text.substr(slash + 1), denominator);
}

}  // namespace

bool ParseSeconds(const std::string& text, double* value) {
  if (text.empty() || text.size() > 12) return false;
  bool digits = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  *value = std::strtod(text.c_str(), nullptr);
  return *value <= 1e6;
}

namespace {

}  // namespace

bool ParseSize(const std::string& text, int* width, int* height) {
  const std::string::size_type x = text.find('x');
  if (x == std::string::npos) return false;
  int w = 0, h = 0;
  if (!ParsePositive(text.substr(0, x), &w) || !ParsePositive(text.substr(x + 1), &h)) return false;
  // Larger than any GL implementation's render target; the frame buffers would not fit.
  if (w > 16384 || h > 16384) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseCaptureSwitches(const std::vector<std::string>& arguments, CaptureSwitches* out, std::string* error) {
  CaptureSwitches result;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help" || name == "-help") {
      result.help = true;
      continue;
    }
    if (name == "-size") {
      int width = 0, height = 0;
      const bool given = i + 1 < arguments.size();
      if (!given || !ParseSize(arguments[i + 1], &width, &height)) {
        *error = "-size" + (given ? " " + arguments[i + 1] : std::string()) +
                 ": expected WIDTHxHEIGHT, each 1 to 16384 (such as 1280x720)";
        return false;
      }
      ++i;
      continue;
    }
    if (name != "-capture" && name != "-fps" && name != "-video" && name != "-start" && name != "-end") continue;
    // Another switch in the value's place means the value was forgotten, not a folder
    // or rate that starts with a dash.
    const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].empty() && arguments[i + 1][0] != '-';
    if (name == "-capture") {
      if (!hasValue) {
        *error = "-capture: expected a folder for the frames after it";
        return false;
      }
      result.folder = arguments[++i];
    } else if (name == "-video") {
      if (!hasValue) {
        *error = "-video: expected a file name ending in .mp4 after it";
        return false;
      }
      const std::string& value = arguments[++i];
      const std::string extension = ".mp4";
      if (value.size() <= extension.size() || value.compare(value.size() - extension.size(), extension.size(), extension)) {
        *error = "-video " + value + ": expected a file name ending in .mp4";
        return false;
      }
      result.video = value;
    } else if (name == "-start" || name == "-end") {
      double* target = name == "-start" ? &result.start : &result.end;
      if (!hasValue || !ParseSeconds(arguments[i + 1], target)) {
        *error = name + (hasValue ? " " + arguments[i + 1] : std::string()) +
                 ": expected a time in seconds of music after it (such as 30 or 12.5)";
        return false;
      }
      ++i;
    } else {
      if (!hasValue) {
        *error = "-fps: expected a frame rate after it (N or N/D, such as 30 or 60000/1001)";
        return false;
      }
      const std::string& value = arguments[++i];
      if (!ParseRate(value, &result.fpsNumerator, &result.fpsDenominator)) {
        *error = "-fps " + value + ": expected a positive frame rate, N or N/D (such as 30 or 60000/1001)";
        return false;
      }
    }
  }
  if (result.end >= 0.0 && result.end <= result.start) {
    *error = "-end " + Decimal(result.end) + ": expected a time after -start " + Decimal(result.start);
    return false;
  }
  *out = result;
  return true;
}

bool CheckMusicRange(const CaptureSwitches& switches, double musicSeconds, std::string* error) {
  if (musicSeconds < 0.0 || switches.start < musicSeconds) return true;
  *error = "-start " + Decimal(switches.start) + ": past the end of the music, which is " + Decimal(musicSeconds) +
           " s long";
  return false;
}

namespace {

// A folder that exists may still refuse files (permissions, a read-only mount); finding
// out at the first frame would lose the work done before it.
bool CanWriteIn(const std::string& folder, std::string* reason) {
  namespace fs = std::filesystem;
  const std::string probe = (fs::path(folder) / (".capture-probe-" + std::to_string(getpid()))).string();
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (!file) {
    *reason = std::strerror(errno);
    return false;
  }
  std::fclose(file);
  std::remove(probe.c_str());
  return true;
}

}  // namespace

bool PrepareVideo(const std::string& video, std::string* error) {
  namespace fs = std::filesystem;
  std::string folder = fs::path(video).parent_path().string();
  if (folder.empty()) folder = ".";
  std::error_code code;
  std::string reason;
  if (!fs::is_directory(folder, code)) {
    *error = "-video " + video + ": the folder " + folder + " does not exist";
    return false;
  }
  if (!CanWriteIn(folder, &reason)) {
    *error = "-video " + video + ": cannot write in the folder " + folder + ": " + reason;
    return false;
  }
  if (FindFfmpeg().empty()) {
    *error = "-video " + video + ": no ffmpeg on PATH (the video is encoded by it; install the ffmpeg package)";
    return false;
  }
  return true;
}

std::string SwitchHelp() {
  std::string help =
      "switches (anywhere on the command line):\n"
      "  -nodialog       skip the settings dialog and play at the desktop's mode\n"
      "  -log            write the run's log to data/log.html\n"
      "  -headless       no window on screen, even where a display exists\n"
      "  -size WxH       the desktop mode a headless run reports (1280x720 unless given)\n"
      "  -capture DIR    every presented frame to DIR/frame000000.png, frame000001.png, ...\n"
      "  -video FILE.mp4 every presented frame to an H.264 video, with the music, through ffmpeg\n"
      "  -fps N[/D]      the frame rate of -capture and -video (60 unless given; 60000/1001 for 59.94)\n"
      "  -start S        begin S seconds into the music, the demo placed as if it had played up to there\n"
      "  -end S          end S seconds into the music (without it the demo plays to its end)\n";
  // Only a program that switched authoring on takes these.
  if (&neblu_program_has_authoring != nullptr) {
    help +=
        "  -dev            the player keys below; the music time and the part in the window's title; with\n"
        "                  a display, an overlay over the window: a timeline to click (seek) and\n"
        "                  right-drag (loop), frame times, the materials on screen to edit and save, the\n"
        "                  curves of an object to edit on the beat and save, and the last reload errors\n"
        "  -loop S E       play from S to E seconds of music over and over\n"
        "  -watch          reload what the demo reads as soon as it changes on disk: effects and the files\n"
        "                  they include, materials and templates (.efx, .tpl), meshes (.nbl), the images\n"
        "                  of textures, demo files, the scene descriptions content/scenes/*.scene.lua,\n"
        "                  data/startup.resources and data/rtpriorities.txt, and the sources the build\n"
        "                  copied them from (data/origins.txt); a broken save keeps the last good\n"
        "                  version on screen and says why on standard error\n";
  }
  help +=
      "  --help, -help   this list\n"
      "\n"
      "keys while it plays:\n"
      "  Escape          end the demo\n"
      "  F9              reload the effect files that changed\n"
      "  F11             save the frame to screenshots/screenshotN.png\n";
  if (&neblu_program_has_authoring != nullptr) {
    help +=
        "keys with -dev:\n"
        "  Space           pause and resume the music and the picture\n"
        "  Left, Right     seek 5 s back, 5 s on\n"
        "  Page Up, Down   jump to the start of the part before, the part after\n"
        "  F1              hide and show the overlay\n";
  }
  return help;
}

bool PrepareCaptureFolder(const std::string& folder, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code code;
  fs::create_directories(folder, code);
  if (code || !fs::is_directory(folder, code)) {
    *error = "-capture " + folder + ": cannot make the folder" + (code ? ": " + code.message() : std::string());
    return false;
  }
  std::string reason;
  if (!CanWriteIn(folder, &reason)) {
    *error = "-capture " + folder + ": cannot write in the folder: " + reason;
    return false;
  }
  return true;
}

namespace {

void AnchorToWorkingDirectory(CaptureSwitches* switches) {
  namespace fs = std::filesystem;
  std::error_code code;
  for (std::string* path : {&switches->folder, &switches->video}) {
    if (path->empty() || fs::path(*path).is_absolute()) continue;
    const fs::path absolute = fs::absolute(*path, code);
    if (!code) *path = absolute.lexically_normal().string();
  }
}

}  // namespace

const CaptureSwitches& ProcessCaptureSwitches() {
  static const CaptureSwitches switches = [] {
    const std::vector<std::string> arguments = CommandLineArguments();
    // Help wins over a bad value elsewhere on the line: it is what the user asked for.
    const bool layerAnswersHelp = &neblu_program_has_its_own_help == nullptr;
    for (const std::string& argument : layerAnswersHelp ? arguments : std::vector<std::string>()) {
      if (argument == "--help" || argument == "-help") {
        std::fputs(SwitchHelp().c_str(), stdout);
        std::fflush(stdout);
        std::exit(0);
      }
    }
    CaptureSwitches parsed;
    std::string error;
    // A program that finds its own data is checked against that data's music; it works
    // from there only once the checks are done, so their messages name paths as given.
    const std::string dataRoot = DataRootIfAsked();
    const std::string music =
        dataRoot.empty() ? NativePath("data\\soundtrack.mp3") : dataRoot + "/data/soundtrack.mp3";
    // Checks that make nothing come first, so that a refused run leaves no folder behind.
    if (!ParseCaptureSwitches(arguments, &parsed, &error) ||
        (parsed.start > 0.0 && !CheckMusicRange(parsed, MusicFileSeconds(music), &error)) ||
        (!parsed.video.empty() && !PrepareVideo(parsed.video, &error)) ||
        (!parsed.folder.empty() && !PrepareCaptureFolder(parsed.folder, &error))) {
      std::fprintf(stderr, "platform: %s\n", error.c_str());
      std::exit(2);
    }
    // Output paths are the user's, meant from where the program was started.
    AnchorToWorkingDirectory(&parsed);
    WorkFrom(dataRoot);
    return parsed;
  }();
  return switches;
}

namespace {
// Checked as the layer loads: the earliest point, before the program's main runs.
[[maybe_unused]] const bool checkedAtLoad = (ProcessCaptureSwitches(), true);
}  // namespace

}  // namespace platform
