#include <gtest/gtest.h>

#include <array>
#include <ostream>

#include "engine/gfx/transformation.h"
#include "engine/math/matrix.h"
#include "engine/math/vector.h"

namespace engine {
namespace math {

static void PrintTo(const Vector3f& v, std::ostream* os) { *os << "(" << v.x << ", " << v.y << ", " << v.z << ")"; }

}  // namespace math
}  // namespace engine

namespace {

using engine::gfx::Transformation;
using engine::math::Matrix3x3;
using engine::math::Matrix4x4;
using engine::math::Vector3f;

constexpr float kPi = 3.14159265358979f;
constexpr float kEps = 1e-5f;

void ExpectMatrixNear(const Matrix4x4& expected, const Matrix4x4& actual) {
  const std::array<float, 16> e = {expected.m00, expected.m01, expected.m02, expected.m03,
                                   expected.m10, expected.m11, expected.m12, expected.m13,
                                   expected.m20, expected.m21, expected.m22, expected.m23,
                                   expected.m30, expected.m31, expected.m32, expected.m33};
  const std::array<float, 16> a = {actual.m00, actual.m01, actual.m02, actual.m03,
                                   actual.m10, actual.m11, actual.m12, actual.m13,
                                   actual.m20, actual.m21, actual.m22, actual.m23,
                                   actual.m30, actual.m31, actual.m32, actual.m33};
  for (size_t i = 0; i < e.size(); ++i) {
    EXPECT_NEAR(e[i], a[i], kEps) << "element " << i;
  }
}

Matrix4x4 Extend(const Matrix3x3& r) {
  Matrix4x4 m = Matrix4x4::Identity;
  m.SetRotation(r);
  return m;
}

Matrix4x4 TranslationMatrix(const Vector3f& t) {
  Matrix4x4 m = Matrix4x4::Identity;
  m.SetTranslation(t);
  return m;
}

void ExpectAllBuildersIdentity(const Transformation& t) {
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildReverseMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildInvMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildReverseInvMatrix());
}

TEST(TransformationIdentity, DefaultIsIdentity) {
  const Transformation t;
  EXPECT_TRUE(t.IsIdentity());
  EXPECT_EQ(Vector3f(0, 0, 0), t.Translate());
  ExpectAllBuildersIdentity(t);
}

TEST(TransformationIdentity, FlagOverridesFields) {
  // The flag is trusted: builders and Invert ignore fields written behind its back.
  Transformation t;
  t.translate = Vector3f(1, 2, 3);
  t.rotate = Matrix3x3(2, 0, 0, 0, 2, 0, 0, 0, 2);
  ExpectAllBuildersIdentity(t);
  t.Invert();
  EXPECT_EQ(Vector3f(1, 2, 3), t.translate);
}

TEST(TransformationIdentity, SettersClearFlagEvenWithIdentityValues) {
  Transformation r;
  r.Rotate(Matrix3x3::Identity);
  EXPECT_FALSE(r.IsIdentity());
  Transformation t;
  t.Translate(Vector3f(0, 0, 0));
  EXPECT_FALSE(t.IsIdentity());
}

TEST(TransformationIdentity, IdentityResetsFields) {
  Transformation t;
  t.Rotate(Matrix3x3(0, 1, 0, -1, 0, 0, 0, 0, 1));
  t.Translate(Vector3f(4, 5, 6));
  t.Identity();
  EXPECT_TRUE(t.IsIdentity());
  EXPECT_EQ(Vector3f(0, 0, 0), t.Translate());
  EXPECT_EQ(Vector3f(1, 0, 0), t.Rotate().GetVectorX());
  EXPECT_EQ(Vector3f(0, 1, 0), t.Rotate().GetVectorY());
  EXPECT_EQ(Vector3f(0, 0, 1), t.Rotate().GetVectorZ());
}

TEST(TransformationBuild, QuarterTurnThenTranslate) {
  Matrix3x3 r = Matrix3x3::Identity;
  r.ToZRot(kPi / 2);
  Transformation t;
  t.Rotate(r);
  t.Translate(Vector3f(1, 2, 3));
  // Rotated first: (1,0,0) -> (0,1,0), then moved.
  EXPECT_EQ(Vector3f(1, 3, 3), TransformPoint(Vector3f(1, 0, 0), t.BuildMatrix()));
  // Moved first: (1,0,0) -> (2,2,3), then rotated.
  EXPECT_EQ(Vector3f(-2, 2, 3), TransformPoint(Vector3f(1, 0, 0), t.BuildReverseMatrix()));
}

// A transformation with a rotation about all three axes, so transposition errors show.
class TransformationGeneral : public ::testing::Test {
 protected:
  void SetUp() override {
    Matrix3x3 r = Matrix3x3::Identity;
    r.ToXRot(0.3f);
    r.ToYRot(-1.2f);
    r.ToZRot(2.0f);
    t_.Rotate(r);
    t_.Translate(Vector3f(1.5f, -2, 7));
  }

  Transformation t_;
};

TEST_F(TransformationGeneral, BuildersMatchMatrixProducts) {
  const Matrix4x4 r = Extend(t_.rotate);
  const Matrix4x4 rt = Extend(t_.rotate.Transpose());
  const Matrix4x4 t = TranslationMatrix(t_.translate);
  const Matrix4x4 tn = TranslationMatrix(-t_.translate);
  ExpectMatrixNear(Multiply(r, t), t_.BuildMatrix());
  ExpectMatrixNear(Multiply(t, r), t_.BuildReverseMatrix());
  ExpectMatrixNear(Multiply(tn, rt), t_.BuildInvMatrix());
  ExpectMatrixNear(Multiply(rt, tn), t_.BuildReverseInvMatrix());
}

TEST_F(TransformationGeneral, InverseBuildersUndoForward) {
  ExpectMatrixNear(Matrix4x4::Identity, Multiply(t_.BuildMatrix(), t_.BuildInvMatrix()));
  ExpectMatrixNear(Matrix4x4::Identity, Multiply(t_.BuildInvMatrix(), t_.BuildMatrix()));
  ExpectMatrixNear(Matrix4x4::Identity, Multiply(t_.BuildReverseMatrix(), t_.BuildReverseInvMatrix()));
  const Vector3f p(3, -1, 0.25f);
  EXPECT_EQ(p, TransformPoint(TransformPoint(p, t_.BuildMatrix()), t_.BuildInvMatrix()));
}

TEST_F(TransformationGeneral, InvertMatchesReverseInverse) {
  const Matrix4x4 expected = t_.BuildReverseInvMatrix();
  Transformation inv = t_;
  inv.Invert();
  EXPECT_FALSE(inv.IsIdentity());
  ExpectMatrixNear(expected, inv.BuildMatrix());
  inv.Invert();
  ExpectMatrixNear(t_.BuildMatrix(), inv.BuildMatrix());
}

TEST_F(TransformationGeneral, ScaleIsNotUndoneByInverseBuilder) {
  // With scale in rotate, the transposed inverse is only an approximation; callers rely on this shape.
  t_.Rotate(Multiply(t_.rotate, Matrix3x3(2, 0, 0, 0, 2, 0, 0, 0, 2)));
  const Vector3f p(1, 0, 0);
  const Vector3f back = TransformPoint(TransformPoint(p, t_.BuildMatrix()), t_.BuildInvMatrix());
  EXPECT_EQ(Vector3f(4, 0, 0), back);
}

}  // namespace
