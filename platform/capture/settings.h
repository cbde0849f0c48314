#pragma once

// The capture switches, read by the layer itself so the program entry stays as it was:
//   -capture DIR   every presented frame becomes DIR/frame000000.png, frame000001.png, ...
//   -fps N | N/D   the capture's frame rate (60 unless given; 60000/1001 for 59.94)
// A bad value ends the process with status 2 when the layer is loaded, before any
// window, device or stream exists, so a long capture never starts on a typo.

#include <string>
#include <vector>

#include "platform/api.h"

namespace platform {

struct CaptureSwitches {
  std::string folder;  // empty: no capture
  int fpsNumerator = 60;
  int fpsDenominator = 1;
  bool Capturing() const { return !folder.empty(); }
};

// Reads -capture and -fps from `arguments` (argv[1..]). False, with a message that names
// the switch in *error, for a missing or bad value. Touches no file.
PLATFORM_API bool ParseCaptureSwitches(const std::vector<std::string>& arguments, CaptureSwitches* out,
                                       std::string* error);

// Makes the folder (and its parents) and proves a file can be written there.
PLATFORM_API bool PrepareCaptureFolder(const std::string& folder, std::string* error);

// This process's switches, parsed and checked once; exits with status 2 on an error.
PLATFORM_API const CaptureSwitches& ProcessCaptureSwitches();

}  // namespace platform
