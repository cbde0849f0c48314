#pragma once

// What the reload soaks share: the reload count, resident memory and the layer's live
// object counts, and how far resident memory may drift.

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/d3d10/com.h"
#include "platform/d3d10/gl_program.h"

namespace soak {

// Resident memory may drift by allocator bookkeeping and the log's buffers; a leak of
// one compiled effect, mesh, texture or target a reload passes this within a few
// hundred reloads.
constexpr long kResidentSlackBytes = 8L << 20;

inline long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// NEBLU_SOAK_RELOADS, 20 when unset (as CI runs the soaks).
inline int Reloads() {
  const char* text = std::getenv("NEBLU_SOAK_RELOADS");
  const int count = text ? std::atoi(text) : 0;
  return count > 0 ? count : 20;
}

struct Counts {
  long resident;
  long com;
  long gl;
};

inline Counts Now() { return {ResidentBytes(), platform::LiveComObjects(), platform::LiveGlObjects()}; }

}  // namespace soak
