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

// A matrix with no symmetry, so row/column mix-ups show.
const Matrix3x3 kAsym(1, 2, 3,
                      4, 5, 6,
                      7, 8, 10);

// ---- Vectors ----

TEST(VectorEquality, ToleranceIsAbsoluteAndStrict) {
  EXPECT_TRUE(Vector3f(1, 0, 0) == Vector3f(1.0009f, 0, 0));
  EXPECT_FALSE(Vector3f(1, 0, 0) == Vector3f(1.001f, 0, 0));
  EXPECT_FALSE(Vector3f(0, 0, 0) == Vector3f(0.001f, 0, 0));  // the bound itself is not "close"
  // Every component is checked, in both directions.
  EXPECT_FALSE(Vector3f(0, 0, 0) == Vector3f(0, -0.002f, 0));
  EXPECT_FALSE(Vector3f(0, 0, 0) == Vector3f(0, 0, 0.002f));
  // Absolute, not relative: large values need the same closeness.
  EXPECT_FALSE(Vector3f(1000, 0, 0) == Vector3f(1000.01f, 0, 0));
  EXPECT_TRUE(Vector4f(1, 2, 3, 4) == Vector4f(1, 2, 3, 4.0005f));
  EXPECT_FALSE(Vector4f(1, 2, 3, 4) == Vector4f(1, 2, 3, 4.01f));
  EXPECT_FALSE(Vector2f(1, 2) == Vector2f(1, 2.01f));
  EXPECT_TRUE(Vector2i(3, -4) == Vector2i(3, -4));
  EXPECT_FALSE(Vector2i(3, -4) == Vector2i(-4, 3));
}

TEST(Vector3fOps, CrossIsRightHandedAndAnticommutative) {
  const Vector3f x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
  EXPECT_EQ(z, x ^ y);
  EXPECT_EQ(x, y ^ z);
  EXPECT_EQ(y, z ^ x);
  const Vector3f a(1, 2, 3), b(-4, 5, 0.5f);
  EXPECT_EQ(-(a ^ b), b ^ a);
  EXPECT_EQ(Vector3f(2 * 0.5f - 3 * 5, 3 * -4 - 1 * 0.5f, 1 * 5 - 2 * -4), a ^ b);
  // The cross product is orthogonal to both inputs.
  EXPECT_NEAR(0.0f, (a ^ b) * a, kEps);
  EXPECT_NEAR(0.0f, (a ^ b) * b, kEps);
}

TEST(Vector3fOps, ArithmeticAndNegation) {
  const Vector3f a(1, 2, 3), b(-4, 5, 0.5f);
  EXPECT_FLOAT_EQ(-4 + 10 + 1.5f, a * b);
  EXPECT_EQ(Vector3f(2, 4, 6), a * 2.0f);
  EXPECT_EQ(a * 2.0f, 2.0f * a);
  EXPECT_EQ(Vector3f(-3, 7, 3.5f), a + b);
  EXPECT_EQ(Vector3f(5, -3, 2.5f), a - b);
  EXPECT_FLOAT_EQ(6.0f, a.AddComponents());

  Vector3f c = a;
  c += b;
  EXPECT_EQ(a + b, c);
  c -= b;
  EXPECT_EQ(a, c);

  EXPECT_EQ(Vector3f(-1, -2, -3), -a);
  EXPECT_EQ(-a, a.Neg());
  EXPECT_EQ(Vector3f(1, 2, 3), a);  // Neg and unary minus leave the operand alone
  c.Invert();
  EXPECT_EQ(-a, c);
}

TEST(VectorLength, MagNormalizeDist) {
  Vector3f v(3, 0, 4);
  EXPECT_FLOAT_EQ(25.0f, v.MagSquared());
  EXPECT_FLOAT_EQ(5.0f, v.Mag());
  v.Normalize();
  EXPECT_EQ(Vector3f(0.6f, 0, 0.8f), v);
  EXPECT_FLOAT_EQ(5.0f, Vector3f::Dist(Vector3f(1, 1, 1), Vector3f(4, 1, 5)));

  // w takes part in the 4D length.
  Vector4f w(1, 1, 1, 1);
  EXPECT_FLOAT_EQ(2.0f, w.Mag());
  w.Normalize();
  EXPECT_TRUE(Vector4f(0.5f, 0.5f, 0.5f, 0.5f) == w);
  EXPECT_FLOAT_EQ(1.0f, Vector4f::Dist(Vector4f(0, 0, 0, 1), Vector4f(0, 0, 0, 2)));

  Vector2f u(-6, 8);
  EXPECT_FLOAT_EQ(10.0f, u.Mag());
  u.Normalize();
  EXPECT_TRUE(Vector2f(-0.6f, 0.8f) == u);
  u.Invert();
  EXPECT_TRUE(Vector2f(0.6f, -0.8f) == u);
}

TEST(VectorConstruction, DefaultsAndExtension) {
  EXPECT_EQ(Vector3f(0, 0, 0), Vector3f());
  EXPECT_TRUE(Vector4f(0, 0, 0, 0) == Vector4f());
  EXPECT_TRUE(Vector4f(1, 2, 3, 7) == Vector4f(Vector3f(1, 2, 3), 7));
  Vector4f v;
  v.Assign(4, 3, 2, 1);
  EXPECT_TRUE(Vector4f(4, 3, 2, 1) == v);
}

