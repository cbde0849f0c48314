// Feeds arbitrary bytes to the render-target priority reader as data/rtpriorities.txt,
// opened the way the effect pool opens it, and checks what it hands back: line numbers
// rising and below the empty list's number, words without blanks.

#include <stdlib.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/gfx/effectPool.h"

namespace {
// data/rtpriorities.txt of a private folder; the reader needs no working folder of its
// own, so the fuzzer's stays current.
char folder[] = "/tmp/neblu-fuzz-rtpriorities-XXXXXX";
std::string priorityFile;

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!mkdtemp(folder)) {
    std::perror("fuzz_rtpriorities: cannot make its working folder");
    std::abort();
  }
  std::atexit(RemoveFolder);
  if (mkdir((std::string(folder) + "/data").c_str(), 0700) != 0) {
    std::perror("fuzz_rtpriorities: cannot make its working folder");
    std::abort();
  }
  priorityFile = std::string(folder) + "/data/rtpriorities.txt";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  {
    std::ofstream out(priorityFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) return 0;
  }
  std::ifstream file(priorityFile, std::ios::binary);
  if (!file) return 0;
  const engine::gfx::PriorityLines read = engine::gfx::ReadPriorityLines(file);

  int previous = 0;
  for (const auto& line : read.lines) {
    if (line.second <= previous || line.second >= read.emptyListPriority) std::abort();
    previous = line.second;
    for (const std::string& word : line.first) {
      if (word.empty()) std::abort();
      for (unsigned char c : word) {
        if (std::isspace(c)) std::abort();
      }
    }
  }
  // Every line break but a final one starts a line, and each line is counted once.
  size_t breaks = 0;
  for (size_t i = 0; i < size; ++i) breaks += data[i] == '\n';
  const size_t lines = breaks + (size > 0 && data[size - 1] != '\n' ? 1 : 0);
  if (static_cast<size_t>(read.emptyListPriority) != lines + 1) std::abort();
  return 0;
}
