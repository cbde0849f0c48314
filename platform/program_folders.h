#pragma once

// Where a program and the files that travel with it are. An installed program's files
// live apart from it (bin/orv, share/orv/...), a program in a build tree or an unpacked
// folder keeps them beside it, and a developer runs it from the folder that holds data/.

#include <string>

#include "platform/api.h"

// A demo program that may be started from any folder writes this once at file scope in
// its main file: the layer then finds the folder that holds the program's data/ before
// main runs and makes it the working directory (paths given on the command line are
// taken from the folder the program was started in).
#define PLATFORM_PROGRAM_FINDS_ITS_DATA \
  extern "C" PLATFORM_API const char neblu_program_finds_its_data = 1

namespace platform {

// The running program's own file, resolved; empty where the system will not say.
PLATFORM_API std::string ExecutablePath();

// The folder that holds the data/ folder of `executable` (the program's file): the
// program's own folder, then PREFIX/share/NAME beside its bin/ folder, then
// `workingDirectory`, the first with a data/ folder in it; empty when none has one.
PLATFORM_API std::string FindDataRoot(const std::string& executable, const std::string& workingDirectory);

// The places FindDataRoot looks, in its order, for messages that say where it looked.
PLATFORM_API std::string DataRootCandidates(const std::string& executable, const std::string& workingDirectory);

// A file that travels with `executable`, `relative` to it: "<executable>.res/relative"
// beside it, else PREFIX/share/NAME/NAME.res/relative; the first that exists, or the
// first when neither does.
PLATFORM_API std::string ProgramFilePath(const std::string& executable, const std::string& relative);
// The same for the running program; empty where the system will not say which it is.
PLATFORM_API std::string ExecutableFilePath(const std::string& relative);

// For programs that wrote PLATFORM_PROGRAM_FINDS_ITS_DATA, their data root (said on
// standard error when there is none); empty for the others. The layer works from it once
// the command line is checked (WorkFrom).
std::string DataRootIfAsked();
// Makes `folder` the working directory (nothing when empty), remembering the folder the
// program was started from; moving back there forgets it again.
PLATFORM_API void WorkFrom(const std::string& folder);

// `relative` as the user means it: taken from the folder the program was started from.
// Unchanged while the program works from that folder (as every program that does not find
// its data does); joined to it while the program works from a data root it was moved to,
// which may be a folder the user cannot write (an installed program's share/NAME).
// Screenshots go there, and the log where the data folder cannot take it.
PLATFORM_API std::string FromStartingFolder(const std::string& relative);

}  // namespace platform