// ---- Matrix3x3 ----

TEST(Matrix3x3Test, RowVectorTimesMatrix) {
  // Row vector: (1, 0, 0) picks row 0, not column 0.
  EXPECT_EQ(Vector3f(1, 2, 3), Vector3f(1, 0, 0) * kAsym);
  EXPECT_EQ(Vector3f(1 + 8 + 21, 2 + 10 + 24, 3 + 12 + 30), Vector3f(1, 2, 3) * kAsym);
  EXPECT_EQ(Vector3f(1, 2, 3), Vector3f(1, 2, 3) * Matrix3x3::Identity);
}

TEST(Matrix3x3Test, ColumnsReadRowsWrite) {
  EXPECT_EQ(Vector3f(1, 4, 7), kAsym.GetVectorX());
  EXPECT_EQ(Vector3f(2, 5, 8), kAsym.GetVectorY());
  EXPECT_EQ(Vector3f(3, 6, 10), kAsym.GetVectorZ());

  Matrix3x3 m = Matrix3x3::Identity;
  m.SetVector(Vector3f(7, 8, 9), 1);
  ExpectMatrixNear(Matrix3x3(1, 0, 0, 7, 8, 9, 0, 0, 1), m);
  // Column 1 now crosses the written row at its middle element.
  EXPECT_EQ(Vector3f(0, 8, 0), m.GetVectorY());
}

