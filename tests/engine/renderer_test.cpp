// The renderer's frame: slots, batches, pass order, lazy clears, viewports and
// screenshots, checked through the recording device wrapped around the real one.

#include <algorithm>
#include <boost/filesystem.hpp>

#include "engine/core/input.h"
#include "engine/core/resourceTypes.h"
#include "engine/wrapper.h"
#include "platform/d3d10/recording.h"
#include "platform/program_folders.h"
#include "render_fixture.h"

using engine::core::CWin32Window;
using engine::core::Exception;
using engine::core::ResourceManager;

namespace {

class RendererTest : public enginetest::RenderFixture {
 protected:
  // From here on every device call of the renderer is also written down.
  void Record() {
    CWin32Window* window = CWin32Window::Get();
    real = window->device;
    ASSERT_EQ(S_OK, platform::CreateRecordingDevice(real, &recording));
    ASSERT_EQ(S_OK, recording->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(&log)));
    log->Name(window->renderTargetView, "backbuffer");
    window->device = recording;
  }

  void TearDown() override {
    if (real) CWin32Window::Get()->device = real;
    if (log) log->Release();
    if (recording) recording->Release();
    RenderFixture::TearDown();
  }

  void Name(const boost::shared_ptr<engine::gfx::Mesh>& mesh, const char* name) {
    log->Name(mesh->GetRenderObject()->vertexBuffer, name);
  }

  // The recorded calls whose text starts with one of the prefixes.
  std::vector<std::string> Calls(std::initializer_list<const char*> prefixes) const {
    std::vector<std::string> kept;
    for (const std::string& call : log->Calls()) {
      for (const char* prefix : prefixes) {
        if (call.rfind(prefix, 0) == 0) kept.push_back(call);
      }
    }
    return kept;
  }

  ID3D10Device* real = nullptr;
  ID3D10Device* recording = nullptr;
  ID3D10DeviceRecording* log = nullptr;
};

// Two geometry nodes of one mesh: two render objects with one set of buffers, both drawn,
// and the buffers sent once.
TEST_F(RendererTest, EveryObjectSubmittedForASlotDrawsWithoutResendingSharedBuffers) {
  auto mesh = QuadMesh(L"mesh", Material("one", "flat", "One"));
  Place(mesh);
  Place(mesh);
  Place(mesh);
  Record();
  Name(mesh, "mesh");
  renderer->Update();
  const auto draws = Calls({"IASetVertexBuffers", "IASetIndexBuffer", "DrawIndexed"});
  ASSERT_EQ(draws.size(), 5u) << testing::PrintToString(log->Calls());
  EXPECT_EQ(draws[0].rfind("IASetVertexBuffers(0, 1, [mesh]", 0), 0u) << draws[0];
  EXPECT_EQ(draws[1].rfind("IASetIndexBuffer", 0), 0u) << draws[1];
  for (size_t i = 2; i < 5; ++i) EXPECT_EQ(draws[i], "DrawIndexed(6, 0, 0)");
  EXPECT_EQ(Calls({"OMSetRenderTargets"}).size(), 1u);
}

// The vertex buffers, by the names Name() gave them, in the order they are drawn from.
std::vector<std::string> DrawOrder(const std::vector<std::string>& calls) {
  std::vector<std::string> order;
  std::string buffer = "?";
  for (const std::string& call : calls) {
    if (call.rfind("IASetVertexBuffers", 0) == 0) {
      const size_t open = call.find(", [") + 3;
      buffer = call.substr(open, call.find(']', open) - open);
    } else if (call.rfind("DrawIndexed", 0) == 0) {
      order.push_back(buffer);
    }
  }
  return order;
}

