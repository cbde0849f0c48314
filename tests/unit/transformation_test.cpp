#include <gtest/gtest.h>

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
using engine::math::Vector4f;

constexpr float kPi = 3.14159265358979f;

// Compared through the three columns and the translation row, which cover all 16 elements.
void ExpectMatrixNear(const Matrix4x4& expected, const Matrix4x4& actual) {
  const Matrix4x4 e = expected.Transpose(), a = actual.Transpose();
  EXPECT_EQ(e.GetTranslation4f(), a.GetTranslation4f()) << "column 3";
  EXPECT_EQ(expected.GetTranslation4f(), actual.GetTranslation4f()) << "row 3";
  EXPECT_EQ(expected.GetRotation().GetVectorX(), actual.GetRotation().GetVectorX());
  EXPECT_EQ(expected.GetRotation().GetVectorY(), actual.GetRotation().GetVectorY());
  EXPECT_EQ(expected.GetRotation().GetVectorZ(), actual.GetRotation().GetVectorZ());
}

Matrix4x4 Affine(const Matrix3x3& r, const Vector3f& t) {
  Matrix4x4 m = Matrix4x4::Identity;
  m.SetRotation(r);
  m.SetTranslation(t);
  return m;
}

void ExpectAllBuildersIdentity(const Transformation& t) {
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildReverseMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildInvMatrix());
  ExpectMatrixNear(Matrix4x4::Identity, t.BuildReverseInvMatrix());
}

TEST(TransformationIdentity, DefaultIsIdentityAndFlagIsTrustedOverFields) {
  Transformation t;
  EXPECT_TRUE(t.IsIdentity());
  ExpectAllBuildersIdentity(t);
  // Fields written behind the flag's back are ignored by the builders and by Invert.
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

  t.Rotate(Matrix3x3(0, 1, 0, -1, 0, 0, 0, 0, 1));
  t.Translate(Vector3f(4, 5, 6));
  t.Identity();
  EXPECT_TRUE(t.IsIdentity());
  EXPECT_EQ(Vector3f(0, 0, 0), t.Translate());
  EXPECT_EQ(Vector3f(1, 0, 0), t.Rotate().GetVectorX());
}

TEST(TransformationBuild, QuarterTurnThenTranslate) {
  Matrix3x3 r = Matrix3x3::Identity;
  r.ToZRot(kPi / 2);
  Transformation t;
  t.Rotate(r);
  t.Translate(Vector3f(1, 2, 3));
  // Rotated then moved: (1,0,0) -> (0,1,0) -> (1,3,3). Moved then rotated: (2,2,3) -> (-2,2,3).
  EXPECT_EQ(Vector3f(1, 3, 3), TransformPoint(Vector3f(1, 0, 0), t.BuildMatrix()));
  EXPECT_EQ(Vector3f(-2, 2, 3), TransformPoint(Vector3f(1, 0, 0), t.BuildReverseMatrix()));
}

// Rotation about all three axes, so transposition mistakes show.
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
  const Matrix4x4 r = Affine(t_.rotate, Vector3f());
  const Matrix4x4 rt = Affine(t_.rotate.Transpose(), Vector3f());
  const Matrix4x4 t = Affine(Matrix3x3::Identity, t_.translate);
  const Matrix4x4 tn = Affine(Matrix3x3::Identity, -t_.translate);
  ExpectMatrixNear(Multiply(r, t), t_.BuildMatrix());
  ExpectMatrixNear(Multiply(t, r), t_.BuildReverseMatrix());
  ExpectMatrixNear(Multiply(tn, rt), t_.BuildInvMatrix());
  ExpectMatrixNear(Multiply(rt, tn), t_.BuildReverseInvMatrix());
}

TEST_F(TransformationGeneral, InverseBuildersUndoForwardOnes) {
  ExpectMatrixNear(Matrix4x4::Identity, Multiply(t_.BuildInvMatrix(), t_.BuildMatrix()));
  ExpectMatrixNear(Matrix4x4::Identity, Multiply(t_.BuildReverseMatrix(), t_.BuildReverseInvMatrix()));
}

TEST_F(TransformationGeneral, InvertMatchesReverseInverse) {
  const Matrix4x4 expected = t_.BuildReverseInvMatrix();
  Transformation inv = t_;
  inv.Invert();
  EXPECT_FALSE(inv.IsIdentity());
  ExpectMatrixNear(expected, inv.BuildMatrix());
}

TEST_F(TransformationGeneral, ScaleIsNotUndoneByInverseBuilder) {
  // The transpose stands in for the inverse, so a uniform scale of 2 comes back squared.
  t_.Rotate(Multiply(t_.rotate, Matrix3x3(2, 0, 0, 0, 2, 0, 0, 0, 2)));
  const Vector3f back = TransformPoint(TransformPoint(Vector3f(1, 0, 0), t_.BuildMatrix()), t_.BuildInvMatrix());
  EXPECT_EQ(Vector3f(4, 0, 0), back);
}

}  // namespace
