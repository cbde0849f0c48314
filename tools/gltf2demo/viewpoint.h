#pragma once

// Where the stand-ins go when a scene brings no camera or no sun of its own: a camera
// that frames the whole scene at rest, and a sun that lights it from above, front left.
// Everything is in engine axes (z up; a scene seen along -z in glTF is seen along -y).

#include "tools/gltf2demo/worldAxes.h"

namespace gltf2demo {

// An affine placement p' = linear p + translation (column vectors).
struct Placement {
  Mat3 linear = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  Vec3 translation = {0, 0, 0};

  Vec3 Apply(const Vec3& p) const;
  // This placement after `local`: a child's world from its parent's world and its own.
  Placement Then(const Placement& local) const;
};

// An axis-aligned box that grows to hold points; empty until the first.
class Bounds {
 public:
  void Add(const Vec3& p);
  bool Empty() const { return empty; }
  Vec3 Centre() const;
  double Radius() const;  // of the sphere round the box
  const Vec3& Low() const { return low; }
  const Vec3& High() const { return high; }

 private:
  bool empty = true;
  Vec3 low = {0, 0, 0}, high = {0, 0, 0};
};

// The rotation (Euler XYZ, radians) that turns an object's +z, the way cameras look and
// lamps shine, along `forward`, keeping its +y as near the world's up as it can.
Vec3 LookAlong(const Vec3& forward);

struct View {
  Vec3 position;
  Vec3 rotation;    // Euler XYZ, radians
  double distance;  // from the position to the centre of what it frames
};

// A camera with the engine's 45 degree field of view (16:9 pictures) that frames the
// sphere round `bounds` from the front, a little to the right and above.
View FramingView(const Bounds& bounds);

// The default sun's direction of travel.
Vec3 DefaultSunDirection();

}  // namespace gltf2demo
