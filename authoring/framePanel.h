#pragma once

// The overlay's frame panel: how long each of the last frames took from one main-loop
// pass to the next, the main thread's CPU time in them and the overlay's own share, as
// graphs; and the reload errors panel beside it.

#include <array>
#include <cstddef>

class FrameTimes {
 public:
  static constexpr std::size_t Kept = 240;

  // One frame's times, in milliseconds.
  void Add(float frameMs, float cpuMs, float overlayMs);
  void Draw() const;

 private:
  std::array<float, Kept> frame{}, cpu{}, overlay{};
  std::size_t next = 0;
  std::size_t count = 0;
};

// The last reload failures (-watch), with their files and messages.
void DrawErrorsPanel();
