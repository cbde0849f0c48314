#include "tools/gltf2demo/curveConversion.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>

#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

using engine::gfx::DemoCurve;
using engine::gfx::DemoKey;

const char* const Axes[3] = {"X", "Y", "Z"};
// Engine axis i is glTF component Swap[i] (see worldAxes.h).
constexpr int Swap[3] = {0, 2, 1};

// A sampled rotation key that the line between its kept neighbours reproduces to this
// many units (ten degrees) is dropped: a thousandth of a degree.
constexpr double DropTolerance = 1e-4;
// Between two samples the engine blends Euler angles, which is not the slerp it stands
// for: where they part by more than this (radians, a hundredth of a degree) halfway, the
// span is halved, down to a sixteenth of a frame.
constexpr double BlendTolerance = 1.745e-4;
constexpr int MostHalvings = 4;

struct Sample {
  double seconds;
  Vec3 angles;
};

Vec3 AnglesAt(const Keyframes& keys, double seconds, const Vec3& previous) {
  // In the engine's frame the rotation is the mirror of glTF's.
  return EulerXYZ(ToEngine(RotationOf(SampleRotation(keys, seconds))), previous);
}

double RadiansBetween(const Mat3& a, const Mat3& b) {
  double trace = 0;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) trace += a[r][c] * b[r][c];
  return std::acos(std::max(-1.0, std::min(1.0, (trace - 1) / 2)));
}

// Appends the samples after `from` up to and including `to`, halving the span where
// blending the angles strays from the rotation.
void Refine(const Keyframes& keys, const Sample& from, const Sample& to, int halvings, std::vector<Sample>& out) {
  if (halvings < MostHalvings) {
    const Sample middle = {(from.seconds + to.seconds) / 2,
                           AnglesAt(keys, (from.seconds + to.seconds) / 2, from.angles)};
    Vec3 blend;
    for (std::size_t i = 0; i < 3; ++i) blend[i] = (from.angles[i] + to.angles[i]) / 2;
    if (RadiansBetween(FromEulerXYZ(blend), FromEulerXYZ(middle.angles)) > BlendTolerance) {
      Refine(keys, from, middle, halvings + 1, out);
      Refine(keys, middle, to, halvings + 1, out);
      return;
    }
  }
  out.push_back(to);
}

DemoKey PlainKey(double frame, double value) {
  const float t = static_cast<float>(frame), v = static_cast<float>(value);
  return {t, v, t, v, t, v};
}

DemoCurve Curve(const std::string& channel, const char* interpolation) {
  DemoCurve curve;
  curve.channel = channel;
  curve.interpolation = interpolation;
  curve.extrapolation = "Constant";
  return curve;
}

// A track of one key cannot be played (its only segment has no length): the key is held
// from a second key a frame later.
void HoldSingleKey(DemoCurve& curve) {
  if (curve.keys.size() != 1) return;
  DemoKey second = curve.keys[0];
  second.leftTime += 1;
  second.time += 1;
  second.rightTime += 1;
  curve.keys.push_back(second);
}

// Key k's value (group 1 of 3 for cubic splines) and tangents, component c.
float Value(const Keyframes& keys, std::size_t k, int c) {
  const std::size_t group = keys.kind == Keyframes::Kind::CubicSpline ? 3 : 1;
  const std::size_t at = (k * group + (group == 3 ? 1 : 0)) * static_cast<std::size_t>(keys.components);
  return keys.values[at + static_cast<std::size_t>(c)];
}
float InTangent(const Keyframes& keys, std::size_t k, int c) {
  return keys.values[3 * k * static_cast<std::size_t>(keys.components) + static_cast<std::size_t>(c)];
}
float OutTangent(const Keyframes& keys, std::size_t k, int c) {
  return keys.values[(3 * k + 2) * static_cast<std::size_t>(keys.components) + static_cast<std::size_t>(c)];
}

Quat KeyQuat(const Keyframes& keys, std::size_t k) {
  return {Value(keys, k, 0), Value(keys, k, 1), Value(keys, k, 2), Value(keys, k, 3)};
}

