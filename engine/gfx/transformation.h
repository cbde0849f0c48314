#pragma once

#include "engine/api.h"
#include "engine/math/matrix.h"
#include "engine/math/vector.h"

namespace engine {
namespace gfx {

// Rotation-plus-translation carried by every scene node. `rotate` may also hold scale (animation multiplies
// scale factors into it). `identity` is a cached marker: while it is set the builders return the identity
// matrix without reading the fields, and every setter clears it, even when given identity values.
// Default: identity rotation, zero translation, flag set.
class ENGINE_API Transformation {
 public:
  Transformation();

  void Rotate(const math::Matrix3x3& m);
  math::Matrix3x3 Rotate() const;
  void Translate(const math::Vector3f& v);
  math::Vector3f Translate() const;

  // Resets to the identity and sets the flag.
  void Identity();
  bool IsIdentity() const;

  // Row-vector matrices (p * M). BuildMatrix rotates then translates; BuildReverseMatrix translates then
  // rotates. The Inv variants use the transposed rotation, so they are true inverses only while `rotate`
  // is orthonormal.
  math::Matrix4x4 BuildMatrix() const;
  math::Matrix4x4 BuildReverseMatrix() const;
  math::Matrix4x4 BuildInvMatrix() const;
  math::Matrix4x4 BuildReverseInvMatrix() const;

  // In place: negated translation, transposed rotation. Afterwards BuildMatrix() gives what
  // BuildReverseInvMatrix() gave before. No effect while the identity flag is set.
  void Invert();

  math::Matrix3x3 rotate;
  math::Vector3f translate;
  bool identity;
};

}  // namespace gfx
}  // namespace engine
