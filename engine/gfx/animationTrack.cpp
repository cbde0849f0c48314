#include "engine/gfx/animationTrack.h"

#include <cstddef>

namespace engine {
namespace gfx {

AnimationTrack::AnimationTrack() : extrapolation(ExtrapolationMode::Constant), value(0.0f), keyCount(0) {
  player.time = 1.0f;
  player.clamp = true;
  player.keys = &keys;
}

AnimationTrack::~AnimationTrack() = default;

void AnimationTrack::AddKey(float time, float value_) {
  keys.push_back(KeyPoint{time, value_});
  keyCount = static_cast<int32_t>(keys.size());
  player.keyCount = keyCount;
  player.keys = &keys;
}

void AnimationTrack::SetExtrapolation(ExtrapolationMode mode) {
  extrapolation = mode;
  player.clamp = mode == ExtrapolationMode::Constant;
}

void AnimationTrack::Reset() {
  value = 0.0f;
  player.index = 0;
  player.fraction = 0.0f;
  player.cycles = 0;
  player.time = 1.0f;
}

float AnimationTrack::UnwrappedTime() const {
  // A clamped track never folds its time back; a repeating one folds it by the span once
  // a pass.
  if (player.clamp || keyCount < 2) return player.time;
  const float span = keys[keyCount - 1].time - keys[0].time;
  return span > 0.0f ? player.time + span * static_cast<float>(player.cycles) : player.time;
}

void AnimationTrack::ReplaceKeys(const std::vector<KeyPoint>& replacement) {
  const float time = UnwrappedTime();
  keys = replacement;
  keyCount = static_cast<int32_t>(keys.size());
  player.keyCount = keyCount;
  player.keys = &keys;
  PlaceAt(time);
}

void AnimationTrack::PlaceAt(float time) {
  Reset();
  Advance(time - 1.0f);
}

float AnimationTrack::CycleOffset() const {
  if (extrapolation != ExtrapolationMode::CyclicExtrapolation || keyCount == 0) return 0.0f;
  return (keys[keyCount - 1].value - keys[0].value) * static_cast<float>(player.cycles);
}

// ---- Constant ----

void ConstantAnimationTrack::Advance(float step) {
  player.Advance(step);
  Evaluate();
}

void ConstantAnimationTrack::Seek(float time) {
  player.Seek(time);
  Evaluate();
}

void ConstantAnimationTrack::Evaluate() {
  if (keyCount == 0) {
    value = 0.0f;
    return;
  }
  value = keys[player.index].value + CycleOffset();
}

// ---- Linear ----

void LinearAnimationTrack::Advance(float step) {
  player.Advance(step);
  Evaluate();
}

void LinearAnimationTrack::Seek(float time) {
  player.Seek(time);
  Evaluate();
}

void LinearAnimationTrack::Evaluate() {
  if (keyCount == 0) {
    value = 0.0f;
    return;
  }
  const int32_t i = player.index;
  const int32_t j = (i + 1) % keyCount;
  const float f = player.fraction;
  value = (1.0f - f) * keys[i].value + f * keys[j].value + CycleOffset();
}

// ---- Bezier ----

void BezierAnimationTrack::Advance(float step) {
  player.Advance(step);
  Evaluate();
}

void BezierAnimationTrack::Seek(float time) {
  player.Seek(time);
  Evaluate();
}

void BezierAnimationTrack::AddHandles(const KeyPoint& left, const KeyPoint& right) {
  leftHandles.push_back(left);
  rightHandles.push_back(right);
}

void BezierAnimationTrack::ReplaceHandles(const std::vector<KeyPoint>& left, const std::vector<KeyPoint>& right) {
  leftHandles = left;
  rightHandles = right;
}

void BezierAnimationTrack::Evaluate() {
  if (keyCount == 0) {
    value = 0.0f;
    return;
  }
  const int32_t i = player.index;
  const int32_t j = (i + 1) % keyCount;
  const float f = player.fraction;
  const float p0 = keys[i].value;
  const float p3 = keys[j].value;
  const float p1 = static_cast<size_t>(i) < rightHandles.size() ? rightHandles[i].value : p0;
  const float p2 = static_cast<size_t>(j) < leftHandles.size() ? leftHandles[j].value : p3;
  // Power form of the cubic; the time coordinate is not needed since the parameter is
  // the fraction itself.
  value = p0 + f * (3.0f * (p1 - p0) + f * (3.0f * (p0 - 2.0f * p1 + p2) + f * (p3 - p0 + 3.0f * (p1 - p2)))) +
          CycleOffset();
}

}  // namespace gfx
}  // namespace engine
