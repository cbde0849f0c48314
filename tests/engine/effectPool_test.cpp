// The effect pool: the render-target priority file, the global pass order it decides,
// and how a material's alternatives become an effect or fall back to the wireframe.

#include <boost/filesystem.hpp>
#include <boost/make_shared.hpp>
#include <sstream>

#include "engine/core/resourceTypes.h"
#include "engine_fixture.h"

using engine::core::ResourceManager;
using engine::core::resources::FXEffect;
using engine::core::resources::RenderTargetTexture;
using engine::gfx::EffectPool;
using engine::gfx::PriorityLines;
using engine::gfx::ReadPriorityLines;
using engine::gfx::TargetList;

namespace {

constexpr int kRgba8 = 28;

// One technique that every test pass can use; "Nope" is deliberately absent.
constexpr const char* kEffect = R"(
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
float4x4 World : World;
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 PS() : SV_Target { return float4(1, 0, 0, 1); }
technique10 One {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
)";

PriorityLines Read(const std::string& text) {
  std::istringstream in(text);
  return ReadPriorityLines(in);
}

TEST(PriorityLinesTest, LinesKeepTheirNumbersAndTheEmptyListComesAfterTheLast) {
  const PriorityLines read = Read("shadow\n\n_framebuffer  glow\t\n");
  ASSERT_EQ(read.lines.size(), 2u);
  EXPECT_EQ(read.lines[0].first, std::vector<std::string>{"shadow"});
  EXPECT_EQ(read.lines[0].second, 1);
  EXPECT_EQ(read.lines[1].first, (std::vector<std::string>{"_framebuffer", "glow"}));
  EXPECT_EQ(read.lines[1].second, 3);
  EXPECT_EQ(read.emptyListPriority, 4);

  EXPECT_TRUE(Read("").lines.empty());
  EXPECT_EQ(Read("").emptyListPriority, 1);
  EXPECT_EQ(Read("a").emptyListPriority, 2) << "a last line without a newline still counts";
}

class EffectPoolTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    dir.Write("data/fx/x.fx", kEffect);
    for (const wchar_t* name : {L"shadow", L"other", L"a"}) {
      ResourceManager::Get()->AddResource(name, boost::make_shared<RenderTargetTexture>(name, 16, 16, kRgba8, 1));
    }
    pool = EffectPool::Get();
  }

  // A material of alternatives, each a list of pass tables, at data/<name>.efx.
  std::string Material(const std::string& name, const std::vector<std::string>& alternatives) {
    std::string script = "effect = {\n";
    for (const std::string& a : alternatives) script += "  { pass = { " + a + " } },\n";
    const std::string path = "data/" + name + ".efx";
    dir.Write(path, script + "}\n");
    return path;
  }

  static std::string Pass(const std::string& keys, const std::string& tec = "One", const std::string& fx = "x") {
    return "{ fx = '" + fx + "', tec = '" + tec + "', params = {}, streams = { { 'pos', 'POSITION' } }" +
           (keys.empty() ? std::string() : ", " + keys) + " },";
  }

  TargetList Targets(std::initializer_list<const wchar_t*> names) {
    TargetList list;
    for (const wchar_t* name : names) list.push_back(ResourceManager::Get()->GetResource(name));
    return list;
  }

  // What each shader of the global order draws into, in that order.
  std::vector<std::string> TargetLabels() {
    std::vector<std::string> labels;
    for (const auto& shader : pool->Shaders()) {
      const TargetList& t = shader->Targets();
      labels.push_back(t.empty()                 ? "none"
                       : t == Targets({L"shadow"}) ? "shadow"
                       : t == TargetList(1)        ? "back"
                                                   : "unlisted");
    }
    return labels;
  }

  size_t RowCount(const std::string& text) {
    const auto rows = Rows();
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), text));
  }

  EffectPool* pool = nullptr;
};

TEST_F(EffectPoolTest, ThePriorityFileOrdersTargetListsAndUnlistedOnesDrawLast) {
  dir.Write("data/rtpriorities.txt", "shadow\n\n_framebuffer\n");
  pool->LoadRenderTargetPriorities(L"data/rtpriorities.txt");
  const auto& priorities = pool->TargetPriorities();
  ASSERT_EQ(priorities.size(), 3u);
  EXPECT_EQ(priorities.at(Targets({L"shadow"})), 1);
  EXPECT_EQ(priorities.at(TargetList(1)), 3) << "the back buffer is the empty reference";
  EXPECT_EQ(priorities.at(TargetList()), 4);

  pool->BuildEffect(Material("m", {Pass("rendertarget = 'other'") + Pass("rendertarget = 'shadow'") + Pass("") +
                                   Pass("rendertarget = 'null'")}));
  pool->SortShaders();
  // The wireframe's own pass draws into the back buffer too.
  EXPECT_EQ(TargetLabels(), (std::vector<std::string>{"none", "back", "back", "shadow", "unlisted"}));
  for (size_t i = 0; i < pool->Shaders().size(); ++i) EXPECT_EQ(pool->Shaders()[i]->renderIndex, static_cast<int>(i));
}

