#pragma once

#include <cstdint>
#include <memory>

#include "engine/api.h"
#include "engine/gfx/animationTrack.h"
#include "engine/gfx/transformation.h"
#include "engine/math/matrix.h"
#include "engine/math/vector.h"

namespace engine {
namespace gfx {

// Channel ids of the transformation channels. A controller applies its pipes in
// ascending id, so scale comes before rotation, and each delta rotation just before its
// absolute twin.
enum AnimationChannel : int32_t {
  ChannelTime = 0,
  ChannelLocX = 1,
  ChannelLocY = 2,
  ChannelLocZ = 3,
  ChannelScaleX = 11,
  ChannelScaleY = 12,
  ChannelScaleZ = 13,
  ChannelDRotX = 17,
  ChannelRotX = 18,
  ChannelDRotY = 19,
  ChannelRotY = 20,
  ChannelDRotZ = 21,
  ChannelRotZ = 22,
};

// The rotation by `angle` radians about `axis`, for row vectors (p * R). For the unit
// coordinate axes the elements are exact:
//   X: (1, 0, 0), (0, c, s), (0, -s, c)
//   Y: (c, 0, -s), (0, 1, 0), (s, 0, c)
//   Z: (c, s, 0), (-s, c, 0), (0, 0, 1)
// Any other axis is normalised first; a zero axis gives the identity.
math::Matrix3x3 AxisRotation(const math::Vector3f& axis, float angle);

// Applies one track's value to a transformation. The pipe owns its track and destroys it
// with itself. The base applies nothing.
class ENGINE_API AnimationPipe {
 public:
  AnimationPipe(int32_t channel, std::unique_ptr<AnimationTrack> track);
  virtual ~AnimationPipe();
  AnimationPipe(const AnimationPipe&) = delete;
  AnimationPipe& operator=(const AnimationPipe&) = delete;

  // Moves `vector` by what the pipe contributes to a position; only location pipes do.
  virtual void ApplyToVector(float step, math::Vector3f& vector);
  // Adds the pipe's contribution to `transformation`. `step` is the frame's animation
  // step; the time pipe rewrites it.
  virtual void Apply(float& step, Transformation& transformation);

  int32_t Channel() const { return channel; }
  AnimationTrack* Track() const { return track.get(); }
  // Puts `replacement` in the track's place (an edit that changes the kind of curve) and
  // hands back the old one.
  std::unique_ptr<AnimationTrack> ReplaceTrack(std::unique_ptr<AnimationTrack> replacement) {
    track.swap(replacement);
    return replacement;
  }

 protected:
  // A track without keys carries no curve, so its pipe leaves the transformation alone
  // (a keyless scale curve would otherwise flatten the object to 0).
  bool HasCurve() const { return track && track->KeyCount() > 0; }

  int32_t channel;
  std::unique_ptr<AnimationTrack> track;
};

// A pipe that acts along one axis: the unit vector of its channel's coordinate.
class ENGINE_API AnimationVectorPipe : public AnimationPipe {
 public:
  AnimationVectorPipe(int32_t channel, std::unique_ptr<AnimationTrack> track, const math::Vector3f& axis);

  const math::Vector3f& Axis() const { return axis; }

 protected:
  math::Vector3f axis;  // (0, 0, 0) unless given
};

// The "Time" channel: turns its curve (seconds) into a step in frames. Nothing reads the
// rewritten step, so the transformation stays as it is.
class ENGINE_API TimePipe : public AnimationPipe {
 public:
  TimePipe(int32_t channel, std::unique_ptr<AnimationTrack> track);

  void Apply(float& step, Transformation& transformation) override;

 private:
  float previous;  // the curve's last value in frames; 0
};

// Adds axis × value to the translation.
class ENGINE_API LocPipe : public AnimationVectorPipe {
 public:
  using AnimationVectorPipe::AnimationVectorPipe;

  void ApplyToVector(float step, math::Vector3f& vector) override;
  void Apply(float& step, Transformation& transformation) override;
};

// Scales along the axis by value, multiplied onto the rotation.
class ENGINE_API ScalePipe : public AnimationVectorPipe {
 public:
  using AnimationVectorPipe::AnimationVectorPipe;

  void Apply(float& step, Transformation& transformation) override;
};

// Rotates about the axis. Rotation curves hold degrees divided by ten, so the angle is
// value × 10 degrees.
class ENGINE_API RotPipe : public AnimationVectorPipe {
 public:
  using AnimationVectorPipe::AnimationVectorPipe;

  void Apply(float& step, Transformation& transformation) override;
};

}  // namespace gfx
}  // namespace engine
