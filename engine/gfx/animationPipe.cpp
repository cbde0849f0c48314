#include "engine/gfx/animationPipe.h"

#include <cmath>
#include <utility>

namespace engine {
namespace gfx {

using math::Matrix3x3;
using math::Vector3f;

Matrix3x3 AxisRotation(const Vector3f& axis, float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  // The coordinate axes are the only ones curves use; built directly they stay exact
  // (the general form below would give (1 - c) + c, which need not round to 1).
  if (axis.x == 1.0f && axis.y == 0.0f && axis.z == 0.0f) {
    return Matrix3x3(1.0f, 0.0f, 0.0f, 0.0f, c, s, 0.0f, -s, c);
  }
  if (axis.x == 0.0f && axis.y == 1.0f && axis.z == 0.0f) {
    return Matrix3x3(c, 0.0f, -s, 0.0f, 1.0f, 0.0f, s, 0.0f, c);
  }
  if (axis.x == 0.0f && axis.y == 0.0f && axis.z == 1.0f) {
    return Matrix3x3(c, s, 0.0f, -s, c, 0.0f, 0.0f, 0.0f, 1.0f);
  }
  const float length = axis.Mag();
  if (!(length > 0.0f)) return Matrix3x3::Identity;
  const float x = axis.x / length;
  const float y = axis.y / length;
  const float z = axis.z / length;
  const float t = 1.0f - c;
  return Matrix3x3(t * x * x + c, t * x * y + s * z, t * x * z - s * y,
                   t * x * y - s * z, t * y * y + c, t * y * z + s * x,
                   t * x * z + s * y, t * y * z - s * x, t * z * z + c);
}

// ---- AnimationPipe ----

AnimationPipe::AnimationPipe(int32_t channel_, std::unique_ptr<AnimationTrack> track_)
    : channel(channel_), track(std::move(track_)) {}

AnimationPipe::~AnimationPipe() = default;

void AnimationPipe::ApplyToVector(float /*step*/, Vector3f& /*vector*/) {}

void AnimationPipe::Apply(float& /*step*/, Transformation& /*transformation*/) {}

AnimationVectorPipe::AnimationVectorPipe(int32_t channel_, std::unique_ptr<AnimationTrack> track_,
                                         const Vector3f& axis_)
    : AnimationPipe(channel_, std::move(track_)), axis(axis_) {}

// ---- TimePipe ----

TimePipe::TimePipe(int32_t channel_, std::unique_ptr<AnimationTrack> track_)
    : AnimationPipe(channel_, std::move(track_)), previous(0.0f) {}

void TimePipe::Apply(float& step, Transformation& /*transformation*/) {
  if (!HasCurve()) return;
  const float x = track->Value() * 25.0f;
  step = x - previous;
  previous = x;
}

// ---- LocPipe ----

void LocPipe::ApplyToVector(float /*step*/, Vector3f& vector) {
  if (!HasCurve()) return;
  vector += axis * track->Value();
}

void LocPipe::Apply(float& /*step*/, Transformation& transformation) {
  if (!HasCurve()) return;
  transformation.translate += axis * track->Value();
  transformation.identity = false;
}

// ---- ScalePipe ----

void ScalePipe::Apply(float& /*step*/, Transformation& transformation) {
  if (!HasCurve()) return;
  const float v = track->Value();
  if (axis.x > 0.0f) {
    transformation.rotate = math::Multiply(transformation.rotate,
                                           Matrix3x3(axis.x * v, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f));
  }
  if (axis.y > 0.0f) {
    transformation.rotate = math::Multiply(transformation.rotate,
                                           Matrix3x3(1.0f, 0.0f, 0.0f, 0.0f, axis.y * v, 0.0f, 0.0f, 0.0f, 1.0f));
  }
  if (axis.z > 0.0f) {
    transformation.rotate = math::Multiply(transformation.rotate,
                                           Matrix3x3(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, axis.z * v));
  }
  transformation.identity = false;
}

// ---- RotPipe ----

void RotPipe::Apply(float& /*step*/, Transformation& transformation) {
  if (!HasCurve()) return;
  // Curve units (degrees / 10) back to radians: the product is taken in double and
  // rounded to float once.
  const double pi = 3.141592653589793;
  const float angle =
      static_cast<float>(static_cast<double>(track->Value() * 10.0f) * pi * static_cast<double>(0.0055555557f));
  transformation.rotate = math::Multiply(transformation.rotate, AxisRotation(axis, angle));
  transformation.identity = false;
}

}  // namespace gfx
}  // namespace engine
