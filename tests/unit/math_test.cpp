#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ostream>

#include "engine/math/matrix.h"
#include "engine/math/plane.h"
#include "engine/math/vector.h"

namespace engine {
namespace math {

// Readable failure output for EXPECT_EQ on vectors.
static void PrintTo(const Vector3f& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ", " << v.z << ")"; }

}  // namespace math
}  // namespace engine

namespace {

using engine::math::Matrix3x3;
using engine::math::Matrix4x4;
using engine::math::Plane3f;
using engine::math::Vector2f;
using engine::math::Vector2i;
using engine::math::Vector3f;
using engine::math::Vector4f;

constexpr float kPi = 3.14159265358979f;
constexpr float kEps = 1e-5f;

std::array<float, 9> Elements(const Matrix3x3& m) {
  return {m.m00, m.m01, m.m02, m.m10, m.m11, m.m12, m.m20, m.m21, m.m22};
}

std::array<float, 16> Elements(const Matrix4x4& m) {
  return {m.m00, m.m01, m.m02, m.m03, m.m10, m.m11, m.m12, m.m13,
          m.m20, m.m21, m.m22, m.m23, m.m30, m.m31, m.m32, m.m33};
}

template <typename M>
void ExpectMatrixNear(const M& expected, const M& actual) {
  const auto e = Elements(expected);
  const auto a = Elements(actual);
  for (size_t i = 0; i < e.size(); ++i) {
    EXPECT_NEAR(e[i], a[i], kEps) << "element " << i;
  }
}

// No symmetry, so row/column mix-ups show.
const Matrix3x3 kAsym(1, 2, 3,
                      4, 5, 6,
                      7, 8, 10);

TEST(VectorTest, EqualityToleranceIsAbsoluteAndStrict) {
  EXPECT_TRUE(Vector3f(1, 0, 0) == Vector3f(1.0009f, 0, 0));
  EXPECT_FALSE(Vector3f(1, 0, 0) == Vector3f(1.001f, 0, 0));
  EXPECT_FALSE(Vector3f(0, 0, 0) == Vector3f(0.001f, 0, 0));  // the bound itself is not "close"
  EXPECT_FALSE(Vector3f(0, 0, 0) == Vector3f(0, 0, -0.002f));
  EXPECT_FALSE(Vector3f(1000, 0, 0) == Vector3f(1000.01f, 0, 0));
  EXPECT_FALSE(Vector4f(1, 2, 3, 4) == Vector4f(1, 2, 3, 4.01f));
  EXPECT_FALSE(Vector2f(1, 2) == Vector2f(1, 2.01f));
  EXPECT_FALSE(Vector2i(3, -4) == Vector2i(-4, 3));
}

TEST(VectorTest, CrossIsRightHandedAndDotIsScalar) {
  EXPECT_EQ(Vector3f(0, 0, 1), Vector3f(1, 0, 0) ^ Vector3f(0, 1, 0));
  EXPECT_EQ(Vector3f(1, 0, 0), Vector3f(0, 1, 0) ^ Vector3f(0, 0, 1));
  const Vector3f a(1, 2, 3), b(-4, 5, 0.5f);
  EXPECT_EQ(Vector3f(2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4), a ^ b);
  EXPECT_FLOAT_EQ(-4 + 10 + 1.5f, a * b);
  EXPECT_EQ(2.0f * a, a * 2.0f);
}

TEST(VectorTest, NegationCopiesWhileInvertIsInPlace) {
  const Vector3f a(1, -2, 3);
  EXPECT_EQ(Vector3f(-1, 2, -3), -a);
  EXPECT_EQ(-a, a.Neg());
  Vector3f b = a;
  b.Invert();
  EXPECT_EQ(-a, b);
}

TEST(VectorTest, LengthsAndDefaults) {
  Vector3f v(3, 0, 4);
  EXPECT_FLOAT_EQ(5.0f, v.Mag());
  v.Normalize();
  EXPECT_EQ(Vector3f(0.6f, 0, 0.8f), v);
  EXPECT_FLOAT_EQ(5.0f, Vector3f::Dist(Vector3f(1, 1, 1), Vector3f(4, 1, 5)));
  // w takes part in the 4D length.
  Vector4f w(1, 1, 1, 1);
  EXPECT_FLOAT_EQ(2.0f, w.Mag());
  w.Normalize();
  EXPECT_TRUE(Vector4f(0.5f, 0.5f, 0.5f, 0.5f) == w);
  EXPECT_TRUE(Vector4f(1, 2, 3, 7) == Vector4f(Vector3f(1, 2, 3), 7));
}

TEST(Matrix3x3Test, RowVectorTimesMatrix) {
  // (1, 0, 0) picks row 0, not column 0.
  EXPECT_EQ(Vector3f(1, 2, 3), Vector3f(1, 0, 0) * kAsym);
  EXPECT_EQ(Vector3f(1 + 8 + 21, 2 + 10 + 24, 3 + 12 + 30), Vector3f(1, 2, 3) * kAsym);
}

TEST(Matrix3x3Test, GettersReadColumnsSetterWritesRows) {
  EXPECT_EQ(Vector3f(1, 4, 7), kAsym.GetVectorX());
  EXPECT_EQ(Vector3f(2, 5, 8), kAsym.GetVectorY());
  EXPECT_EQ(Vector3f(3, 6, 10), kAsym.GetVectorZ());

  Matrix3x3 m = Matrix3x3::Identity;
  m.SetVector(Vector3f(7, 8, 9), 1);
  ExpectMatrixNear(Matrix3x3(1, 0, 0, 7, 8, 9, 0, 0, 1), m);
  EXPECT_EQ(Vector3f(0, 8, 0), m.GetVectorY());
}

TEST(Matrix3x3Test, TransposeAndDeterminant) {
  Matrix3x3 m = kAsym;
  m.ToTranspose();
  ExpectMatrixNear(Matrix3x3(1, 4, 7, 2, 5, 8, 3, 6, 10), m);
  ExpectMatrixNear(m, kAsym.Transpose());

  EXPECT_FLOAT_EQ(-3.0f, kAsym.Determinant());
  EXPECT_FLOAT_EQ(-3.0f, m.Determinant());
  EXPECT_FLOAT_EQ(-1.0f, Matrix3x3(0, 1, 0, 1, 0, 0, 0, 0, 1).Determinant());
}

TEST(Matrix3x3Test, MultiplyAppliesLeftOperandFirst) {
  const Matrix3x3 b(0, 1, 0, -1, 0, 0, 0, 0, 2);
  const Vector3f p(1, -2, 0.5f);
  EXPECT_EQ((p * kAsym) * b, p * Multiply(kAsym, b));
  EXPECT_FALSE((p * b) * kAsym == p * Multiply(kAsym, b));
}

struct RotationCase {
  const char* name;
  void (Matrix3x3::*rotate)(float);
  Matrix3x3 (*expected)(float c, float s);
};

class Matrix3x3Rotation : public ::testing::TestWithParam<RotationCase> {};

// Generated geometry depends on these exact layouts (X turns the opposite way to Y and Z), so each is
// written out in full.
INSTANTIATE_TEST_SUITE_P(
    Axes, Matrix3x3Rotation,
    ::testing::Values(
        RotationCase{"X", &Matrix3x3::ToXRot, [](float c, float s) { return Matrix3x3(1, 0, 0, 0, c, -s, 0, s, c); }},
        RotationCase{"Y", &Matrix3x3::ToYRot, [](float c, float s) { return Matrix3x3(c, 0, -s, 0, 1, 0, s, 0, c); }},
        RotationCase{"Z", &Matrix3x3::ToZRot, [](float c, float s) { return Matrix3x3(c, s, 0, -s, c, 0, 0, 0, 1); }}),
    [](const ::testing::TestParamInfo<RotationCase>& param) { return std::string(param.param.name); });

TEST_P(Matrix3x3Rotation, ExactFormOnIdentity) {
  Matrix3x3 m = Matrix3x3::Identity;
  (m.*GetParam().rotate)(0.3f);
  ExpectMatrixNear(GetParam().expected(std::cos(0.3f), std::sin(0.3f)), m);
}

TEST_P(Matrix3x3Rotation, PostMultipliesExistingMatrix) {
  Matrix3x3 m = kAsym;
  (m.*GetParam().rotate)(-1.1f);
  ExpectMatrixNear(Multiply(kAsym, GetParam().expected(std::cos(-1.1f), std::sin(-1.1f))), m);
}

class Matrix4x4Test : public ::testing::Test {
 protected:
  const Matrix4x4 m_{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
};

TEST_F(Matrix4x4Test, TranslationLivesInFourthRow) {
  EXPECT_EQ(Vector3f(13, 14, 15), m_.GetTranslation());
  EXPECT_TRUE(Vector4f(13, 14, 15, 16) == m_.GetTranslation4f());

  Matrix4x4 a = m_, b = m_;
  a.SetTranslation(Vector3f(-1, -2, -3));
  b.ToTranslation(Vector3f(-1, -2, -3));
  const Matrix4x4 expected(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, -1, -2, -3, 16);
  ExpectMatrixNear(expected, a);
  ExpectMatrixNear(expected, b);

  Matrix4x4 t = Matrix4x4::Identity;
  t.SetTranslation(Vector3f(1, 2, 3));
  EXPECT_EQ(Vector3f(2, 2, 3), TransformPoint(Vector3f(1, 0, 0), t));
}

TEST_F(Matrix4x4Test, RotationBlockColumnsAndTranspose) {
  ExpectMatrixNear(Matrix3x3(1, 2, 3, 5, 6, 7, 9, 10, 11), m_.GetRotation());
  Matrix4x4 a = m_;
  a.SetRotation(kAsym);
  ExpectMatrixNear(Matrix4x4(1, 2, 3, 4, 4, 5, 6, 8, 7, 8, 10, 12, 13, 14, 15, 16), a);
  EXPECT_EQ(Vector3f(2, 6, 10), m_.GetVectorY());

  a = m_;
  a.ToTranspose();
  ExpectMatrixNear(Matrix4x4(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16), a);
  ExpectMatrixNear(a, m_.Transpose());
}

TEST_F(Matrix4x4Test, ToZRotPostMultipliesIncludingTranslation) {
  Matrix3x3 r = Matrix3x3::Identity;
  r.ToZRot(0.7f);
  Matrix4x4 rz = Matrix4x4::Identity;
  rz.SetRotation(r);
  Matrix4x4 a = m_;
  a.ToZRot(0.7f);
  ExpectMatrixNear(Multiply(m_, rz), a);

  Matrix4x4 t = Matrix4x4::Identity;
  t.SetTranslation(Vector3f(1, 0, 5));
  t.ToZRot(kPi / 2);
  EXPECT_EQ(Vector3f(0, 1, 5), t.GetTranslation());
}

TEST(Plane3fTest, FromThreePointsIsNormalisedAndWindingSensitive) {
  const Plane3f p(Vector3f(0, 0, 2), Vector3f(3, 0, 2), Vector3f(0, 5, 2));
  EXPECT_EQ(Vector3f(0, 0, 1), p.normal);
  EXPECT_FLOAT_EQ(-2.0f, p.d);
  EXPECT_EQ(Vector3f(0, 0, -1), Plane3f(Vector3f(0, 0, 2), Vector3f(0, 5, 2), Vector3f(3, 0, 2)).normal);
}

TEST(Plane3fTest, FromNormalAndPointKeepsNormalLength) {
  const Plane3f p(Vector3f(0, 2, 0), Vector3f(7, 3, -1));
  EXPECT_EQ(Vector3f(0, 2, 0), p.normal);
  EXPECT_FLOAT_EQ(-6.0f, p.d);
}

TEST(Plane3fTest, TestPointSides) {
  static_assert(Plane3f::Front == 0 && Plane3f::Back == 1 && Plane3f::Coplanar == 2, "stored values");
  const Plane3f p(0, 1, 0, -1);  // y = 1, normal +y
  const struct {
    float y;
    Plane3f::Location expected;
  } cases[] = {{1.0f, Plane3f::Coplanar}, {1.0005f, Plane3f::Coplanar}, {0.9995f, Plane3f::Coplanar},
               {1.01f, Plane3f::Front},   {0.99f, Plane3f::Back}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, p.TestPoint(Vector3f(12, c.y, -7))) << "y = " << c.y;
  }
}

TEST(Plane3fTest, SplitFindsIntersectionOnUnboundedLine) {
  const Plane3f p(Vector3f(1, 1, 1), Vector3f(0, 0, 1));  // x + y + z = 1
  EXPECT_EQ(Vector3f(1 / 3.0f, 1 / 3.0f, 1 / 3.0f), p.Split(Vector3f(0, 0, 0), Vector3f(2, 2, 2)));
  EXPECT_EQ(Vector3f(0, 0, 1), Plane3f(0, 0, 1, -1).Split(Vector3f(0, 0, 3), Vector3f(0, 0, 5)));
}

}  // namespace
