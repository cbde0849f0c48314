// The shadow-casting light's cascades and custom data, the matrices a geometry node
// hands the renderer, and what a camera reports to the scene.

#include <boost/make_shared.hpp>
#include <cmath>

#include "engine/gfx/camera.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/light.h"
#include "engine/gfx/renderObject.h"
#include "engine_fixture.h"

using engine::core::ResourceManager;
using engine::core::Timer;
using engine::gfx::Camera;
using engine::gfx::Geometry;
using engine::gfx::Light;
using engine::gfx::Mesh;
using engine::gfx::Node;
using engine::gfx::SceneInfo;
using engine::gfx::Transformation;
using engine::math::Matrix3x3;
using engine::math::Matrix4x4;
using engine::math::Vector3f;

namespace {

// A quarter turn about z, then the translation.
Transformation Placed(const Vector3f& at) {
  Transformation t;
  t.Rotate(Matrix3x3(0, 1, 0, -1, 0, 0, 0, 0, 1));
  t.Translate(at);
  return t;
}

void ExpectNear(const Matrix4x4& actual, const Matrix4x4& expected) {
  const float* a = &actual.m00;
  const float* e = &expected.m00;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], e[i], 1e-5f) << "element " << i;
}

class LightGeometryTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 48));
  }

  size_t RowCount(const std::string& text) {
    const auto rows = Rows();
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), text));
  }
};

TEST_F(LightGeometryTest, CascadesSplitTheRangeBetweenLogarithmicAndEven) {
  Light light(nullptr);
  ASSERT_FLOAT_EQ(engine::core::CWin32Window::Get()->nearPlane, 0.5f);
  ASSERT_FLOAT_EQ(light.far, 90.0f);
  light.ComputeSplits();
  EXPECT_FLOAT_EQ(light.nearDistance, 0.5f);
  EXPECT_NEAR(light.splitDistances[0], 0.5f, 1e-4f);
  EXPECT_NEAR(light.splitDistances[1], 16.578f, 1e-3f);
  EXPECT_NEAR(light.splitDistances[2], 38.053f, 1e-3f);
  EXPECT_NEAR(light.splitDistances[3], 90.0f, 1e-3f);
  for (const Matrix4x4& projection : light.splitProjections) {
    const float* m = &projection.m00;
    for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(m[i])) << "element " << i;
  }
}

TEST_F(LightGeometryTest, SplitProjectionsAreComputedOncePerFrame) {
  Light light(nullptr);
  Timer::Get()->frameCount = 7;
  const auto first = light.GetCustomData(L"SplitProjection");
  EXPECT_EQ(first.first, static_cast<void*>(light.splitProjections));
  EXPECT_EQ(first.second, 192);
  EXPECT_EQ(light.lastFrame, 7);

  // Changed within the frame: the second request still sees the first computation.
  light.far = 50.0f;
  light.GetCustomData(L"SplitProjection");
  EXPECT_NEAR(light.splitDistances[3], 90.0f, 1e-3f);

  Timer::Get()->frameCount = 8;
  light.GetCustomData(L"SplitProjection");
  EXPECT_EQ(light.lastFrame, 8);
  EXPECT_NEAR(light.splitDistances[3], 50.0f, 1e-3f);
}

// Paused, the frame count holds while a seek moves the clock, and with it the camera:
// the cascades must follow the seek, not wait for playback to resume.
TEST_F(LightGeometryTest, ASeekWithinAFrameRecomputesTheCascades) {
  Light light(nullptr);
  Timer::Get()->frameCount = 7;
  Timer::Get()->time = 10.0;
  light.GetCustomData(L"SplitProjection");
  light.far = 50.0f;
  Timer::Get()->time = 15.0;
  light.GetCustomData(L"SplitProjection");
  EXPECT_NEAR(light.splitDistances[3], 50.0f, 1e-3f);
  EXPECT_EQ(light.lastFrame, 7);
}

TEST_F(LightGeometryTest, SplitPlanesAreTheFarEndsAndOtherSemanticsAreRefused) {
  Light light(nullptr);
  const auto planes = light.GetCustomData(L"SplitPlanes");
  EXPECT_EQ(planes.first, static_cast<void*>(&light.splitDistances[1]));
  EXPECT_EQ(planes.second, 12);
  EXPECT_EQ(light.lastFrame, -1) << "reading the planes computes nothing";

  const auto unknown = light.GetCustomData(L"Foo");
  EXPECT_EQ(unknown.first, nullptr);
  EXPECT_EQ(unknown.second, 0);
  EXPECT_EQ(RowCount("Unsupported custom data semantic Foo requested from light"), 1u);
}

TEST_F(LightGeometryTest, AGeometryCarriesLastFramesWorldAndTheTransposedInverse) {
  auto mesh = ResourceManager::Get()->GetOrCreateResource<Mesh>(L"data/quad.nbl");
  ASSERT_TRUE(mesh);
  auto parent = boost::make_shared<Node>();
  parent->Local(Placed(Vector3f(1, 2, 3)));
  auto geometry = boost::make_shared<Geometry>(mesh, parent.get());
  parent->AddChild(geometry);

  const Matrix4x4 first = parent->World();
  auto a = geometry->BuildRenderObject();
  ExpectNear(a->world, first);
  ExpectNear(a->previousWorld, first);  // nothing earlier to carry
  EXPECT_EQ(a->vertexBuffer, mesh->GetRenderObject()->vertexBuffer);

  // A walk without a render list builds nothing, so it does not advance the history.
  parent->Local(Placed(Vector3f(-4, 5, 0.5f)));
  geometry->Update(nullptr);
  const Matrix4x4 second = parent->World();
  auto b = geometry->BuildRenderObject();
  ExpectNear(b->world, second);
  ExpectNear(b->previousWorld, first);
  ExpectNear(engine::math::Multiply(b->world, b->worldInverse.Transpose()), Matrix4x4::Identity);
  EXPECT_NEAR(b->worldInverse.m30, 0.0f, 1e-6f) << "the translation sits in the last column once transposed";
  EXPECT_NE(a, b);
}

TEST_F(LightGeometryTest, ACameraReportsTheTranslationOfItsWorld) {
  auto parent = boost::make_shared<Node>();
  parent->Local(Placed(Vector3f(4, 5, 6)));
  auto camera = boost::make_shared<Camera>(parent.get(), L"cam");
  parent->AddChild(camera);
  camera->Update(nullptr);

  const auto& record = SceneInfo::Get()->CurrentCamera();
  EXPECT_EQ(record.camera, camera.get());
  EXPECT_EQ(SceneInfo::Get()->CurrentCameraName(), L"cam");
  const Matrix4x4 world = camera->World();
  EXPECT_FLOAT_EQ(record.position.x, world.m30);
  EXPECT_FLOAT_EQ(record.position.y, world.m31);
  EXPECT_FLOAT_EQ(record.position.z, world.m32);
  EXPECT_FLOAT_EQ(record.position.x, 4.0f);
  EXPECT_FLOAT_EQ(record.position.z, 6.0f);
  ExpectNear(engine::math::Multiply(world, camera->WorldInverse()), Matrix4x4::Identity);
}

}  // namespace
