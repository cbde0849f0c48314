// Material and template scripts read into pass descriptions: the order of alternatives,
// the target and instance defaults, every parameter kind, template chains, material-wide
// values, and the refusals a broken script gets.

#include <boost/filesystem.hpp>
#include <boost/make_shared.hpp>
#include <cstdint>
#include <vector>

#include "engine/core/resourceTypes.h"
#include "engine/gfx/material.h"
#include "engine_fixture.h"

using engine::core::Exception;
using engine::core::ResourceManager;
using engine::gfx::EffectAlternative;
using engine::gfx::PassDescription;
using engine::gfx::ShaderParameters;
using namespace engine::core::resources;

namespace {

constexpr int kRgba8 = 28;
constexpr int kD24S8 = 45;

// A 1x1 uncompressed RGBA DDS file with all six cube faces.
std::string CubeDds() {
  std::vector<uint32_t> header(32, 0);
  header[0] = 0x20534444;  // "DDS "
  header[1] = 124;
  header[2] = 0x100F;
  header[3] = 1;
  header[4] = 1;
  header[5] = 4;
  header[19] = 32;
  header[20] = 0x41;
  header[22] = 32;
  header[23] = 0x000000FF;
  header[24] = 0x0000FF00;
  header[25] = 0x00FF0000;
  header[26] = 0xFF000000;
  header[27] = 0x1008;
  header[28] = 0xFE00;
  std::string bytes(reinterpret_cast<const char*>(header.data()), header.size() * 4);
  bytes.append(6 * 4, '\x7f');
  return bytes;
}

class MaterialTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    ResourceManager* manager = ResourceManager::Get();
    manager->AddResource(L"glow", boost::make_shared<RenderTargetTexture>(L"glow", 16, 16, kRgba8, 1));
    manager->AddResource(L"shadowdepth", boost::make_shared<DepthTargetTexture>(L"shadowdepth", false, 16, 16, kD24S8, 1));
  }

  // A complete pass table with `keys` added; later keys of the same name win in Lua.
  static std::string Pass(const std::string& keys = "") {
    return "{ fx = 'flat', tec = 'One', params = {}, streams = { { 'pos', 'POSITION' } }" +
           (keys.empty() ? std::string() : ", " + keys) + " }";
  }
  // A material of one alternative holding the given pass tables.
  static std::string OneAlternative(const std::string& passes) { return "effect = { { pass = { " + passes + " } } }\n"; }

  std::vector<EffectAlternative> Parse(const std::string& script) {
    dir.Write("data/m.efx", script);
    return engine::gfx::ParseMaterial("data/m.efx");
  }

  std::string ErrorOf(const std::string& script) {
    try {
      Parse(script);
    } catch (const Exception& e) {
      return engine::core::ToNarrow(e.GetText());
    }
    return "(no error)";
  }

  // The only pass of a one-alternative material.
  PassDescription OnlyPass(const std::string& script) {
    const auto alternatives = Parse(script);
    if (alternatives.size() != 1 || alternatives[0].passes.size() != 1) {
      ADD_FAILURE() << "expected one alternative with one pass";
      return PassDescription();
    }
    return alternatives[0].passes[0];
  }
};

TEST_F(MaterialTest, AlternativesComeByDescendingPriorityAndTiesKeepScriptOrder) {
  const auto alternatives = Parse(
      "effect = {\n"
      "  { priority = 0, pass = { { fx = 'f', tec = 'A', params = {}, streams = {} } } },\n"
      "  { priority = 5, pass = { { fx = 'f', tec = 'B', params = {}, streams = {} } } },\n"
      "  { priority = 5, pass = { { fx = 'f', tec = 'C', params = {}, streams = {} } } },\n"
      "}\n");
  ASSERT_EQ(alternatives.size(), 3u);
  EXPECT_EQ(alternatives[0].passes.at(0).tec, "B");
  EXPECT_EQ(alternatives[1].passes.at(0).tec, "C");
  EXPECT_EQ(alternatives[2].passes.at(0).tec, "A");
  EXPECT_EQ(alternatives[0].passes[0].fx, "f.fx");
}

