#pragma once

#include <cstdint>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/ipoPlayer.h"

namespace engine {
namespace gfx {

// What a curve does outside its keys. The numbers are the ones the curve files use.
enum class ExtrapolationMode : int32_t {
  Constant = 0,             // hold the first and last values
  Cyclic = 2,               // repeat the curve
  CyclicExtrapolation = 3,  // repeat it, each pass shifted by (last value - first value)
};

// One animation curve: its keys, its play position and the value there. Subclasses
// differ only in how they interpolate between two keys. A track is owned by exactly one
// pipe or controller and is never copied: its player points at its key array.
//
// With no key a track evaluates to 0; with one key it is that key's value. Neither
// divides by zero, and both keep their clock running.
class ENGINE_API AnimationTrack {
 public:
  virtual ~AnimationTrack();
  AnimationTrack(const AnimationTrack&) = delete;
  AnimationTrack& operator=(const AnimationTrack&) = delete;

  // Moves the play position by `step` frames and evaluates the value there.
  virtual void Advance(float step) = 0;
  // Moves the play position to frame `time` and evaluates the value there.
  virtual void Seek(float time) = 0;

  // Appends a key; keys are expected in ascending time and are not sorted.
  void AddKey(float time, float value);
  void SetExtrapolation(ExtrapolationMode mode);
  ExtrapolationMode Extrapolation() const { return extrapolation; }

  // Back to the start: frame 1, first segment, value 0, no passes.
  void Reset();

  // The frames played since the start, passes of a repeating curve included: the time
  // the play position would have on a curve that never wraps.
  float UnwrappedTime() const;
  // Gives the track `keys` in place of its own (an edit while the demo plays), the play
  // position found again at the same unwrapped time so that the curve goes on in step
  // with the music.
  void ReplaceKeys(const std::vector<KeyPoint>& keys);
  // Plays from the start to unwrapped time `time`.
  void PlaceAt(float time);

  float Value() const { return value; }
  const IPOPlayer& Player() const { return player; }
  const std::vector<KeyPoint>& Keys() const { return keys; }
  int32_t KeyCount() const { return keyCount; }

 protected:
  AnimationTrack();

  // The shift cyclic extrapolation adds after the passes made so far; 0 otherwise.
  float CycleOffset() const;

  // Mode Constant, so the player clamps from the start: a track nobody configured holds
  // its ends rather than repeating under a mode that says it should not.
  ExtrapolationMode extrapolation;
  float value;                  // at the current position; 0 until the first Advance
  IPOPlayer player;             // time 1.0
  std::vector<KeyPoint> keys;   // in insertion order
  int32_t keyCount;             // keys.size()
};

// Steps: each segment holds its first key's value.
class ENGINE_API ConstantAnimationTrack : public AnimationTrack {
 public:
  void Advance(float step) override;
  void Seek(float time) override;

 private:
  void Evaluate();
};

class ENGINE_API LinearAnimationTrack : public AnimationTrack {
 public:
  void Advance(float step) override;
  void Seek(float time) override;

 private:
  void Evaluate();
};

// Cubic segments through each key's right handle and the next key's left handle. The
// curve parameter is the segment fraction itself, not solved from the handle times, so
// handle times shape nothing; only handle values do.
class ENGINE_API BezierAnimationTrack : public AnimationTrack {
 public:
  void Advance(float step) override;
  void Seek(float time) override;

  // One pair per key, in key order. A key without handles uses itself as both handles.
  void AddHandles(const KeyPoint& left, const KeyPoint& right);
  const std::vector<KeyPoint>& LeftHandles() const { return leftHandles; }
  const std::vector<KeyPoint>& RightHandles() const { return rightHandles; }
  // Both handle arrays replaced, one pair per key; the value follows at the next Advance.
  void ReplaceHandles(const std::vector<KeyPoint>& left, const std::vector<KeyPoint>& right);

 private:
  void Evaluate();

  std::vector<KeyPoint> leftHandles;
  std::vector<KeyPoint> rightHandles;
};

}  // namespace gfx
}  // namespace engine
