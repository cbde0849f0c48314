// The overlay's panels through ImGui's own input, without a window: a click on the
// timeline's bands seeks to the part under the cursor and a right-button drag loops its
// range; an edit of a material's parameter reaches its shader and "Save" writes it into
// the material file, the rest of the file kept.

#include <imgui.h>
#include <imgui_internal.h>

#include <boost/shared_ptr.hpp>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/Shader.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/material.h"
#include "authoring/curvesPanel.h"
#include "authoring/devPlayer.h"
#include "authoring/materialsPanel.h"
#include "authoring/timelinePanel.h"
#include "game/fiveParts.h"
#include "tools/demo/sceneDescription.h"
#include "tools/nbl/nblWriter.h"

namespace {

// An ImGui context for the test's frames, the size of a 1280 x 720 window.
class ImGuiFrames {
 public:
  ImGuiFrames() {
    context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(1280, 720);
    io.DeltaTime = 1.0f / 60.0f;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  }
  ~ImGuiFrames() { ImGui::DestroyContext(context); }

 private:
  ImGuiContext* context;
};

class TimelinePanelTest : public FivePartsTest {
 protected:
  void Frame(DevPlayer& player) {
    ImGui::NewFrame();
    panel.Draw(scene, player);
    ImGui::Render();
  }
  ImVec2 At(double seconds, double total) const {
    return ImVec2(panel.BandsLeft() + static_cast<float>(seconds / total) * panel.BandsWidth(),
                  panel.BandsTop() + panel.BandsHeight() / 2);
  }

