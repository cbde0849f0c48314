#include "platform/capture/settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/command_line.h"

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

bool ParseRate(const std::string& text, int* numerator, int* denominator) {
  const std::string::size_type slash = text.find('/');
  if (slash == std::string::npos) {
    *denominator = 1;
    return ParsePositive(text, numerator);
  }
  return ParsePositive(text.substr(0, slash), numerator) && ParsePositive(text.substr(slash + 1), denominator);
}

}  // namespace

bool ParseCaptureSwitches(const std::vector<std::string>& arguments, CaptureSwitches* out, std::string* error) {
  CaptureSwitches result;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name != "-capture" && name != "-fps") continue;
    // Another switch in the value's place means the value was forgotten, not a folder
    // or rate that starts with a dash.
    const bool hasValue = i + 1 < arguments.size() && !arguments[i + 1].empty() && arguments[i + 1][0] != '-';
    if (name == "-capture") {
      if (!hasValue) {
        *error = "-capture: expected a folder for the frames after it";
        return false;
      }
      result.folder = arguments[++i];
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
  *out = result;
  return true;
}

bool PrepareCaptureFolder(const std::string& folder, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code code;
  fs::create_directories(folder, code);
  if (code || !fs::is_directory(folder, code)) {
    *error = "-capture " + folder + ": cannot make the folder" + (code ? ": " + code.message() : std::string());
    return false;
  }
  // A folder that exists may still refuse files (permissions, a read-only mount); finding
  // out at the first frame would lose the work done before it.
  const std::string probe = (fs::path(folder) / (".capture-probe-" + std::to_string(getpid()))).string();
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (!file) {
    *error = "-capture " + folder + ": cannot write in the folder: " + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  std::remove(probe.c_str());
  return true;
}

const CaptureSwitches& ProcessCaptureSwitches() {
  static const CaptureSwitches switches = [] {
    CaptureSwitches parsed;
    std::string error;
    if (!ParseCaptureSwitches(CommandLineArguments(), &parsed, &error) ||
        (parsed.Capturing() && !PrepareCaptureFolder(parsed.folder, &error))) {
      std::fprintf(stderr, "platform: %s\n", error.c_str());
      std::exit(2);
    }
    return parsed;
  }();
  return switches;
}

namespace {
// Checked as the layer loads: the earliest point, before the program's main runs.
[[maybe_unused]] const bool checkedAtLoad = (ProcessCaptureSwitches(), true);
}  // namespace

}  // namespace platform