TEST_F(MaterialTest, TargetsFollowTheDefaultsAndTheNullWord) {
  struct Case {
    const char* keys;
    std::vector<std::string> targets;
    const char* depth;
  };
  const Case cases[] = {
      {"", {"_framebuffer"}, "_depthbuffer"},
      {"rendertarget = 'null'", {}, "_depthbuffer"},
      {"rendertarget = 'null', rendertarget2 = 'glow'", {"glow"}, "_depthbuffer"},
      {"rendertarget = 'glow', rendertarget3 = 'glow'", {"glow", "glow"}, "_depthbuffer"},
      {"depthtarget = 'null'", {"_framebuffer"}, ""},
      {"depthtarget = 'shadowdepth'", {"_framebuffer"}, "shadowdepth"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    const PassDescription pass = OnlyPass(OneAlternative(Pass(c.keys)));
    EXPECT_EQ(pass.targetNames, c.targets);
    EXPECT_EQ(pass.depthTargetName, c.depth);
  }
}

TEST_F(MaterialTest, InstancesAreAtLeastOneAndFractionsAreCutOff) {
  const std::pair<const char*, int> cases[] = {
      {"instances = 0", 1}, {"instances = -3", 1}, {"", 1}, {"instances = 2.9", 2}, {"instances = 4", 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(OnlyPass(OneAlternative(Pass(c.first))).instances, c.second);
  }
}

TEST_F(MaterialTest, BrokenScriptsAreRefusedWithTheirReason) {
  const std::pair<std::string, std::string> cases[] = {
      {OneAlternative("{ fx = 'f', tec = 'T', streams = {} }"), "Params must be a table"},
      {OneAlternative("{ fx = 'f', tec = 'T', params = {} }"), "Streams must be a table"},
      {OneAlternative("{ fx = 'f', tec = 'T', params = {}, streams = { 'pos' } }"),
       "Input assembly info is not a table"},
      {OneAlternative("{ fx = 'f', tec = 'T', params = {}, streams = { { 'colour', 'COLOR' } } }"),
       "Unsupported stream type ( supported: pos, normal, tex, tangent, binormal, bone )"},
      {OneAlternative(Pass("params = { { 'X', 'matrix', 1 } }")),
       "Unsupported parameter type( supported: int, ipo, float, bool, tex, depth, target )"},
      {OneAlternative(Pass("params = { { 'X', 'float3', 1 } }")), "float3 value must be a table"},
      {"effect = 3\n", "Effect must be a table"},
      {OneAlternative(Pass("rendertarget = 'nowhere'")), "No such render target nowhere"},
      {OneAlternative(Pass("rendertarget = 'null', rendertarget2 = 'nowhere'")), "No such render target nowhere"},
      {OneAlternative(Pass("rendertarget = '_framebuffer'")), "No such render target _framebuffer"},
      {OneAlternative(Pass("rendertarget = 'shadowdepth'")), "No such render target shadowdepth"},
      {OneAlternative(Pass("depthtarget = 'glow'")), "No such render target glow"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(ErrorOf(c.first), c.second);
  }
}

TEST_F(MaterialTest, EveryParameterKindIsReadWithItsValue) {
  dir.Write("data/sky.dds", CubeDds());
  const PassDescription pass = OnlyPass(OneAlternative(Pass(
      "params = { { 'Count', 'int', 7 }, { 'Gain', 'float', 0.25 }, { 'Uv', 'float2', { 1, 2 } },"
      " { 'Dir', 'float3', { 3, 4, 5 } }, { 'Tint', 'float4', { 6, 7, 8, 9 } },"
      " { 'Zero', 'bool', 0 }, { 'Off', 'bool', false }, { 'Wave', 'ipo' },"
      " { 'Sky', 'cube', 'data/sky.dds' }, { 'Glow', 'target', 'glow' }, { 'Depth', 'depth', 'shadowdepth' } }")));
  const ShaderParameters& p = pass.parameters;

  ASSERT_EQ(p.bit32s.size(), 2u);
  EXPECT_EQ(p.bit32s[0].value->i, 7);
  EXPECT_FLOAT_EQ(p.bit32s[1].value->f, 0.25f);
  ASSERT_EQ(p.float2s.size(), 1u);
  EXPECT_FLOAT_EQ(p.float2s[0].value->f[1], 2.0f);
  ASSERT_EQ(p.float3s.size(), 1u);
  EXPECT_FLOAT_EQ(p.float3s[0].value->f[2], 5.0f);
  ASSERT_EQ(p.float4s.size(), 1u);
  EXPECT_FLOAT_EQ(p.float4s[0].value->f[0], 6.0f);
  EXPECT_FLOAT_EQ(p.float4s[0].value->f[3], 9.0f);
  // Zero is true in the script language, so a 0 switches a bool on.
  ASSERT_EQ(p.bools.size(), 2u);
  EXPECT_EQ(p.bools[0].value->b, 1);
  EXPECT_EQ(p.bools[1].value->b, 0);
  ASSERT_EQ(p.animated.size(), 1u);
  EXPECT_EQ(p.animated[0].value->address, nullptr);

  ASSERT_EQ(p.resources.size(), 3u);
  EXPECT_EQ(p.resources[0].type, "cube");
  auto cube = boost::dynamic_pointer_cast<CubeTexture>(*p.resources[0].value);
  ASSERT_TRUE(cube);
  EXPECT_NE(cube->Get(), nullptr);
  EXPECT_EQ(*p.resources[1].value, ResourceManager::Get()->GetResource(L"glow"));
  EXPECT_EQ(*p.resources[2].value, ResourceManager::Get()->GetResource(L"shadowdepth"));
  for (const auto& entry : p.resources) EXPECT_TRUE(*entry.enabled) << entry.name;
}

TEST_F(MaterialTest, MaterialWideValuesReplaceFloat4sAndFollowOtherKinds) {
  const auto alternatives = Parse(
      "effect = { { params = { { 'Tint', 'float4', { 1, 2, 3, 4 } }, { 'Tint', 'float3', { 7, 7, 7 } },"
      "                        { 'Gain', 'float', 2 }, { 'Unused', 'float4', { 0, 0, 0, 0 } } },\n"
      "  pass = { " +
      Pass("params = { { 'Tint', 'float4', { 0, 0, 0, 0 } }, { 'Tint', 'float4', { 9, 9, 9, 9 } },"
           " { 'Other', 'float3', { 5, 5, 5 } }, { 'Gain', 'float', 1 } }") +
      " } } }\n");
  ASSERT_EQ(alternatives.size(), 1u);
  ASSERT_EQ(alternatives[0].passes.size(), 1u);
  const ShaderParameters& p = alternatives[0].passes[0].parameters;

  ASSERT_EQ(p.float4s.size(), 2u) << "a wide value of a name the pass lacks is not added";
  EXPECT_FLOAT_EQ(p.float4s[0].value->f[0], 1.0f);
  EXPECT_FLOAT_EQ(p.float4s[0].value->f[3], 4.0f);
  EXPECT_FLOAT_EQ(p.float4s[1].value->f[0], 9.0f) << "only the first entry of the name is replaced";
  // The float3 of the same name belongs to another kind; the pass has no float3 "Tint".
  ASSERT_EQ(p.float3s.size(), 1u);
  EXPECT_EQ(p.float3s[0].name, "Other");

  ASSERT_EQ(p.bit32s.size(), 2u);
  EXPECT_FLOAT_EQ(p.bit32s[0].value->f, 1.0f);
  EXPECT_EQ(p.bit32s[1].name, "Gain");
  EXPECT_FLOAT_EQ(p.bit32s[1].value->f, 2.0f) << "appended after the pass entry, so it is written last";
}

class MaterialTemplateTest : public MaterialTest {
 protected:
  void SetUp() override {
    MaterialTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    boost::filesystem::create_directories(dir.Path("data/fx"));
    dir.Write("data/fx/t.tpl", "template = { pass = { { fx = 'from_t', tec = 'T', params = {}, streams = {} } } }\n");
  }

  std::vector<std::string> FxOfPasses(const std::string& script) {
    std::vector<std::string> fx;
    try {
      const auto alternatives = Parse(script);
      if (alternatives.empty()) return fx;
      for (const PassDescription& pass : alternatives[0].passes) fx.push_back(pass.fx);
    } catch (const Exception& e) {
      fx.push_back("error: " + engine::core::ToNarrow(e.GetText()));
    }
    return fx;
  }
};

TEST_F(MaterialTemplateTest, TemplatePassesComeBeforeTheMaterialsOwnAndRepeatWhenNamedTwice) {
  EXPECT_EQ(FxOfPasses("effect = { { template = 'fx/t.tpl', pass = { " + Pass() + " } } }\n"),
            (std::vector<std::string>{"from_t.fx", "flat.fx"}));
  EXPECT_EQ(FxOfPasses("effect = { { template = { 'fx/t.tpl', 'fx/t.tpl' } } }\n"),
            (std::vector<std::string>{"from_t.fx", "from_t.fx"}));
}

TEST_F(MaterialTemplateTest, TemplatesMayNestButNeverIncludeThemselves) {
  dir.Write("data/fx/outer.tpl",
            "template = { template = 'fx/t.tpl', pass = { { fx = 'outer', tec = 'O', params = {}, streams = {} } } }\n");
  EXPECT_EQ(FxOfPasses("effect = { { template = 'fx/outer.tpl' } }\n"),
            (std::vector<std::string>{"from_t.fx", "outer.fx"}));

  dir.Write("data/fx/a.tpl", "template = { template = 'fx/a.tpl' }\n");
  EXPECT_EQ(ErrorOf("effect = { { template = 'fx/a.tpl' } }\n"), "template fx/a.tpl already included in the chain.");

  dir.Write("data/fx/b.tpl", "template = { template = { 'fx/c.tpl' } }\n");
  dir.Write("data/fx/c.tpl", "template = { template = 'fx/b.tpl' }\n");
  EXPECT_EQ(ErrorOf("effect = { { template = 'fx/b.tpl' } }\n"), "template fx/b.tpl already included in the chain.");
}

// Listing a template twice is no cycle, also when that template includes another one:
// the first expansion must not leave its includes behind as part of the second's chain.
// The chain of an alternative only grows: a template loaded once, at any depth, may not
// be loaded again, so listing a template that includes another twice trips over the
// include on its second load.
TEST_F(MaterialTemplateTest, TheChainRemembersEveryTemplateOfTheAlternative) {
  dir.Write("data/fx/outer.tpl",
            "template = { template = 'fx/t.tpl', pass = { { fx = 'outer', tec = 'O', params = {}, streams = {} } } }\n");
  dir.Write("data/effect.efx", "effect = { { template = { 'fx/outer.tpl', 'fx/outer.tpl' } } }\n");
  std::wstring error;
  try {
    engine::gfx::ParseMaterial("data/effect.efx");
  } catch (const engine::core::Exception& e) {
    error = e.GetText();
  }
  EXPECT_EQ(error, L"template fx/t.tpl already included in the chain.");
}

TEST_F(MaterialTemplateTest, ATemplateWithoutATableIsSkippedWithAWarning) {
  dir.Write("data/fx/bad.tpl", "template = 'nothing here'\n");
  EXPECT_EQ(FxOfPasses("effect = { { template = { 'fx/bad.tpl', 'fx/t.tpl' }, pass = { " + Pass() + " } } }\n"),
            (std::vector<std::string>{"from_t.fx", "flat.fx"}));
  const auto rows = Rows();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "template is not a table"), 1);
}

}  // namespace