  ImGuiFrames frames;
  TimelinePanel panel;
};

TEST_F(TimelinePanelTest, AClickSeeksToThePartUnderTheCursorAndARightDragLoops) {
  WriteFiveParts(dir.Path(""), {100, 200, 300, 400, 500});
  scene.LoadParts();
  AuthoringSwitches switches;
  switches.dev = true;
  DevPlayer player(&scene, switches);
  // A new window is laid out over its first frames before it takes clicks.
  for (int k = 0; k < 3; ++k) Frame(player);
  ASSERT_GT(panel.BandsWidth(), 100.0f);
  const double total = player.MusicSeconds();
  ImGuiIO& io = ImGui::GetIO();

  // City runs from 12 s to 24 s.
  io.MousePos = At(18.0, total);
  io.MouseDown[0] = true;
  Frame(player);
  io.MouseDown[0] = false;
  Frame(player);
  EXPECT_EQ(scene.CurrentPartIndex(), 2);
  EXPECT_NEAR(engine::core::Timer::Get()->time, 18.0, total / panel.BandsWidth() + 0.05);

  io.MousePos = At(30.0, total);
  io.MouseDown[1] = true;
  Frame(player);
  io.MousePos = At(36.0, total);
  Frame(player);
  io.MouseDown[1] = false;
  Frame(player);
  ASSERT_TRUE(player.Looping());
  EXPECT_NEAR(player.LoopStart(), 30.0, total / panel.BandsWidth() + 0.05);
  EXPECT_NEAR(player.LoopEnd(), 36.0, total / panel.BandsWidth() + 0.05);
  EXPECT_EQ(scene.CurrentPartIndex(), 3) << "setting a loop elsewhere goes there";
}

class MaterialsPanelTest : public enginetest::EngineFixture {
 protected:
  // A mesh data/m.nbl drawn with `material`, over an effect whose float parameters are
  // `floats`.
  boost::shared_ptr<engine::gfx::Mesh> MeshWith(const std::vector<std::string>& floats, const std::string& material) {
    std::string effect = "float4x4 World : World;\n";
    std::string sum = "0";
    for (const std::string& name : floats) {
      effect += "float " + name + ";\n";
      sum += " + " + name;
    }
    effect += "float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }\n";
    effect += "float4 PS() : SV_Target { return float4(" + sum + ", 0, 0, 1); }\n";
    effect += "technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); "
              "SetPixelShader(CompileShader(ps_4_0, PS())); } }\n";
    dir.Write("data/fx/f.fx", effect);
    dir.Write("data/m.nbl", nbl::Writer().Positions({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).Indices({0, 1, 2}).End().Bytes());
    dir.Write("data/m.nbl.efx", material);
    return engine::core::ResourceManager::Get()->GetOrCreateResource<engine::gfx::Mesh>(L"data/m.nbl");
  }
};

TEST_F(MaterialsPanelTest, AnEditReachesTheShaderAndSaveWritesTheMaterialFile) {
  OpenWindow(Settings(64, 64));
  if (IsSkipped() || HasFatalFailure()) return;
  dir.Write("data/fx/m.fx", R"(
float4x4 World : World;
float4 Tint;
float Glow;
float4 Shade;
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 PS() : SV_Target { return Tint * Glow + Shade; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
)");
  // The material gives values of the template's parameters, as materials do.
  dir.Write("data/t.tpl", "template = {pass = {{fx = 'm', tec = 'T', params = {{'Tint', 'float4', {1, 1, 1, 1}}, "
                          "{'Glow', 'float', 1}, {'Shade', 'float4', {0, 0, 0, 0}}}, streams = {{'pos', 'POSITION'}}}}}\n");
  dir.Write("data/m.nbl", nbl::Writer().Positions({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}).Indices({0, 1, 2}).End().Bytes());
  const std::string material =
      "-- the mark\n"
      "effect = {{template = 't.tpl', params = {{'Tint', 'float4', {1, 0, 0, 1}},\n"
      "                                      {'Glow', 'float', 0.5}}}}  -- kept\n";
  dir.Write("data/m.nbl.efx", material);
  const auto mesh = engine::core::ResourceManager::Get()->GetOrCreateResource<engine::gfx::Mesh>(L"data/m.nbl");
  ASSERT_TRUE(mesh && mesh->GetEffect());

  EXPECT_TRUE(MaterialsPanel::Edit(*mesh, "Tint", {0, 1, 0.5f, 1}));
  EXPECT_TRUE(MaterialsPanel::Edit(*mesh, "Shade", {0.25f, 0, 0, 0}));
  EXPECT_FALSE(MaterialsPanel::Edit(*mesh, "Tint", {1, 1, 1})) << "a float3 for a float4";
  EXPECT_FALSE(MaterialsPanel::Edit(*mesh, "Missing", {1}));
  // What the next draw writes into the effect.
  engine::gfx::Shader& shader = *mesh->GetEffect()->GetShader(0);
  shader.ApplyParameters(shader.Pass());
  const auto& float4s = shader.BoundVariables(engine::gfx::ShaderParameters::FLOAT4);
  ASSERT_FALSE(float4s.empty());
  float tint[4] = {};
  ID3D10EffectVectorVariable* tintVariable = nullptr;
  for (size_t k = 0; k < float4s.size(); ++k) {
    if (shader.Pass().parameters.float4s[k].name == "Tint") tintVariable = float4s[k]->AsVector();
  }
  ASSERT_TRUE(tintVariable);
  ASSERT_TRUE(SUCCEEDED(tintVariable->GetFloatVector(tint)));
  EXPECT_EQ(std::vector<float>(tint, tint + 4), (std::vector<float>{0, 1, 0.5f, 1}));

  std::vector<std::string> notes;
  std::string error;
  ASSERT_TRUE(MaterialsPanel::Save(*mesh, "data/m.nbl.efx", {{"Tint", "float4"}, {"Shade", "float4"}}, &notes, &error))
      << error;
  EXPECT_EQ(notes, std::vector<std::string>{"Shade comes from a template, not saved"});
  EXPECT_EQ(dir.Read("data/m.nbl.efx"),
            "-- the mark\n"
            "effect = {{template = 't.tpl', params = {{'Tint', 'float4', {0, 1, 0.5, 1}},\n"
            "                                      {'Glow', 'float', 0.5}}}}  -- kept\n");
  EXPECT_EQ(dir.Read("data/t.tpl").find("0.25"), std::string::npos) << "templates are never written";
}

TEST_F(MaterialsPanelTest, AnEditOfANameTwoPassesHaveIsSavedInBoth) {
  OpenWindow(Settings(64, 64));
  if (IsSkipped() || HasFatalFailure()) return;
  // Each pass gives Glow a value of its own, in an entry of its own.
  const std::string pass = "{fx = 'f', tec = 'T', streams = {{'pos', 'POSITION'}}, params = {{'Glow', 'float', ";
  const auto mesh = MeshWith({"Glow"}, "effect = {{pass = {\n  " + pass + "0.5}}},\n  " + pass + "2}}}}}}\n");
  ASSERT_TRUE(mesh && mesh->GetEffect() && mesh->GetEffect()->GetShaderCount() == 2);

  ASSERT_TRUE(MaterialsPanel::Edit(*mesh, "Glow", {1.5f}));
  std::vector<std::string> notes;
  std::string error;
  ASSERT_TRUE(MaterialsPanel::Save(*mesh, "data/m.nbl.efx", {{"Glow", "float"}}, &notes, &error)) << error;
  EXPECT_TRUE(notes.empty());
  // What the passes draw with after a reload is what the panel showed.
  EXPECT_EQ(dir.Read("data/m.nbl.efx"), "effect = {{pass = {\n  " + pass + "1.5}}},\n  " + pass + "1.5}}}}}}\n");
  for (const auto& alternative : engine::gfx::ParseMaterial("data/m.nbl.efx")) {
    for (const auto& described : alternative.passes) EXPECT_EQ(described.parameters.bit32s.at(0).value->f, 1.5f);
  }
}

// The material the program reads is a copy the build made: the save goes to the source
// (which the next build copies again) and then to the copy (which the program reads now).
TEST_F(MaterialsPanelTest, SaveWritesTheSourceTheBuildCopiedTheMaterialFromThenTheCopy) {
  OpenWindow(Settings(64, 64));
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string material = "effect = {{pass = {{fx = 'f', tec = 'T', streams = {{'pos', 'POSITION'}}, "
                               "params = {{'Glow', 'float', 0.5}}}}}}\n";
  const auto mesh = MeshWith({"Glow"}, material);
  ASSERT_TRUE(mesh && mesh->GetEffect());
  dir.Write("content/m.nbl.efx", material);
  dir.Write("data/origins.txt", "m.nbl.efx\t" + dir.Path("content/m.nbl.efx") + "\n");

  ASSERT_TRUE(MaterialsPanel::Edit(*mesh, "Glow", {0.75f}));
  std::vector<std::string> notes;
  std::string error;
  ASSERT_TRUE(MaterialsPanel::Save(*mesh, "data/m.nbl.efx", {{"Glow", "float"}}, &notes, &error)) << error;
  const std::string saved = "effect = {{pass = {{fx = 'f', tec = 'T', streams = {{'pos', 'POSITION'}}, "
                            "params = {{'Glow', 'float', 0.75}}}}}}\n";
  EXPECT_EQ(dir.Read("content/m.nbl.efx"), saved);
  EXPECT_EQ(dir.Read("data/m.nbl.efx"), saved);
}

TEST_F(MaterialsPanelTest, LongNamesAreCutToThePanelAndShownWholeOnHover) {
  OpenWindow(Settings(64, 64));
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string parameter = "TheIntensityOfTheGlowAroundTheEdgesOfTheBlockInTheSecondHalf";
  const auto mesh = MeshWith({parameter, "Glow"},
                             "effect = {{pass = {{fx = 'f', tec = 'T', streams = {{'pos', 'POSITION'}}, params = {{'" +
                                 parameter + "', 'float', 1}, {'Glow', 'float', 1}}}}}}\n");
  ASSERT_TRUE(mesh && mesh->GetEffect());
  ImGuiFrames frames;
  MaterialsPanel panel;
  const std::vector<MaterialsPanel::NamedMesh> meshes = {
      {mesh.get(), "data/a_part_with_a_long_name.demo_scene/an_object_whose_name_runs_on_and_on.nbl"}};
  const auto frame = [&] {
    ImGui::NewFrame();
    panel.Draw(meshes);
    ImGui::Render();
  };
  for (int k = 0; k < 3; ++k) frame();
  ImGuiWindow* window = ImGui::FindWindowByName("Materials");
  ASSERT_TRUE(window);
  // Nothing reaches past the panel's right edge, where the window would clip it unseen.
  EXPECT_LE(window->DC.CursorMaxPos.x, window->ContentRegionRect.Max.x + 0.5f);
  EXPECT_LE(window->Pos.x + window->Size.x, ImGui::GetIO().DisplaySize.x);

  // The object's name, cut, is whole in the tooltip over it.
  ImGui::GetIO().MousePos = ImVec2(window->ContentRegionRect.Min.x + 60, window->ContentRegionRect.Min.y + 6);
  for (int k = 0; k < 2; ++k) frame();
  ImGuiWindow* tooltip = ImGui::FindWindowByName("##Tooltip_00");
  ASSERT_TRUE(tooltip && tooltip->Active) << "no tooltip over the cut name";

  ImGui::NewFrame();
  const std::string cut = FitToWidth(parameter, 100);
  EXPECT_LE(ImGui::CalcTextSize(cut.c_str()).x, 100);
  EXPECT_EQ(cut.substr(cut.size() - 3), "...");
  EXPECT_EQ(parameter.compare(0, cut.size() - 3, cut, 0, cut.size() - 3), 0) << cut;
  EXPECT_EQ(FitToWidth("Glow", 100), "Glow");
  ImGui::Render();
}

class CurvesPanelTest : public FivePartsTest {
 protected:
  void Frame() {
    ImGui::NewFrame();
    panel.Draw(scene);
    ImGui::Render();
  }
  // The panel starts folded: opened, and laid out over a few frames before it takes
  // clicks.
  void Unfold() {
    Frame();
    EXPECT_FALSE(panel.Edit()) << "folded, it builds nothing";
    ImGui::SetWindowCollapsed("Curves", false);
    for (int k = 0; k < 3; ++k) Frame();
  }
  // The left button pressed at `from` and let go at `to` (a click where they are one),
  // through ImGui's input, a frame for each step.
  void Drag(ImVec2 from, ImVec2 to) {
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = from;
    Frame();
    io.MouseDown[0] = true;
    Frame();
    io.MousePos = to;
    Frame();
    io.MouseDown[0] = false;
    Frame();
  }
  // The live track of `object`'s curve `channel` in the part on screen.
  const engine::gfx::AnimationTrack* Track(const std::string& object, int channel) {
    auto* node = dynamic_cast<engine::gfx::AnimationNode*>(scene.CurrentPart()->Nodes().at(object).get());
    for (const auto& pipe : node->Controller()->Pipes()) {
      if (pipe->Channel() == channel) return pipe->Track();
    }
    return nullptr;
  }

  ImGuiFrames frames;
  CurvesPanel panel{"content/scenes"};
};

TEST_F(CurvesPanelTest, AKeyDraggedOntoTheNextBeatLandsOnThatBeatsFrameAndCtrlZTakesItBack) {
  WriteFiveParts(dir.Path(""), {100, 200, 300, 400, 500});
  scene.LoadParts();
  Unfold();
  ASSERT_TRUE(panel.Edit());
  ASSERT_EQ(panel.Edit()->Object(), "Mover");
  ASSERT_EQ(panel.Edit()->Curves().at(0).channel, "LocX");
  ImGuiIO& io = ImGui::GetIO();

  // A click on the first key off its centre, without a move, leaves it as it was.
  const ImVec2 key(panel.KeyX(0, 0), panel.KeyY(0, 0));
  io.MousePos = ImVec2(key.x + 2, key.y - 2);
  Frame();
  io.MouseDown[0] = true;
  Frame();
  io.MouseDown[0] = false;
  Frame();
  EXPECT_FALSE(panel.Edit()->Edited());
  EXPECT_FALSE(panel.Edit()->CanUndo());

  // Taken and dropped two frames past the next beat (13).
  ASSERT_GT(panel.FrameX(15.0f) - panel.FrameX(13.0f), 3.0f) << "frames too narrow to aim at";
  Drag(key, ImVec2(panel.FrameX(15.0f), key.y));
  EXPECT_EQ(panel.Edit()->Curves()[0].keys[0].point.time, 13.0f);
  EXPECT_EQ(Track("Mover", engine::gfx::ChannelLocX)->Keys()[0].time, 13.0f) << "the part plays the edit";

  io.KeyMap[ImGuiKey_Z] = 'Z';
  io.KeyCtrl = true;
  io.KeysDown['Z'] = true;
  Frame();
  io.KeysDown['Z'] = false;
  io.KeyCtrl = false;
  Frame();
  EXPECT_EQ(panel.Edit()->Curves()[0].keys[0].point.time, 1.0f);
  EXPECT_EQ(Track("Mover", engine::gfx::ChannelLocX)->Keys()[0].time, 1.0f);
  EXPECT_FALSE(panel.Edit()->CanUndo());
}

// Through ImGui's own input, as the overlay is used: a key dragged onto the next beat, then
// Save, rewrites only that key in the part's description, and demowrite's reading of the
// description has the key there.
TEST_F(CurvesPanelTest, SaveRewritesOnlyTheDraggedKeyInTheDescriptionAndDemowriteReadsIt) {
  WriteFiveParts(dir.Path(""), {100, 200, 300, 400, 500});
  const std::string description =
      "-- the intro, by hand\n"
      "length = 100\n"
      "objects = {\n"
      "  {\"Lamp\", \"Lamp\"},\n"
      "  {\"Empty\", \"Mover\", curves = {\n"
      "    {\"LocX\", {1, 0}, {50, 2 * 2}, {100, 1}, interpolation = \"Linear\"}}},  -- kept\n"
      "}\n";
  dir.Write("content/scenes/intro.scene.lua", description);
  ASSERT_TRUE(demo::WriteDemoFile("data/intro.demo", demo::ReadSceneDescription("content/scenes/intro.scene.lua")));
  scene.LoadParts();
  Unfold();
  ASSERT_TRUE(panel.Edit());
  ASSERT_EQ(panel.Edit()->Curves().at(0).channel, "LocX");

  const ImVec2 key(panel.KeyX(0, 0), panel.KeyY(0, 0));
  Drag(key, ImVec2(panel.FrameX(15.0f), key.y));
  ASSERT_EQ(panel.Edit()->Curves()[0].keys[0].point.time, 13.0f);
  const ImVec2 save(panel.SaveX(), panel.SaveY());
  Drag(save, save);
  EXPECT_EQ(panel.Status(), "saved content/scenes/intro.scene.lua");
  std::string expected = description;
  expected.replace(expected.find("{1, 0}"), 6, "{13, 0}");
  EXPECT_EQ(dir.Read("content/scenes/intro.scene.lua"), expected);
  EXPECT_FALSE(panel.Edit()->CanUndo()) << "a saved edit is no longer undone";

  const engine::gfx::DemoFile file = demo::ReadSceneDescription("content/scenes/intro.scene.lua");
  ASSERT_EQ(file.objects.size(), 2u);
  ASSERT_EQ(file.objects[1].curves.size(), 1u);
  EXPECT_EQ(file.objects[1].curves[0].keys.at(0).time, 13.0f) << "the key's frame, in demowrite's output";
}

// What a frame of the panel costs over a busy part: six Bezier curves of 400 keys each.
// Not a check (timings are not), a measure:
//   cd build/tests && ./game_tests --gtest_also_run_disabled_tests --gtest_filter='*CostOfAFrame*'
TEST_F(CurvesPanelTest, DISABLED_CostOfAFrame) {
  WriteFiveParts(dir.Path(""), {4800, 200, 300, 400, 500});
  engine::gfx::DemoFile busy;
  busy.length = 4800;
  engine::gfx::DemoObject object{"Empty", "Busy", "", "", {0, 0, 0}, {0, 0, 0}, {}};
  for (const char* channel : {"LocX", "LocY", "LocZ", "RotX", "RotY", "Glow"}) {
    engine::gfx::DemoCurve curve{channel, "Bezier", "Constant", {}};
    for (int k = 0; k < 400; ++k) {
      const float t = 1.0f + 12.0f * static_cast<float>(k), v = static_cast<float>(k % 7);
      curve.keys.push_back({t - 4, v, t, v, t + 4, v});
    }
    object.curves.push_back(curve);
  }
  busy.objects.push_back(object);
  demo::WriteDemoFile(dir.Path("") + "/" + engine::core::ToNarrow(scene.PartFile(0)), busy);
  scene.LoadParts();
  Unfold();
  ASSERT_TRUE(panel.Edit() && panel.Edit()->Curves().size() == 6);
  constexpr int Frames = 200;
  const auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < Frames; ++k) {
    ImGui::NewFrame();
    panel.Draw(scene);
    ImGui::EndFrame();
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("curves panel: %.3f ms a frame (6 curves x 400 keys, %d frames)\n", ms / Frames, Frames);
}

}  // namespace
