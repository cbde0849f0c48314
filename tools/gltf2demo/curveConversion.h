#pragma once

// glTF animation samplers as the engine's curves. Times become frames (25 a second, the
// first frame 1); translation and scale keys carry over exactly (cubic splines as
// Bezier segments, whose handles a third of the way along each segment make the engine's
// evaluation the same cubic); rotations become Euler angle curves, which are only the
// same motion at their keys, so they are sampled at every frame.

#include <string>
#include <vector>

#include "engine/gfx/demoFileReader.h"
#include "tools/gltf2demo/worldAxes.h"

namespace tinygltf {
class Model;
struct Animation;
}

namespace gltf2demo {

constexpr double FramesPerSecond = 25.0;
inline double FrameOf(double seconds) { return 1.0 + FramesPerSecond * seconds; }

// The longest animation taken, in seconds: sampling rotations costs a key a frame.
constexpr double LongestAnimation = 3600.0;

// One sampler's keys, read and checked.
struct Keyframes {
  enum class Kind { Linear, Step, CubicSpline };
  Kind kind = Kind::Linear;
  int components = 0;
  std::vector<double> times;  // seconds, rising strictly
  // `components` numbers a key; a cubic spline has three groups a key: the in-tangent,
  // the value, the out-tangent.
  std::vector<float> values;
};

// Reads sampler `sampler` of `animation` for a target of `components` numbers. Raises
// GltfError, naming `label`, for a missing sampler or accessor, times that are negative,
// not rising, or longer than LongestAnimation, or a count of values that does not match.
Keyframes ReadKeyframes(const tinygltf::Model& model, const tinygltf::Animation& animation, int sampler, int components,
                        const std::string& label);

// The curves of a translation ("Loc") or scale ("Scale") sampler: X, Y and Z in engine
// axes.
std::vector<engine::gfx::DemoCurve> VectorCurves(const Keyframes& keys, const std::string& prefix);
// Curves that hold `value` (engine axes) from the first frame on.
std::vector<engine::gfx::DemoCurve> ConstantCurves(const Vec3& value, const std::string& prefix);

// RotX, RotY and RotZ, in units of ten degrees, unwrapped so that no step between keys
// turns by more than half a turn. Step keys stay keys; linear and cubic-spline rotations
// are sampled at every frame and at every key, more finely where the engine's blend of
// the angles between two samples would stray from the rotation, and samples that the
// straight line between their neighbours reproduces are dropped again.
std::vector<engine::gfx::DemoCurve> RotationCurves(const Keyframes& keys);

// The rotation a glTF player shows at `seconds`: the first key before it, the last after.
Quat SampleRotation(const Keyframes& keys, double seconds);

}  // namespace gltf2demo
