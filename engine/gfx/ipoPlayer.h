#pragma once

#include <cstdint>
#include <vector>

namespace engine {
namespace gfx {

// One point of an animation curve: a frame number and the channel's value there.
struct KeyPoint {
  float time;
  float value;
};

// The play position on one curve, in frames (25 a second, the first frame is 1).
// Playback is incremental: each Advance scans from the previous segment over the keys
// the step crossed, so a frame costs constant time per curve when steps are small.
// Owned by its track; it reads the track's key array and never changes it.
class IPOPlayer {
 public:
  IPOPlayer();
  virtual ~IPOPlayer();

  // Moves the local time by `step` frames and finds the segment and the fraction inside
  // it. A step that would make the time infinite or NaN is ignored.
  void Advance(float step);
  // Moves to local time `t`.
  void Seek(float t);

  int32_t index;    // first key of the current segment; 0
  float fraction;   // position inside the segment, 0 to 1; 0
  float time;       // local time in frames; 1.0
  bool clamp;       // hold the end keys instead of repeating the curve; false
  int32_t cycles;   // times the position passed the last key; 0
  int32_t keyCount;                   // 0
  const std::vector<KeyPoint>* keys;  // the owning track's keys; null until a track attaches
};

}  // namespace gfx
}  // namespace engine