// Drops the keys of a linear curve that the line between the kept keys on either side
// of them reproduces within the tolerance, checked against every dropped sample.
std::vector<DemoKey> Thinned(const std::vector<DemoKey>& keys) {
  if (keys.size() < 3) return keys;
  std::vector<DemoKey> out = {keys[0]};
  std::size_t anchor = 0;
  for (std::size_t next = 2; next < keys.size(); ++next) {
    bool fits = true;
    const DemoKey& a = keys[anchor];
    const DemoKey& b = keys[next];
    for (std::size_t k = anchor + 1; k < next && fits; ++k) {
      const double f = (keys[k].time - a.time) / static_cast<double>(b.time - a.time);
      fits = std::fabs(a.value + f * (b.value - a.value) - keys[k].value) <= DropTolerance;
    }
    if (!fits) {
      anchor = next - 1;
      out.push_back(keys[anchor]);
    }
  }
  out.push_back(keys.back());
  return out;
}

}  // namespace

Keyframes ReadKeyframes(const tinygltf::Model& model, const tinygltf::Animation& animation, int sampler, int components,
                        const std::string& label) {
  if (sampler < 0 || static_cast<std::size_t>(sampler) >= animation.samplers.size())
    throw GltfError(label + ": sampler " + std::to_string(sampler) + " does not exist");
  const tinygltf::AnimationSampler& source = animation.samplers[static_cast<std::size_t>(sampler)];
  Keyframes keys;
  keys.components = components;
  if (source.interpolation == "LINEAR") {
    keys.kind = Keyframes::Kind::Linear;
  } else if (source.interpolation == "STEP") {
    keys.kind = Keyframes::Kind::Step;
  } else if (source.interpolation == "CUBICSPLINE") {
    keys.kind = Keyframes::Kind::CubicSpline;
  } else {
    throw GltfError(label + ": interpolation \"" + source.interpolation + "\" is not LINEAR, STEP or CUBICSPLINE");
  }
  const std::vector<float> times = ReadFloats(model, source.input, 1, "key times of " + label);
  for (std::size_t k = 0; k < times.size(); ++k) {
    if (times[k] < 0) throw GltfError(label + ": key " + std::to_string(k) + " has a negative time");
    if (k > 0 && !(times[k] > times[k - 1]))
      throw GltfError(label + ": key times do not rise at key " + std::to_string(k));
    if (times[k] > LongestAnimation)
      throw GltfError(label + ": key " + std::to_string(k) + " lies past " + std::to_string(static_cast<int>(LongestAnimation)) +
                      " seconds, longer than gltf2demo takes");
    keys.times.push_back(times[k]);
  }
  keys.values = ReadFloats(model, source.output, components, "key values of " + label);
  const std::size_t group = keys.kind == Keyframes::Kind::CubicSpline ? 3 : 1;
  if (keys.values.size() != times.size() * group * static_cast<std::size_t>(components))
    throw GltfError(label + ": " + std::to_string(times.size()) + " key times but " +
                    std::to_string(keys.values.size() / static_cast<std::size_t>(components)) + " key values");
  return keys;
}

std::vector<DemoCurve> VectorCurves(const Keyframes& keys, const std::string& prefix) {
  const char* interpolation = keys.kind == Keyframes::Kind::Step     ? "Constant"
                              : keys.kind == Keyframes::Kind::Linear ? "Linear"
                                                                     : "Bezier";
  std::vector<DemoCurve> curves;
  const std::size_t n = keys.times.size();
  for (int axis = 0; axis < 3; ++axis) {
    const int c = Swap[axis];
    DemoCurve curve = Curve(prefix + Axes[axis], interpolation);
    for (std::size_t k = 0; k < n; ++k) {
      const double frame = FrameOf(keys.times[k]);
      DemoKey key = PlainKey(frame, Value(keys, k, c));
      if (keys.kind == Keyframes::Kind::CubicSpline) {
        // Hermite tangents are per second; a segment's Bezier handles lie a third of its
        // length from its ends, along them. The end keys' outer handles are never used.
        const double before = k > 0 ? keys.times[k] - keys.times[k - 1] : (n > 1 ? keys.times[1] - keys.times[0] : 0.04);
        const double after = k + 1 < n ? keys.times[k + 1] - keys.times[k] : before;
        key.leftTime = static_cast<float>(frame - FramesPerSecond * before / 3);
        key.leftValue = static_cast<float>(Value(keys, k, c) - InTangent(keys, k, c) * before / 3);
        key.rightTime = static_cast<float>(frame + FramesPerSecond * after / 3);
        key.rightValue = static_cast<float>(Value(keys, k, c) + OutTangent(keys, k, c) * after / 3);
      }
      curve.keys.push_back(key);
    }
    HoldSingleKey(curve);
    curves.push_back(std::move(curve));
  }
  return curves;
}

