#include "engine/gfx/ipoPlayer.h"

#include <cmath>
#include <limits>

namespace engine {
namespace gfx {

namespace {

int32_t SaturatingAdd(int32_t count, double passes) {
  const double sum = static_cast<double>(count) + passes;
  if (sum >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(sum);
}

}  // namespace

IPOPlayer::IPOPlayer()
    : index(0), fraction(0.0f), time(1.0f), clamp(false), cycles(0), keyCount(0), keys(nullptr) {}

IPOPlayer::~IPOPlayer() = default;

void IPOPlayer::Advance(float step) {
  const float target = time + step;
  // A broken clock must not poison the time for good: once infinite or NaN it could
  // never be wrapped or compared again.
  if (!std::isfinite(target)) return;
  time = target;

  const int32_t n = keys ? keyCount : 0;
  if (n < 2) {
    // No key: there is no curve to search (the segment walk takes the index modulo the
    // key count). One key: its segment has zero length, and a repeating single key
    // would wrap by a span of 0 forever. Either way the position rests on key 0 with
    // fraction 0; the time still runs so keys added later play in step.
    index = 0;
    fraction = 0.0f;
    return;
  }

  const KeyPoint* key = keys->data();
  const float first = key[0].time;
  const float last = key[n - 1].time;

  if (clamp && time > last) {
    // Held on the last key, in either direction. The time keeps moving, so a step or a
    // seek back before the last key plays the curve again. Frames spent here still count
    // as passes, though only cyclic extrapolation reads them.
    if (index == n - 1 && step >= 0.0f) cycles = SaturatingAdd(cycles, 1.0);
    index = n - 1;
    fraction = 0.0f;
    return;
  }

  // A curve whose keys span no time cannot repeat: wrapping would never shorten the
  // time. Such a curve is played as if clamped.
  const bool wraps = !clamp && last > first;

  while (index > 0 && key[index].time > time) --index;

  if (wraps && time > last) {
    // Fold the time back into the curve's span in one go, passes counted: one pass per
    // repetition would make a long step over a short cycle slow, and a float time far
    // beyond the span would stop shrinking at all. The result equals repeated
    // subtraction of the span: a time in (first, last].
    const double span = static_cast<double>(last) - static_cast<double>(first);
    const double excess = static_cast<double>(time) - static_cast<double>(last);
    const double rest = std::fmod(excess, span);
    const double whole = std::round((excess - rest) / span);
    if (rest > 0.0) {
      time = static_cast<float>(static_cast<double>(last) - span + rest);
      cycles = SaturatingAdd(cycles, whole + 1.0);
    } else {
      time = last;
      cycles = SaturatingAdd(cycles, whole);
    }
    index = 0;
  }

  for (;;) {
    const int32_t next = (index + 1) % n;
    if (!(key[next].time < time)) break;
    if (index + 1 == n) {
      // Only reached from a rest on the last key itself: one more pass.
      cycles = SaturatingAdd(cycles, 1.0);
      if (wraps) {
        index = -1;
        time -= last - first;
      }
    }
    index = (index + 1) % n;
    if (!wraps && index + 1 == n) break;
  }

  const int32_t next = (index + 1) % n;
  const float length = key[next].time - key[index].time;
  // Keys sharing a time make a zero-length segment: stand on its first key.
  fraction = length != 0.0f ? (time - key[index].time) / length : 0.0f;
  // Negative before the first key, NaN only from NaN keys: both read as the segment's
  // start, so the curve holds its first value until it begins.
  if (!(fraction >= 0.0f)) {
    fraction = 0.0f;
  } else if (fraction > 1.0f) {
    fraction = 1.0f;
  }
}

void IPOPlayer::Seek(float t) { Advance(t - time); }

}  // namespace gfx
}  // namespace engine