TEST_F(EffectPoolTest, TargetListsAreOrderedAndALaterLineWins) {
  dir.Write("data/rtpriorities.txt", "a _framebuffer\nshadow\n_framebuffer a\n\nshadow\n");
  pool->LoadRenderTargetPriorities(L"data/rtpriorities.txt");
  const auto& priorities = pool->TargetPriorities();
  EXPECT_EQ(priorities.size(), 4u);
  EXPECT_EQ(priorities.at(TargetList{ResourceManager::Get()->GetResource(L"a"), nullptr}), 1);
  EXPECT_EQ(priorities.at(TargetList{nullptr, ResourceManager::Get()->GetResource(L"a")}), 3);
  EXPECT_EQ(priorities.at(Targets({L"shadow"})), 5);
  EXPECT_EQ(priorities.at(TargetList()), 6);
}

TEST_F(EffectPoolTest, AnEmptyFileRanksOnlyTheEmptyListAndAMissingOneChangesNothing) {
  dir.Write("data/rtpriorities.txt", "");
  pool->LoadRenderTargetPriorities(L"data/rtpriorities.txt");
  ASSERT_EQ(pool->TargetPriorities().size(), 1u);
  EXPECT_EQ(pool->TargetPriorities().at(TargetList()), 1);

  dir.Write("data/other.txt", "shadow\n");
  pool->LoadRenderTargetPriorities(L"data/other.txt");
  boost::filesystem::remove(dir.Path("data/rtpriorities.txt"));
  const auto before = pool->TargetPriorities();
  pool->LoadRenderTargetPriorities(L"data/rtpriorities.txt");
  EXPECT_EQ(pool->TargetPriorities(), before);
  EXPECT_EQ(RowCount("No render target priority file data/rtpriorities.txt found. "), 1u);
}

TEST_F(EffectPoolTest, WithinOneTargetListTheSmallerPassPriorityDrawsFirst) {
  pool->BuildEffect(
      Material("m", {Pass("rendertarget = 'shadow', priority = 5") + Pass("rendertarget = 'shadow', priority = -1")}));
  pool->SortShaders();
  std::vector<int> shadowPriorities;
  for (const auto& shader : pool->Shaders()) {
    if (shader->Targets() == Targets({L"shadow"})) shadowPriorities.push_back(shader->Pass().priority);
  }
  EXPECT_EQ(shadowPriorities, (std::vector<int>{-1, 5}));
}

// Between effect files and between techniques the order is the same in every run: it
// must not follow where the heap put the objects, which changes with what other threads
// allocated meanwhile (and with it which of two passes drawing the same depth wins).
TEST_F(EffectPoolTest, BetweenFilesTheOneBuiltLaterDrawsFirstWhereverItsObjectLives) {
  dir.Write("data/fx/early.fx", kEffect);
  dir.Write("data/fx/late.fx", kEffect);
  // late.fx's object is made first, so it is the older one (the lower address on a heap
  // that grows), though its file is built into an effect after early.fx's.
  ASSERT_TRUE(ResourceManager::Get()->GetOrCreateResource<FXEffect>(L"data/fx/late.fx"));
  pool->BuildEffect(Material("a", {Pass("rendertarget = 'shadow'", "One", "early")}));
  pool->BuildEffect(Material("b", {Pass("rendertarget = 'shadow'", "One", "late")}));
  pool->BuildEffect(Material("c", {Pass("rendertarget = 'shadow'", "One", "early")}));
  pool->SortShaders();
  std::vector<std::string> files;
  for (const auto& shader : pool->Shaders()) {
    if (shader->Targets() == Targets({L"shadow"})) files.push_back(shader->Pass().fx);
  }
  EXPECT_EQ(files, (std::vector<std::string>{"late.fx", "early.fx", "early.fx"}));
}