TEST(Matrix3x3Test, TransposeAndDeterminant) {
  const Matrix3x3 t = kAsym.Transpose();
  ExpectMatrixNear(Matrix3x3(1, 4, 7, 2, 5, 8, 3, 6, 10), t);
  Matrix3x3 m = kAsym;
  m.ToTranspose();
  ExpectMatrixNear(t, m);

  EXPECT_FLOAT_EQ(-3.0f, kAsym.Determinant());
  EXPECT_FLOAT_EQ(-3.0f, t.Determinant());
  EXPECT_FLOAT_EQ(24.0f, Matrix3x3(2, 0, 0, 0, 3, 0, 0, 0, 4).Determinant());
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

// The exact element layout matters to generated geometry, so each form is written out in full.
INSTANTIATE_TEST_SUITE_P(
    Axes, Matrix3x3Rotation,
    ::testing::Values(
        RotationCase{"X", &Matrix3x3::ToXRot, [](float c, float s) { return Matrix3x3(1, 0, 0, 0, c, -s, 0, s, c); }},
        RotationCase{"Y", &Matrix3x3::ToYRot, [](float c, float s) { return Matrix3x3(c, 0, -s, 0, 1, 0, s, 0, c); }},
        RotationCase{"Z", &Matrix3x3::ToZRot, [](float c, float s) { return Matrix3x3(c, s, 0, -s, c, 0, 0, 0, 1); }}),
    [](const ::testing::TestParamInfo<RotationCase>& param) { return std::string(param.param.name); });

TEST_P(Matrix3x3Rotation, ExactFormOnIdentity) {
  const float angle = 0.3f;
  Matrix3x3 m = Matrix3x3::Identity;
  (m.*GetParam().rotate)(angle);
  ExpectMatrixNear(GetParam().expected(std::cos(angle), std::sin(angle)), m);
  EXPECT_NEAR(1.0f, m.Determinant(), kEps);
}

TEST_P(Matrix3x3Rotation, PostMultipliesExistingMatrix) {
  const float angle = -1.1f;
  Matrix3x3 m = kAsym;
  (m.*GetParam().rotate)(angle);
  ExpectMatrixNear(Multiply(kAsym, GetParam().expected(std::cos(angle), std::sin(angle))), m);
}

TEST(Matrix3x3Test, QuarterTurnSenses) {
  Matrix3x3 x = Matrix3x3::Identity, y = Matrix3x3::Identity, z = Matrix3x3::Identity;
  x.ToXRot(kPi / 2);
  y.ToYRot(kPi / 2);
  z.ToZRot(kPi / 2);
  // X turns y towards -z, while Y turns z towards +x and Z turns x towards +y.
  EXPECT_EQ(Vector3f(0, 0, -1), Vector3f(0, 1, 0) * x);
  EXPECT_EQ(Vector3f(1, 0, 0), Vector3f(0, 0, 1) * y);
  EXPECT_EQ(Vector3f(0, 1, 0), Vector3f(1, 0, 0) * z);
}

// ---- Matrix4x4 ----

class Matrix4x4Test : public ::testing::Test {
 protected:
  const Matrix4x4 m_{1, 2, 3, 4,
                     5, 6, 7, 8,
                     9, 10, 11, 12,
                     13, 14, 15, 16};
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

TEST_F(Matrix4x4Test, RotationBlockAndColumns) {
  ExpectMatrixNear(Matrix3x3(1, 2, 3, 5, 6, 7, 9, 10, 11), m_.GetRotation());
  Matrix4x4 a = m_;
  a.SetRotation(kAsym);
  ExpectMatrixNear(Matrix4x4(1, 2, 3, 4, 4, 5, 6, 8, 7, 8, 10, 12, 13, 14, 15, 16), a);

  EXPECT_EQ(Vector3f(1, 5, 9), m_.GetVectorX());
  EXPECT_EQ(Vector3f(2, 6, 10), m_.GetVectorY());
  EXPECT_EQ(Vector3f(3, 7, 11), m_.GetVectorZ());
}

TEST_F(Matrix4x4Test, Transpose) {
  const Matrix4x4 t = m_.Transpose();
  ExpectMatrixNear(Matrix4x4(1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16), t);
  Matrix4x4 a = m_;
  a.ToTranspose();
  ExpectMatrixNear(t, a);
}

TEST_F(Matrix4x4Test, ToZRotMatchesThreeByThreeAndRotatesTranslation) {
  Matrix3x3 r = Matrix3x3::Identity;
  r.ToZRot(0.7f);
  Matrix4x4 rz = Matrix4x4::Identity;
  rz.SetRotation(r);

  Matrix4x4 a = m_;
  a.ToZRot(0.7f);
  ExpectMatrixNear(Multiply(m_, rz), a);

  // Post-multiplied: an existing translation is carried round too.
  Matrix4x4 t = Matrix4x4::Identity;
  t.SetTranslation(Vector3f(1, 0, 5));
  t.ToZRot(kPi / 2);
  EXPECT_EQ(Vector3f(0, 1, 5), t.GetTranslation());
}

TEST_F(Matrix4x4Test, MultiplyAndTransformPointAgree) {
  Matrix4x4 a = Matrix4x4::Identity;
  a.ToZRot(0.4f);
  a.SetTranslation(Vector3f(1, 2, 3));
  Matrix4x4 b = Matrix4x4::Identity;
  b.SetRotation(kAsym);
  b.SetTranslation(Vector3f(-5, 0, 2));
  const Vector3f p(0.5f, -1, 2);
  EXPECT_EQ(TransformPoint(TransformPoint(p, a), b), TransformPoint(p, Multiply(a, b)));
  ExpectMatrixNear(m_, Multiply(m_, Matrix4x4::Identity));
  ExpectMatrixNear(m_, Multiply(Matrix4x4::Identity, m_));
}

// ---- Plane3f ----

TEST(Plane3fTest, FromThreePoints) {
  // Counter-clockwise seen from +z gives a +z normal, normalised; d places the plane at z = 2.
  const Plane3f p(Vector3f(0, 0, 2), Vector3f(3, 0, 2), Vector3f(0, 5, 2));
  EXPECT_EQ(Vector3f(0, 0, 1), p.normal);
  EXPECT_FLOAT_EQ(-2.0f, p.d);
  const Plane3f flipped(Vector3f(0, 0, 2), Vector3f(0, 5, 2), Vector3f(3, 0, 2));
  EXPECT_EQ(Vector3f(0, 0, -1), flipped.normal);
}

TEST(Plane3fTest, FromNormalAndPointKeepsNormalLength) {
  const Plane3f p(Vector3f(0, 2, 0), Vector3f(7, 3, -1));
  EXPECT_EQ(Vector3f(0, 2, 0), p.normal);
  EXPECT_FLOAT_EQ(-6.0f, p.d);
  EXPECT_EQ(Plane3f::Coplanar, p.TestPoint(Vector3f(-4, 3, 9)));
}

TEST(Plane3fTest, TestPointSides) {
  const Plane3f p(0, 1, 0, -1);  // y = 1, normal +y
  struct Case {
    float y;
    Plane3f::Location expected;
  };
  const Case cases[] = {{1.0f, Plane3f::Coplanar}, {1.0005f, Plane3f::Coplanar}, {0.9995f, Plane3f::Coplanar},
                        {1.01f, Plane3f::Front},   {5.0f, Plane3f::Front},      {0.99f, Plane3f::Back},
                        {-3.0f, Plane3f::Back}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, p.TestPoint(Vector3f(12, c.y, -7))) << "y = " << c.y;
  }
  EXPECT_EQ(0, Plane3f::Front);
  EXPECT_EQ(1, Plane3f::Back);
  EXPECT_EQ(2, Plane3f::Coplanar);
}

TEST(Plane3fTest, SplitFindsIntersection) {
  const Plane3f p(Vector3f(1, 1, 1), Vector3f(0, 0, 1));  // x + y + z = 1
  const Vector3f a(0, 0, 0), b(2, 2, 2);
  const Vector3f hit = p.Split(a, b);
  EXPECT_EQ(Vector3f(1 / 3.0f, 1 / 3.0f, 1 / 3.0f), hit);
  EXPECT_EQ(hit, p.Split(b, a));
  // Points beyond the segment are found too: the line is unbounded.
  EXPECT_EQ(Vector3f(0, 0, 1), Plane3f(0, 0, 1, -1).Split(Vector3f(0, 0, 3), Vector3f(0, 0, 5)));
}

}  // namespace
