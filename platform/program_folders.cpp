#include "platform/program_folders.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

// Defined by PLATFORM_PROGRAM_FINDS_ITS_DATA in the executable; weak, so the address is
// null in every other program.
extern "C" __attribute__((weak)) const char neblu_program_finds_its_data;

namespace platform {
namespace fs = std::filesystem;
namespace {

std::vector<fs::path> Candidates(const std::string& executable, const std::string& workingDirectory) {
  std::vector<fs::path> folders;
  if (!executable.empty()) {
    const fs::path program(executable);
    folders.push_back(program.parent_path());
    folders.push_back(program.parent_path().parent_path() / "share" / program.filename());
  }
  if (!workingDirectory.empty()) folders.push_back(workingDirectory);
  return folders;
}

}  // namespace

std::string ExecutablePath() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

std::string FindDataRoot(const std::string& executable, const std::string& workingDirectory) {
  for (const fs::path& folder : Candidates(executable, workingDirectory)) {
    std::error_code code;
    if (fs::is_directory(folder / "data", code)) return folder.lexically_normal().string();
  }
  return std::string();
}

std::string DataRootCandidates(const std::string& executable, const std::string& workingDirectory) {
  std::string list;
  for (const fs::path& folder : Candidates(executable, workingDirectory)) {
    if (!list.empty()) list += ", ";
    list += (folder / "data").lexically_normal().string();
  }
  return list;
}

std::string ExecutableFilePath(const std::string& relative) {
  const std::string executable = ExecutablePath();
  return executable.empty() ? std::string() : ProgramFilePath(executable, relative);
}

std::string ProgramFilePath(const std::string& executable, const std::string& relative) {
  const fs::path program(executable);
  const fs::path name = program.filename().string() + ".res";
  const fs::path beside = program.parent_path() / name / relative;
  const fs::path installed = program.parent_path().parent_path() / "share" / program.filename() / name / relative;
  std::error_code code;
  return (!fs::exists(beside, code) && fs::exists(installed, code) ? installed : beside).string();
}

std::string DataRootIfAsked() {
  if (&neblu_program_finds_its_data == nullptr) return std::string();
  std::error_code code;
  const std::string working = fs::current_path(code).string();
  const std::string executable = ExecutablePath();
  const std::string root = FindDataRoot(executable, working);
  if (root.empty()) {
    std::fprintf(stderr, "platform: no data folder found; looked for %s\n",
                 DataRootCandidates(executable, working).c_str());
  }
  return root;
}

namespace {

// The folder the program was started from while it works from another; empty otherwise.
std::string& StartingFolder() {
  static std::string folder;
  return folder;
}

std::string WorkingDirectory() {
  std::error_code code;
  const fs::path here = fs::current_path(code);
  return code ? std::string() : here.string();
}

}  // namespace

void WorkFrom(const std::string& folder) {
  if (folder.empty()) return;
  const std::string before = WorkingDirectory();
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "platform: cannot work from %s: %s\n", folder.c_str(), std::strerror(errno));
    return;
  }
  std::string& starting = StartingFolder();
  if (starting.empty()) starting = before;
  if (WorkingDirectory() == starting) starting.clear();
}

std::string FromStartingFolder(const std::string& relative) {
  const std::string& starting = StartingFolder();
  if (starting.empty() || fs::path(relative).is_absolute()) return relative;
  return (fs::path(starting) / relative).lexically_normal().string();
}

}  // namespace platform
