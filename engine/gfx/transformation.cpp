#include "engine/gfx/transformation.h"

namespace engine {
namespace gfx {

using math::Matrix3x3;
using math::Matrix4x4;
using math::Vector3f;

namespace {

// An affine matrix with `upper` in the upper-left 3x3 and `row` as translation. All four builders reduce to
// this form, which saves a full 4x4 product per node per frame.
Matrix4x4 Affine(const Matrix3x3& upper, const Vector3f& row) {
  return Matrix4x4(upper.m00, upper.m01, upper.m02, 0.0f,
                   upper.m10, upper.m11, upper.m12, 0.0f,
                   upper.m20, upper.m21, upper.m22, 0.0f,
                   row.x, row.y, row.z, 1.0f);
}

}  // namespace

Transformation::Transformation() : rotate(Matrix3x3::Identity), translate(), identity(true) {}

void Transformation::Rotate(const Matrix3x3& m) {
  rotate = m;
  identity = false;
}

Matrix3x3 Transformation::Rotate() const { return rotate; }

void Transformation::Translate(const Vector3f& v) {
  translate = v;
  identity = false;
}

Vector3f Transformation::Translate() const { return translate; }

void Transformation::Identity() {
  identity = true;
  translate = Vector3f();
  rotate = Matrix3x3::Identity;
}

bool Transformation::IsIdentity() const { return identity; }

Matrix4x4 Transformation::BuildMatrix() const {
  if (identity) {
    return Matrix4x4::Identity;
  }
  // R * T(t)
  return Affine(rotate, translate);
}

Matrix4x4 Transformation::BuildReverseMatrix() const {
  if (identity) {
    return Matrix4x4::Identity;
  }
  // T(t) * R: the translation row itself goes through the rotation.
  return Affine(rotate, translate * rotate);
}

Matrix4x4 Transformation::BuildInvMatrix() const {
  if (identity) {
    return Matrix4x4::Identity;
  }
  // T(-t) * R^T
  const Matrix3x3 inverse = rotate.Transpose();
  return Affine(inverse, -translate * inverse);
}

Matrix4x4 Transformation::BuildReverseInvMatrix() const {
  if (identity) {
    return Matrix4x4::Identity;
  }
  // R^T * T(-t)
  return Affine(rotate.Transpose(), -translate);
}

void Transformation::Invert() {
  if (identity) {
    return;
  }
  translate.Invert();
  rotate.ToTranspose();
}

}  // namespace gfx
}  // namespace engine