std::vector<DemoCurve> ConstantCurves(const Vec3& value, const std::string& prefix) {
  std::vector<DemoCurve> curves;
  for (int axis = 0; axis < 3; ++axis) {
    DemoCurve curve = Curve(prefix + Axes[axis], "Constant");
    curve.keys.push_back(PlainKey(1, value[static_cast<std::size_t>(axis)]));
    HoldSingleKey(curve);
    curves.push_back(std::move(curve));
  }
  return curves;
}

Quat SampleRotation(const Keyframes& keys, double seconds) {
  const std::size_t n = keys.times.size();
  if (seconds <= keys.times[0]) return Normalized(KeyQuat(keys, 0));
  if (seconds >= keys.times[n - 1]) return Normalized(KeyQuat(keys, n - 1));
  const std::size_t k =
      static_cast<std::size_t>(std::upper_bound(keys.times.begin(), keys.times.end(), seconds) - keys.times.begin()) - 1;
  if (keys.kind == Keyframes::Kind::Step) return Normalized(KeyQuat(keys, k));
  const double span = keys.times[k + 1] - keys.times[k];
  const double t = (seconds - keys.times[k]) / span;
  if (keys.kind == Keyframes::Kind::Linear) return Slerp(KeyQuat(keys, k), KeyQuat(keys, k + 1), t);
  const double t2 = t * t, t3 = t2 * t;
  const double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
  Quat q{};
  for (int c = 0; c < 4; ++c) {
    q[static_cast<std::size_t>(c)] = h00 * Value(keys, k, c) + h10 * span * OutTangent(keys, k, c) +
                                     h01 * Value(keys, k + 1, c) + h11 * span * InTangent(keys, k + 1, c);
  }
  return Normalized(q);
}

std::vector<DemoCurve> RotationCurves(const Keyframes& keys) {
  std::vector<double> samples;  // seconds
  const std::size_t n = keys.times.size();
  if (keys.kind == Keyframes::Kind::Step) {
    samples = keys.times;
  } else {
    const double first = FrameOf(keys.times[0]), last = FrameOf(keys.times[n - 1]);
    for (double frame = std::ceil(first); frame <= last; frame += 1) samples.push_back((frame - 1) / FramesPerSecond);
    samples.insert(samples.end(), keys.times.begin(), keys.times.end());
    std::sort(samples.begin(), samples.end());
    // A key a hair from a whole frame would make a segment too short to play sensibly.
    std::vector<double> distinct;
    for (double s : samples) {
      if (distinct.empty() || FrameOf(s) - FrameOf(distinct.back()) > 1e-3) distinct.push_back(s);
    }
    samples.swap(distinct);
  }
  std::vector<DemoCurve> curves = {Curve("RotX", keys.kind == Keyframes::Kind::Step ? "Constant" : "Linear"),
                                   Curve("RotY", ""), Curve("RotZ", "")};
  curves[1].interpolation = curves[2].interpolation = curves[0].interpolation;
  std::vector<Sample> sampled;
  for (double at : samples) {
    const Sample next = {at, AnglesAt(keys, at, sampled.empty() ? Vec3{0, 0, 0} : sampled.back().angles)};
    if (sampled.empty() || keys.kind == Keyframes::Kind::Step) {
      sampled.push_back(next);
    } else {
      const Sample from = sampled.back();
      Refine(keys, from, next, 0, sampled);
    }
  }
  for (const Sample& sample : sampled) {
    for (std::size_t axis = 0; axis < 3; ++axis)
      curves[axis].keys.push_back(PlainKey(FrameOf(sample.seconds), sample.angles[axis] * RadiansToRotUnits));
  }
  for (DemoCurve& curve : curves) {
    if (keys.kind != Keyframes::Kind::Step) curve.keys = Thinned(curve.keys);
    HoldSingleKey(curve);
  }
  return curves;
}

}  // namespace gltf2demo
