#include "engine/math/matrix.h"

#include <cmath>
#include <utility>

namespace engine {
namespace math {

// Constant-initialised (constexpr constructor), so static objects in other units may use them safely.
const Matrix3x3 Matrix3x3::Identity(1.0f, 0.0f, 0.0f,
                                    0.0f, 1.0f, 0.0f,
                                    0.0f, 0.0f, 1.0f);

const Matrix4x4 Matrix4x4::Identity(1.0f, 0.0f, 0.0f, 0.0f,
                                    0.0f, 1.0f, 0.0f, 0.0f,
                                    0.0f, 0.0f, 1.0f, 0.0f,
                                    0.0f, 0.0f, 0.0f, 1.0f);

// ---- Matrix3x3 ----

Matrix3x3 Matrix3x3::Transpose() const {
  return Matrix3x3(m00, m10, m20,
                   m01, m11, m21,
                   m02, m12, m22);
}

void Matrix3x3::ToTranspose() {
  std::swap(m01, m10);
  std::swap(m02, m20);
  std::swap(m12, m21);
}

Vector3f Matrix3x3::GetVectorX() const { return Vector3f(m00, m10, m20); }

Vector3f Matrix3x3::GetVectorY() const { return Vector3f(m01, m11, m21); }

Vector3f Matrix3x3::GetVectorZ() const { return Vector3f(m02, m12, m22); }

void Matrix3x3::SetVector(const Vector3f& v, int index) {
  switch (index) {
    case 0:
      m00 = v.x;
      m01 = v.y;
      m02 = v.z;
      break;
    case 1:
      m10 = v.x;
      m11 = v.y;
      m12 = v.z;
      break;
    case 2:
      m20 = v.x;
      m21 = v.y;
      m22 = v.z;
      break;
    default:
      break;
  }
}

float Matrix3x3::Determinant() const {
  return m00 * m11 * m22 + m01 * m12 * m20 + m02 * m10 * m21 - m02 * m11 * m20 - m00 * m12 * m21 -
         m01 * m10 * m22;
}

void Matrix3x3::ToXRot(float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *this = Multiply(*this, Matrix3x3(1.0f, 0.0f, 0.0f,
                                    0.0f, c, -s,
                                    0.0f, s, c));
}

void Matrix3x3::ToYRot(float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *this = Multiply(*this, Matrix3x3(c, 0.0f, -s,
                                    0.0f, 1.0f, 0.0f,
                                    s, 0.0f, c));
}

void Matrix3x3::ToZRot(float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *this = Multiply(*this, Matrix3x3(c, s, 0.0f,
                                    -s, c, 0.0f,
                                    0.0f, 0.0f, 1.0f));
}

// ---- Matrix4x4 ----

Matrix4x4 Matrix4x4::Transpose() const {
  return Matrix4x4(m00, m10, m20, m30,
                   m01, m11, m21, m31,
                   m02, m12, m22, m32,
                   m03, m13, m23, m33);
}

void Matrix4x4::ToTranspose() { *this = Transpose(); }

Vector3f Matrix4x4::GetTranslation() const { return Vector3f(m30, m31, m32); }

Vector4f Matrix4x4::GetTranslation4f() const { return Vector4f(m30, m31, m32, m33); }

void Matrix4x4::SetTranslation(const Vector3f& v) {
  m30 = v.x;
  m31 = v.y;
  m32 = v.z;
}

void Matrix4x4::ToTranslation(const Vector3f& v) { SetTranslation(v); }

Matrix3x3 Matrix4x4::GetRotation() const {
  return Matrix3x3(m00, m01, m02,
                   m10, m11, m12,
                   m20, m21, m22);
}

void Matrix4x4::SetRotation(const Matrix3x3& m) {
  m00 = m.m00;
  m01 = m.m01;
  m02 = m.m02;
  m10 = m.m10;
  m11 = m.m11;
  m12 = m.m12;
  m20 = m.m20;
  m21 = m.m21;
  m22 = m.m22;
}

Vector3f Matrix4x4::GetVectorX() const { return Vector3f(m00, m10, m20); }

Vector3f Matrix4x4::GetVectorY() const { return Vector3f(m01, m11, m21); }

Vector3f Matrix4x4::GetVectorZ() const { return Vector3f(m02, m12, m22); }

void Matrix4x4::ToZRot(float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  *this = Multiply(*this, Matrix4x4(c, s, 0.0f, 0.0f,
                                    -s, c, 0.0f, 0.0f,
                                    0.0f, 0.0f, 1.0f, 0.0f,
                                    0.0f, 0.0f, 0.0f, 1.0f));
}

// ---- Free functions ----

Vector3f operator*(const Vector3f& v, const Matrix3x3& m) {
  return Vector3f(v.x * m.m00 + v.y * m.m10 + v.z * m.m20,
                  v.x * m.m01 + v.y * m.m11 + v.z * m.m21,
                  v.x * m.m02 + v.y * m.m12 + v.z * m.m22);
}

Matrix3x3 Multiply(const Matrix3x3& a, const Matrix3x3& b) {
  return Matrix3x3(a.m00 * b.m00 + a.m01 * b.m10 + a.m02 * b.m20,
                   a.m00 * b.m01 + a.m01 * b.m11 + a.m02 * b.m21,
                   a.m00 * b.m02 + a.m01 * b.m12 + a.m02 * b.m22,

                   a.m10 * b.m00 + a.m11 * b.m10 + a.m12 * b.m20,
                   a.m10 * b.m01 + a.m11 * b.m11 + a.m12 * b.m21,
                   a.m10 * b.m02 + a.m11 * b.m12 + a.m12 * b.m22,

                   a.m20 * b.m00 + a.m21 * b.m10 + a.m22 * b.m20,
                   a.m20 * b.m01 + a.m21 * b.m11 + a.m22 * b.m21,
                   a.m20 * b.m02 + a.m21 * b.m12 + a.m22 * b.m22);
}

Matrix4x4 Multiply(const Matrix4x4& a, const Matrix4x4& b) {
  // Spelled out rather than looped: the members are separate fields, not an array.
  return Matrix4x4(a.m00 * b.m00 + a.m01 * b.m10 + a.m02 * b.m20 + a.m03 * b.m30,
                   a.m00 * b.m01 + a.m01 * b.m11 + a.m02 * b.m21 + a.m03 * b.m31,
                   a.m00 * b.m02 + a.m01 * b.m12 + a.m02 * b.m22 + a.m03 * b.m32,
                   a.m00 * b.m03 + a.m01 * b.m13 + a.m02 * b.m23 + a.m03 * b.m33,

                   a.m10 * b.m00 + a.m11 * b.m10 + a.m12 * b.m20 + a.m13 * b.m30,
                   a.m10 * b.m01 + a.m11 * b.m11 + a.m12 * b.m21 + a.m13 * b.m31,
                   a.m10 * b.m02 + a.m11 * b.m12 + a.m12 * b.m22 + a.m13 * b.m32,
                   a.m10 * b.m03 + a.m11 * b.m13 + a.m12 * b.m23 + a.m13 * b.m33,

                   a.m20 * b.m00 + a.m21 * b.m10 + a.m22 * b.m20 + a.m23 * b.m30,
                   a.m20 * b.m01 + a.m21 * b.m11 + a.m22 * b.m21 + a.m23 * b.m31,
                   a.m20 * b.m02 + a.m21 * b.m12 + a.m22 * b.m22 + a.m23 * b.m32,
                   a.m20 * b.m03 + a.m21 * b.m13 + a.m22 * b.m23 + a.m23 * b.m33,

                   a.m30 * b.m00 + a.m31 * b.m10 + a.m32 * b.m20 + a.m33 * b.m30,
                   a.m30 * b.m01 + a.m31 * b.m11 + a.m32 * b.m21 + a.m33 * b.m31,
                   a.m30 * b.m02 + a.m31 * b.m12 + a.m32 * b.m22 + a.m33 * b.m32,
                   a.m30 * b.m03 + a.m31 * b.m13 + a.m32 * b.m23 + a.m33 * b.m33);
}

Vector3f TransformPoint(const Vector3f& p, const Matrix4x4& m) {
  return Vector3f(p.x * m.m00 + p.y * m.m10 + p.z * m.m20 + m.m30,
                  p.x * m.m01 + p.y * m.m11 + p.z * m.m21 + m.m31,
                  p.x * m.m02 + p.y * m.m12 + p.z * m.m22 + m.m32);
}

}  // namespace math
}  // namespace engine