TEST_F(EffectPoolTest, WithinOneFileTechniquesGoByName) {
  // "Two" is declared before "One": neither declaration order nor where the technique
  // objects live decides.
  std::string text = kEffect;
  text.replace(text.find("technique10 One"), 15, "technique10 Two");
  dir.Write("data/fx/two.fx", text + R"(
technique10 One {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
)");
  pool->BuildEffect(Material("m", {Pass("rendertarget = 'shadow'", "Two", "two") +
                                   Pass("rendertarget = 'shadow'", "One", "two") +
                                   Pass("rendertarget = 'shadow'", "Two", "two")}));
  pool->SortShaders();
  std::vector<std::string> techniques;
  for (const auto& shader : pool->Shaders()) {
    if (shader->Targets() == Targets({L"shadow"})) techniques.push_back(shader->Pass().tec);
  }
  EXPECT_EQ(techniques, (std::vector<std::string>{"One", "Two", "Two"}));
}

TEST_F(EffectPoolTest, AnAlternativeWithAMissingTechniqueIsPassedOver) {
  const size_t before = pool->Shaders().size();
  auto effect = pool->BuildEffect(Material("m", {Pass("", "Nope") + Pass(""), Pass("rendertarget = 'shadow'")}));
  ASSERT_EQ(effect->GetShaderCount(), 1u);
  EXPECT_EQ(effect->GetShader(0)->Targets(), Targets({L"shadow"}));
  EXPECT_EQ(pool->Shaders().size(), before + 1) << "passes of a rejected alternative are not drawn";
  for (const auto& shader : pool->Shaders()) EXPECT_NE(shader->Pass().tec, "Nope");
  EXPECT_EQ(RowCount("FXShader x.fx with technique Nope not supported"), 1u);
}

TEST_F(EffectPoolTest, PassesWhoseFileFailsAreDroppedAndTheRestIsSupported) {
  auto effect = pool->BuildEffect(Material("m", {Pass("", "T", "missing")}));
  EXPECT_NE(effect, pool->Wireframe());
  EXPECT_EQ(effect->GetShaderCount(), 0u);
  EXPECT_EQ(RowCount("Effect data/fx/missing.fx Technique T failed"), 1u);
}

TEST_F(EffectPoolTest, EveryUnsupportedMaterialGetsTheOneWireframeEffect) {
  auto first = pool->BuildEffect(Material("a", {Pass("", "Nope")}));
  auto second = pool->BuildEffect(Material("b", {Pass("", "Nope"), Pass("", "AlsoNope")}));
  ASSERT_TRUE(pool->Wireframe());
  EXPECT_EQ(first, pool->Wireframe());
  EXPECT_EQ(second, pool->Wireframe());
  EXPECT_EQ(RowCount("No effects supported in the list for data/a.efx, falling back to wireframe"), 1u);
  EXPECT_EQ(RowCount("No effects supported in the list for data/b.efx, falling back to wireframe"), 1u);
}

TEST_F(EffectPoolTest, EachBuildMakesItsOwnShaders) {
  const std::string material = Material("m", {Pass("")});
  const size_t before = pool->Shaders().size();
  auto first = pool->BuildEffect(material);
  auto second = pool->BuildEffect(material);
  EXPECT_NE(first, second);
  EXPECT_NE(first->GetShader(0), second->GetShader(0));
  EXPECT_EQ(pool->Shaders().size(), before + 2);
}

TEST_F(EffectPoolTest, TheEffectsStreamsAreTheUnionOfItsPassesInFirstSeenOrder) {
  auto effect = pool->BuildEffect(Material(
      "m", {"{ fx = 'x', tec = 'One', params = {}, streams = { { 'pos', 'POSITION' }, { 'tex', 'TEXCOORD' } } },"
            "{ fx = 'x', tec = 'One', params = {}, streams = { { 'normal', 'NORMAL' }, { 'pos', 'POSITION' },"
            "  { 'tex', 'TEXCOORD1' } } },"}));
  ASSERT_EQ(effect->GetShaderCount(), 2u);
  std::vector<std::pair<int, std::string>> streams;
  for (const auto& s : effect->GetStreams()) streams.emplace_back(s.kind, s.name);
  const std::vector<std::pair<int, std::string>> expected = {{engine::gfx::MeshData::POSITION, "POSITION"},
                                                             {engine::gfx::MeshData::TEXCOORD, "TEXCOORD"},
                                                             {engine::gfx::MeshData::NORMAL, "NORMAL"},
                                                             {engine::gfx::MeshData::TEXCOORD, "TEXCOORD1"}};
  EXPECT_EQ(streams, expected);
}

}  // namespace
