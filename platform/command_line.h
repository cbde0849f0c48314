#pragma once

// The program's own command line, as the process was started. The layer reads its
// switches (-headless, -size) here so that the engine and the program entry can stay
// exactly as written for the original system.

#include <string>
#include <vector>

#include "platform/api.h"

// The layer answers --help and -help for the demo program (its switches are the layer's
// and the program's few). A tool with a usage text of its own writes this once at file
// scope in its main file, and the layer leaves those words to it.
#define PLATFORM_PROGRAM_HAS_ITS_OWN_HELP \
  extern "C" PLATFORM_API const char neblu_program_has_its_own_help = 1

namespace platform {

// argv[1..] of the process.
PLATFORM_API std::vector<std::string> CommandLineArguments();
// True when `name` is one of the arguments, as a whole word.
PLATFORM_API bool HasCommandLineSwitch(const std::string& name);
// The argument after `name`, or empty.
PLATFORM_API std::string CommandLineValue(const std::string& name);

}  // namespace platform