TEST_F(RendererTest, ObjectsSharingAnEffectAllDrawInSubmissionOrder) {
  const std::string material = Material("one", "flat", "One");
  auto first = QuadMesh(L"first", material);
  // The same Effect object, as two meshes that fell back to the wireframe would share.
  auto second = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"),
                                                      first->GetEffect());
  ResourceManager::Get()->AddResource(L"second", second);
  Place(first);
  Place(second);
  Place(first);
  Record();
  Name(first, "first");
  Name(second, "second");
  renderer->Update();
  EXPECT_EQ(DrawOrder(log->Calls()), (std::vector<std::string>{"first", "second", "first"}))
      << testing::PrintToString(log->Calls());
}

// The very same object twice in one frame (the export called twice) draws once; the next
// frame takes it again, and a frame that does not submit it does not draw it.
TEST_F(RendererTest, TheSameObjectSubmittedTwiceInAFrameDrawsOnce) {
  auto mesh = QuadMesh(L"mesh", Material("one", "flat", "One"));
  renderer->Update();  // the first frame sizes the slots
  Record();
  const boost::shared_ptr<engine::gfx::RenderObject> object = mesh->CreateRenderObject();
  const auto draws = [&] {
    const size_t count = Calls({"DrawIndexed"}).size();
    log->ClearCalls();
    return count;
  };
  engine::Render(object);
  engine::Render(object);
  renderer->Update();
  EXPECT_EQ(draws(), 1u);
  renderer->Update();
  EXPECT_EQ(draws(), 0u) << "not submitted in this frame";
  renderer->Submit(object);
  renderer->Submit(object);
  renderer->Update();
  EXPECT_EQ(draws(), 1u);
  // A copy is another object, even when made from one already taken in this frame.
  renderer->Submit(object);
  renderer->Submit(boost::make_shared<engine::gfx::RenderObject>(*object));
  renderer->Update();
  EXPECT_EQ(draws(), 2u);
}

// A frame that fails leaves nothing behind: what it took is drawn in a later frame only
// if submitted again.
TEST_F(RendererTest, SubmissionsOfAFailedFrameDoNotDrawInTheNext) {
  auto mesh = QuadMesh(L"mesh", Material("one", "flat", "One"));
  renderer->Update();
  renderer->SceneNode(boost::shared_ptr<engine::gfx::Node>());
  renderer->Submit(mesh->CreateRenderObject());
  EXPECT_THROW(renderer->Update(), Exception);
  renderer->SceneNode(boost::make_shared<engine::gfx::Node>());
  Record();
  renderer->Update();
  EXPECT_TRUE(Calls({"DrawIndexed"}).empty()) << testing::PrintToString(log->Calls());
}

// Several objects in each of two adjacent slots of one file and technique: one batch, and
// the two-pass technique draws all of them with pass 0 before any with pass 1.
TEST_F(RendererTest, ObjectsOfTwoSlotsInOneBatchDrawPassByPass) {
  const std::string material = Material("two", "flat", "Two");
  auto a = QuadMesh(L"a", material);
  auto b = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"), a->GetEffect());
  ResourceManager::Get()->AddResource(L"b", b);
  auto c = QuadMesh(L"c", material);  // another build: a slot of its own beside a's
  Place(a);
  Place(c);
  Place(b);
  Record();
  Name(a, "A");
  Name(b, "B");
  Name(c, "C");
  renderer->Update();
  EXPECT_EQ(DrawOrder(log->Calls()), (std::vector<std::string>{"A", "B", "C", "A", "B", "C"}))
      << testing::PrintToString(log->Calls());
  EXPECT_EQ(Calls({"OMSetRenderTargets"}).size(), 1u) << "one target binding for the batch";
}

