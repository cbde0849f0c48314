#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <boost/weak_ptr.hpp>
#include <cmath>
#include <limits>
#include <string>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/light.h"
#include "engine/gfx/sceneInfo.h"
#include "engine/gfx/spatial.h"
#include "support/scratch_dir.h"

using boost::make_shared;
using boost::shared_ptr;
using engine::core::Exception;
using engine::gfx::Camera;
using engine::gfx::CameraRecord;
using engine::gfx::Light;
using engine::gfx::Node;
using engine::gfx::SceneInfo;
using engine::gfx::Spatial;
using engine::gfx::Transformation;
using engine::math::Matrix3x3;
using engine::math::Matrix4x4;
using engine::math::Vector3f;

namespace {

Transformation Translation(float x, float y, float z) {
  Transformation t;
  t.Translate(Vector3f(x, y, z));
  return t;
}

Vector3f Apply(const Vector3f& p, const Matrix4x4& m) { return engine::math::TransformPoint(p, m); }

// A leaf that answers rays at a fixed distance.
class Target : public Spatial {
 public:
  explicit Target(float distance_) : distance(distance_) {}
  void Update(engine::gfx::Renderer*) override {}
  std::pair<float, Spatial*> TraverseRay(const Vector3f&, const Vector3f&) override { return {distance, this}; }

 private:
  float distance;
};

class SceneGraphTest : public ::testing::Test {
 protected:
  void TearDown() override {
    delete SceneInfo::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Logging::mInstance;
  }
  std::string Log() {
    delete engine::core::Logging::mInstance;
    return dir.Read("data/log.html");
  }
  static size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
  }
  testing_support::ScratchDir dir;
};

TEST_F(SceneGraphTest, ChildrenSeeTheirParentsMatricesOnlyAfterAWalk) {
  auto root = make_shared<Node>();
  root->Local(Translation(10, 0, 0));
  auto child = make_shared<Node>(root.get());
  child->Local(Translation(0, 2, 0));
  EXPECT_EQ(root->AddChild(child), 0);

  // A root's world is its local matrix.
  EXPECT_TRUE(Apply(Vector3f(), root->World()) == Vector3f(10, 0, 0));
  // Before the walk the child's cached parent world is still the identity.
  EXPECT_TRUE(Apply(Vector3f(), child->World()) == Vector3f(0, 2, 0));
  root->Update(nullptr);
  EXPECT_TRUE(Apply(Vector3f(), child->World()) == Vector3f(10, 2, 0));
  EXPECT_TRUE(Apply(Vector3f(10, 2, 0), child->WorldInverse()) == Vector3f(0, 0, 0));

  // A change to the parent shows in the child only with the next walk.
  root->Local(Translation(-5, 0, 0));
  EXPECT_TRUE(Apply(Vector3f(), child->World()) == Vector3f(10, 2, 0));
  root->Update(nullptr);
  EXPECT_TRUE(Apply(Vector3f(), child->World()) == Vector3f(-5, 2, 0));
}

TEST_F(SceneGraphTest, OwnTransformationAppliesBeforeTheParents) {
  auto root = make_shared<Node>();
  Transformation turn;
  Matrix3x3 r = Matrix3x3::Identity;
  r.ToZRot(static_cast<float>(M_PI / 2));
  turn.Rotate(r);
  root->Local(turn);
  auto child = make_shared<Node>(root.get());
  child->Local(Translation(1, 0, 0));
  root->AddChild(child);
  root->Update(nullptr);
  // Moved along x first, then turned with the parent: (1, 0, 0) -> (0, 1, 0).
  EXPECT_TRUE(Apply(Vector3f(), child->World()) == Vector3f(0, 1, 0));
}

TEST_F(SceneGraphTest, RaysFindTheNearestChildAndTheFirstWinsTies) {
  Node empty;
  const auto miss = empty.TraverseRay(Vector3f(), Vector3f(0, 0, 1));
  EXPECT_EQ(miss.first, std::numeric_limits<float>::infinity());
  EXPECT_EQ(miss.second, nullptr);

  Node node;
  auto far = make_shared<Target>(5.0f), nearFirst = make_shared<Target>(2.0f), nearSecond = make_shared<Target>(2.0f);
  node.AddChild(far);
  node.AddChild(nearFirst);
  EXPECT_EQ(node.AddChild(nearSecond), 2);
  EXPECT_EQ(node.AddChild(make_shared<Node>()), 3);
  EXPECT_EQ(node.TraverseRay(Vector3f(), Vector3f(0, 0, 1)).second, nearFirst.get());
}

