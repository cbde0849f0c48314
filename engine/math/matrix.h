#pragma once

#include "engine/api.h"
#include "engine/math/vector.h"

namespace engine {
namespace math {

// Matrices are row-major and act on row vectors: a point p maps to p * M, so in A * B the transform A
// applies first and a 4x4 matrix keeps its translation in the fourth row (m30, m31, m32). Matrices go to
// the graphics API unchanged under this layout.

// 3x3 rotation (possibly with scale). The default constructor leaves the elements unset on purpose:
// matrices are filled in bulk on hot paths, so callers must initialise before reading.
class ENGINE_API Matrix3x3 {
 public:
  Matrix3x3() {}
  constexpr Matrix3x3(float a00, float a01, float a02,
                      float a10, float a11, float a12,
                      float a20, float a21, float a22)
      : m00(a00), m01(a01), m02(a02), m10(a10), m11(a11), m12(a12), m20(a20), m21(a21), m22(a22) {}

  Matrix3x3 Transpose() const;
  void ToTranspose();

  // Columns 0, 1 and 2.
  Vector3f GetVectorX() const;
  Vector3f GetVectorY() const;
  Vector3f GetVectorZ() const;
  // Writes row `index` (0 to 2). Note the asymmetry with the getters, which read columns; other indices
  // are ignored.
  void SetVector(const Vector3f& v, int index);

  float Determinant() const;

  // Post-multiply by a rotation (this = this * R), angle in radians. ToYRot and ToZRot turn the usual way
  // for this row-vector layout; ToXRot turns the other way. Generated geometry relies on these exact
  // senses, so they must not be "fixed".
  void ToXRot(float angle);
  void ToYRot(float angle);
  void ToZRot(float angle);

  static const Matrix3x3 Identity;

  float m00, m01, m02;
  float m10, m11, m12;
  float m20, m21, m22;
};

// 4x4 affine transform. The default constructor leaves the elements unset, as for Matrix3x3.
class ENGINE_API Matrix4x4 {
 public:
  Matrix4x4() {}
  constexpr Matrix4x4(float a00, float a01, float a02, float a03,
                      float a10, float a11, float a12, float a13,
                      float a20, float a21, float a22, float a23,
                      float a30, float a31, float a32, float a33)
      : m00(a00), m01(a01), m02(a02), m03(a03),
        m10(a10), m11(a11), m12(a12), m13(a13),
        m20(a20), m21(a21), m22(a22), m23(a23),
        m30(a30), m31(a31), m32(a32), m33(a33) {}

  Matrix4x4 Transpose() const;
  void ToTranspose();

  // (m30, m31, m32) and (m30, m31, m32, m33).
  Vector3f GetTranslation() const;
  Vector4f GetTranslation4f() const;
  // Both overwrite m30..m32 only; two names kept for existing call sites.
  void SetTranslation(const Vector3f& v);
  void ToTranslation(const Vector3f& v);

  // Upper-left 3x3. SetRotation leaves the fourth row and column alone.
  Matrix3x3 GetRotation() const;
  void SetRotation(const Matrix3x3& m);

  // First three elements of columns 0, 1 and 2.
  Vector3f GetVectorX() const;
  Vector3f GetVectorY() const;
  Vector3f GetVectorZ() const;

  // this = this * Rz, with Rz the 4x4 form of Matrix3x3::ToZRot's rotation.
  void ToZRot(float angle);

  static const Matrix4x4 Identity;

  float m00, m01, m02, m03;
  float m10, m11, m12, m13;
  float m20, m21, m22, m23;
  float m30, m31, m32, m33;
};

// Row vector times matrix.
ENGINE_API Vector3f operator*(const Vector3f& v, const Matrix3x3& m);

// Engine-internal helpers, not exported.

// Ordinary matrix products: element (r, c) = sum over k of a[r][k] * b[k][c].
Matrix3x3 Multiply(const Matrix3x3& a, const Matrix3x3& b);
Matrix4x4 Multiply(const Matrix4x4& a, const Matrix4x4& b);
// (p, 1) * m, first three components; no division by w since engine matrices are affine.
Vector3f TransformPoint(const Vector3f& p, const Matrix4x4& m);

}  // namespace math
}  // namespace engine
