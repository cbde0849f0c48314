#pragma once

// The capture switches, read by the layer itself so the program entry stays as it was:
//   -capture DIR   every presented frame becomes DIR/frame000000.png, frame000001.png, ...
//   -video F.mp4   every presented frame goes to ffmpeg, encoded to H.264 with the music
//   -fps N | N/D   the capture's frame rate (60 unless given; 60000/1001 for 59.94)
//   -start S       the music (and with it the demo) begins S seconds in
//   -end S         the music ends S seconds in, and with it the demo
//   -size WxH      checked here; the headless desktop reads it
//   (the program's authoring switches -dev, -watch and -loop S E are listed in the help
//   too; the program reads them itself)
//   --help, -help  the program's switches and keys on standard output, then exit status 0
// A bad value ends the process with status 2 when the layer is loaded, before any
// window, device or stream exists, so a long capture never starts on a typo.

#include <string>
#include <vector>

#include "platform/api.h"

namespace platform {

struct CaptureSwitches {
  std::string folder;  // empty: no PNG files
  std::string video;   // empty: no video
  int fpsNumerator = 60;
  int fpsDenominator = 1;
  bool help = false;
  double start = 0.0;  // seconds of music skipped before the first frame
  double end = -1.0;   // where the music stops, in seconds; negative: at its own end
  bool Capturing() const { return !folder.empty() || !video.empty(); }
};

// Reads -capture, -video, -fps, -start, -end and --help from `arguments` (argv[1..]). False, with a message that names
// the switch in *error, for a missing or bad value. Touches no file.
PLATFORM_API bool ParseCaptureSwitches(const std::vector<std::string>& arguments, CaptureSwitches* out,
                                       std::string* error);

// Seconds as plain decimals ("12", "12.5", "0.04"): no sign, exponent or spaces, and
// small enough that a frame count from them cannot overflow.
PLATFORM_API bool ParseSeconds(const std::string& text, double* value);

// "WIDTHxHEIGHT" (-size), each 1 to 16384 in plain digits.
PLATFORM_API bool ParseSize(const std::string& text, int* width, int* height);

// Makes the folder (and its parents) and proves a file can be written there.
PLATFORM_API bool PrepareCaptureFolder(const std::string& folder, std::string* error);

// The -video file's folder exists and takes files, and ffmpeg is on PATH.
PLATFORM_API bool PrepareVideo(const std::string& video, std::string* error);

// -start before the music's end, and -end after -start: the file's length is known only
// here, not while the command line is parsed.
PLATFORM_API bool CheckMusicRange(const CaptureSwitches& switches, double musicSeconds, std::string* error);

// One line a switch the program understands, for --help.
PLATFORM_API std::string SwitchHelp();

// This process's switches, parsed and checked once; exits with status 2 on an error, and
// with 0 after the help for --help.
PLATFORM_API const CaptureSwitches& ProcessCaptureSwitches();

}  // namespace platform