TEST_F(SceneGraphTest, PlainNodesOfferNoCustomDataAndWarnEachTime) {
  Node node;
  EXPECT_EQ(node.GetCustomData(L"SplitPlanes"), std::make_pair(static_cast<void*>(nullptr), 0));
  node.GetCustomData(L"SplitPlanes");
  EXPECT_EQ(Count(Log(), "No custom data available"), 2u);
}

TEST_F(SceneGraphTest, TheFirstCameraToReportStaysCurrent) {
  SceneInfo* info = SceneInfo::Get();
  info->Start();
  auto rig = make_shared<Node>();
  rig->Local(Translation(0, 0, -10));
  auto main = make_shared<Camera>(rig.get(), L"Main");
  auto other = make_shared<Camera>(rig.get(), L"Other");
  rig->AddChild(main);
  rig->AddChild(other);

  rig->Update(nullptr);
  EXPECT_EQ(info->CurrentCameraName(), L"Main");
  EXPECT_EQ(info->CurrentCamera().camera, main.get());
  EXPECT_EQ(info->Cameras().size(), 2u);
  EXPECT_TRUE(info->CurrentCamera().position == Vector3f(0, 0, -10));

  // The current record follows its camera every frame; the other never takes over.
  rig->Local(Translation(3, 0, 0));
  rig->Update(nullptr);
  EXPECT_EQ(info->CurrentCamera().camera, main.get());
  EXPECT_TRUE(info->CurrentCamera().position == Vector3f(3, 0, 0));

  // Only clearing the map lets another camera become current.
  info->Start();
  other->Update(nullptr);
  EXPECT_EQ(info->CurrentCameraName(), L"Other");

  engine::gfx::ActiveCamera active;
  EXPECT_TRUE(Apply(Vector3f(), active.World()) == Vector3f(3, 0, 0));
}

TEST_F(SceneGraphTest, LightsRegisterEachWalkAndTheModuleClearsThem) {
  SceneInfo* info = SceneInfo::Get();
  auto root = make_shared<Node>();
  auto light = make_shared<Light>(root.get());
  root->AddChild(light);
  root->Update(nullptr);
  root->Update(nullptr);
  EXPECT_EQ(info->LightCount(), 2);
  ASSERT_EQ(info->Lights().size(), 2u);
  EXPECT_EQ(info->Lights()[0], light.get());
  info->Update();
  EXPECT_EQ(info->LightCount(), 0);
  EXPECT_TRUE(info->Lights().empty());
}

TEST_F(SceneGraphTest, NodeGroupsWarnOnAddReplaceOnSetAndNameTheGroupOnError) {
  SceneInfo* info = SceneInfo::Get();
  auto first = make_shared<Node>(), second = make_shared<Node>();
  info->AddNode(first, L"Lamp", L"global");
  info->AddNode(second, L"Lamp", L"global");
  EXPECT_EQ(info->GetNode(L"Lamp", L"global"), second);
  info->SetNode(first, L"Sun", L"global");
  info->SetNode(second, L"Sun", L"global");
  EXPECT_EQ(info->GetNode(L"Sun", L"global"), second);

  try {
    info->GetNode(L"Lamp", L"part2");
    FAIL() << "GetNode found a node in the wrong group";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Node Lamp not found in group part2");
  }
  info->DelNode(L"Lamp", L"global");
  info->DelNode(L"Lamp", L"global");
  EXPECT_THROW(info->GetNode(L"Lamp", L"global"), Exception);

  const std::string log = Log();
  EXPECT_EQ(Count(log, "WARNING"), 1u);
  EXPECT_NE(log.find("Node Lamp already exists in group global"), std::string::npos);
}

TEST_F(SceneGraphTest, GroupsKeepTheirNodesAlive) {
  boost::weak_ptr<Node> watch;
  {
    auto node = make_shared<Node>();
    watch = node;
    SceneInfo::Get()->SetNode(node, L"kept", L"global");
  }
  EXPECT_FALSE(watch.expired());
  SceneInfo::Get()->DelNode(L"kept", L"global");
  EXPECT_TRUE(watch.expired());
}

}  // namespace