TEST_F(RendererTest, ABatchDrawsEveryObjectWithPassZeroThenWithPassOne) {
  const std::string material = Material("two", "flat", "Two");
  // Three builds of one script: distinct shaders of one file and technique, so their
  // slots are adjacent and form one batch.
  auto a = QuadMesh(L"a", material);
  auto b = QuadMesh(L"b", material);
  auto c = QuadMesh(L"c", material);
  Place(a);
  Place(b);
  Place(c);
  Record();
  Name(a, "A");
  Name(b, "B");
  Name(c, "C");
  renderer->Update();
  EXPECT_EQ(DrawOrder(log->Calls()), (std::vector<std::string>{"A", "B", "C", "A", "B", "C"}))
      << testing::PrintToString(log->Calls());
  EXPECT_EQ(Calls({"OMSetRenderTargets"}).size(), 1u) << "one target binding for the batch";
}

TEST_F(RendererTest, ATargetDrawnByTwoSeparateBatchesIsClearedOnce) {
  dir.Write("data/startup.resources",
            "resources = { { RENDERTARGET, 'rt', 32, 16, FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING } }\n");
  dir.Write("data/rtpriorities.txt", "");
  ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
  // Equal target priorities: the pass priorities interleave the targets rt, back buffer, rt.
  auto into = QuadMesh(L"into", Material("into", "flat", "One", "rendertarget = 'rt', priority = 0"));
  auto onScreen = QuadMesh(L"screen", Material("screen", "flat", "Two", "priority = 1"));
  auto again = QuadMesh(L"again", Material("again", "flat", "One", "rendertarget = 'rt', priority = 2"));
  Place(into);
  Place(onScreen);
  Place(again);
  auto rt = boost::dynamic_pointer_cast<engine::core::resources::RenderTargetTexture>(
      ResourceManager::Get()->GetResource(L"rt"));
  ASSERT_TRUE(rt);
  Record();
  log->Name(rt->RenderTargetView(), "rt");
  auto depth = boost::dynamic_pointer_cast<engine::core::resources::DepthTargetTexture>(
      ResourceManager::Get()->GetResource(L"_depthbuffer"));
  ASSERT_TRUE(depth);
  log->Name(depth->DepthStencilView(), "depthbuffer");
  renderer->Update();
  const auto clears = Calls({"ClearRenderTargetView"});
  EXPECT_EQ(std::count_if(clears.begin(), clears.end(),
                          [](const std::string& call) { return call.find("(rt,") != std::string::npos; }),
            1)
      << testing::PrintToString(clears);
  EXPECT_EQ(Calls({"OMSetRenderTargets"}),
            (std::vector<std::string>{"OMSetRenderTargets(1, [rt], depthbuffer)",
                                      "OMSetRenderTargets(1, [backbuffer], depthbuffer)",
                                      "OMSetRenderTargets(1, [rt], depthbuffer)"}))
      << testing::PrintToString(log->Calls());
}

TEST_F(RendererTest, ADepthOnlyPassTakesTheDepthTargetsViewport) {
  dir.Write("data/startup.resources",
            "resources = { { DEPTHTARGET, 'shadow', 256, 128, true, FMT_R32_TYPELESS, NO_MULTISAMPLING } }\n");
  ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
  auto caster = QuadMesh(L"caster", Material("caster", "flat", "Depth", "rendertarget = 'null', depthtarget = 'shadow'"));
  Place(caster);
  auto shadow = boost::dynamic_pointer_cast<engine::core::resources::DepthTargetTexture>(
      ResourceManager::Get()->GetResource(L"shadow"));
  ASSERT_TRUE(shadow);
  Record();
  log->Name(shadow->DepthStencilView(), "shadow");
  renderer->Update();
  EXPECT_EQ(Calls({"RSSetViewports", "OMSetRenderTargets", "ClearDepthStencilView"}),
            (std::vector<std::string>{"ClearDepthStencilView(shadow, 1, 1, 0)",
                                      "RSSetViewports(1, [(0, 0, 256, 128, 0, 1)])",
                                      "OMSetRenderTargets(0, [], shadow)"}))
      << testing::PrintToString(log->Calls());
}

TEST_F(RendererTest, AFrameWithNothingSubmittedIsStillClearedAndPresented) {
  float blue[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) CWin32Window::Get()->clearColor[i] = blue[i];
  Record();
  renderer->Update();
  EXPECT_EQ(Calls({"ClearRenderTargetView", "DrawIndexed"}),
            (std::vector<std::string>{"ClearRenderTargetView(backbuffer, (0, 0, 1, 1))"}));
}

TEST_F(RendererTest, APassWithNoTargetAtAllIsRefusedEvenFirst) {
  auto nowhere = QuadMesh(L"nowhere", Material("nowhere", "flat", "One", "rendertarget = 'null', depthtarget = 'null'"));
  Place(nowhere);
  try {
    renderer->Update();
    ADD_FAILURE() << "a pass with no target must not draw";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"No render or depth target to bind?!");
  }
}

TEST_F(RendererTest, ScreenshotsTakeTheFirstFreeNumbers) {
  boost::filesystem::create_directory(dir.Path("screenshots"));
  dir.Write("screenshots/screenshot0.png", "taken");
  dir.Write("screenshots/screenshot2.png", "taken");
  engine::core::Input* input = engine::core::Input::Get();
  for (int shot = 0; shot < 2; ++shot) {
    input->previousKeys[0x7A] = true;  // F11 went up in this pass
    input->keys[0x7A] = false;
    renderer->Update();
  }
  EXPECT_TRUE(dir.Exists("screenshots/screenshot1.png"));
  EXPECT_TRUE(dir.Exists("screenshots/screenshot3.png"));
  EXPECT_EQ(dir.Read("screenshots/screenshot0.png"), "taken");
  const auto rows = Rows();
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Saved screenshot to screenshots/screenshot3.png"), rows.end());
}

// An installed program works from its data root (share/NAME), which its user cannot
// write: F11 saves into the folder the program was started from, here home/.
TEST_F(RendererTest, ScreenshotsGoToTheFolderTheProgramWasStartedFrom) {
  boost::filesystem::create_directories(dir.Path("home"));
  boost::filesystem::current_path(dir.Path("home"));
  struct MovedBack {
    std::string home, root;
    ~MovedBack() {
      platform::WorkFrom(home);
      boost::filesystem::current_path(root);
    }
  } movedBack{dir.Path("home"), dir.Path("")};
  platform::WorkFrom(dir.Path(""));
  engine::core::Input* input = engine::core::Input::Get();
  input->previousKeys[0x7A] = true;
  input->keys[0x7A] = false;
  renderer->Update();
  EXPECT_TRUE(dir.Exists("home/screenshots/screenshot0.png"));
  EXPECT_FALSE(dir.Exists("screenshots"));
  const std::string saved = "Saved screenshot to " + dir.Path("home/screenshots/screenshot0.png");
  const auto rows = Rows();
  EXPECT_NE(std::find(rows.begin(), rows.end(), saved), rows.end()) << testing::PrintToString(rows);
}

// A plain file named "screenshots" in the way: the save fails with the engine's own
// error, which the main loop reports and plays on after; the next frame draws as usual.
TEST_F(RendererTest, AScreenshotFolderThatCannotBeMadeIsAnErrorTheRunSurvives) {
  dir.Write("screenshots", "a file, not a folder");
  engine::core::Input* input = engine::core::Input::Get();
  input->previousKeys[0x7A] = true;
  input->keys[0x7A] = false;
  try {
    renderer->Update();
    ADD_FAILURE() << "the screenshot cannot have been saved";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Failed to save a screenshot to screenshots/screenshot0.png");
  }
  input->previousKeys[0x7A] = false;
  EXPECT_NO_THROW(renderer->Update());
  EXPECT_EQ(dir.Read("screenshots"), "a file, not a folder");
}

TEST_F(RendererTest, AMissingSceneNodeIsAnError) {
  renderer->SceneNode(boost::shared_ptr<engine::gfx::Node>());
  try {
    renderer->Update();
    ADD_FAILURE() << "no scene node";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Scene root node is null");
  }
}

}  // namespace
