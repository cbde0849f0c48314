// How a shader fills its semantic-bound variables from the scene (render object, named
// nodes, camera), how custom semantics reach a node's data, how bindings survive an
// effect reload, and how parameter values are written.

#include <algorithm>
#include <boost/make_shared.hpp>
#include <chrono>
#include <cstdint>
#include <filesystem>

#include "engine/core/resourceTypes.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/light.h"
#include "engine/gfx/renderObject.h"
#include "engine_fixture.h"

using engine::core::ResourceManager;
using engine::gfx::Camera;
using engine::gfx::EffectPool;
using engine::gfx::Light;
using engine::gfx::Node;
using engine::gfx::RenderObject;
using engine::gfx::SceneInfo;
using engine::gfx::Shader;
using engine::math::Matrix4x4;

namespace {

constexpr const char* kShared = R"(
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
)";

constexpr const char* kVariables = R"(
float4x4 World : World;
float4x4 Tracked : World < string Object = "box"; >;
float4x4 Grouped : World < string ObjectGroup = "elsewhere"; >;
float4x4 Eye : ViewInverse < string Object = "box"; >;
float4x4 Inverse : WorldInverse;
float4 Where : Position;
float4 Facing : Direction;
float4x4 Lower : world;
float3 Planes : SplitPlanes < string Object = "sun"; >;
float4 Tint;
float Gain;
)";

constexpr const char* kTechnique = R"(
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position, 1), World); }
float4 PS() : SV_Target { return Tint * Gain; }
technique10 One {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
)";

Matrix4x4 Translation(float x, float y, float z) {
  return Matrix4x4(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
}

std::vector<float> Floats(const Matrix4x4& m) { return std::vector<float>(&m.m00, &m.m00 + 16); }

class SemanticsTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    OpenWindow(Settings(64, 64));
    if (IsSkipped() || HasFatalFailure()) return;
    WriteEffect("");

    box = boost::make_shared<Node>();
    engine::gfx::Transformation placed;
    placed.Translate(engine::math::Vector3f(1, 2, 3));
    box->Local(placed);
    SceneInfo::Get()->AddNode(box, L"box", L"global");

    sun = boost::make_shared<Light>(nullptr);
    sun->splitDistances[1] = 2.0f;
    sun->splitDistances[2] = 3.0f;
    sun->splitDistances[3] = 4.0f;
    SceneInfo::Get()->AddNode(sun, L"sun", L"global");

    camera = boost::make_shared<Camera>(nullptr, L"cam");
    engine::gfx::Transformation back;
    back.Translate(engine::math::Vector3f(0, 0, -5));
    camera->Local(back);
    camera->Update(nullptr);  // reports itself and becomes the current camera

    object = boost::make_shared<RenderObject>();
    object->world = Matrix4x4(0, 0, 2, 0, 0, 1, 0, 0, 3, 0, 0, 0, 5, 6, 7, 1);
    object->worldInverse = Matrix4x4(9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6);
  }

  void WriteEffect(const std::string& extra) {
    dir.Write("data/fx/x.fx", std::string(kShared) + kVariables + extra + kTechnique);
  }

  boost::shared_ptr<Shader> Build(const std::string& params = "") {
    dir.Write("data/m.efx", "effect = { { pass = { { fx = 'x', tec = 'One', params = {" + params +
                                "}, streams = { { 'pos', 'POSITION' } } } } } }\n");
    auto effect = EffectPool::Get()->BuildEffect("data/m.efx");
    if (effect->GetShaderCount() != 1) {
      ADD_FAILURE() << "the material did not build";
      return boost::shared_ptr<Shader>();
    }
    return effect->GetShader(0);
  }

  static ID3D10EffectVariable* Variable(const Shader& shader, const char* name) {
    return shader.GetEffect()->Get()->GetVariableByName(name);
  }
  static std::vector<float> MatrixOf(const Shader& shader, const char* name) {
    Matrix4x4 m = Matrix4x4::Identity;
    EXPECT_EQ(S_OK, Variable(shader, name)->AsMatrix()->GetMatrix(&m.m00)) << name;
    return Floats(m);
  }
  static std::vector<float> VectorOf(const Shader& shader, const char* name, int count = 4) {
    std::vector<float> v(4, -1.0f);
    EXPECT_EQ(S_OK, Variable(shader, name)->GetRawValue(v.data(), 0, 4 * count)) << name;
    v.resize(count);
    return v;
  }

  size_t RowCount(const std::string& text) {
    const auto rows = Rows();
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), text));
  }

  std::vector<std::wstring> CustomSemantics(const Shader& shader) {
    std::vector<std::wstring> names;
    for (const auto& binding : shader.CustomBindings()) names.push_back(binding.semantic);
    return names;
  }

  boost::shared_ptr<Node> box;
  boost::shared_ptr<Light> sun;
  boost::shared_ptr<Camera> camera;
  boost::shared_ptr<RenderObject> object;
};

TEST_F(SemanticsTest, MatricesComeFromTheRenderObjectTheNamedNodeOrTheCamera) {
  auto shader = Build();
  ASSERT_TRUE(shader);
  shader->UpdateSemantics(object);

  EXPECT_EQ(MatrixOf(*shader, "World"), Floats(object->world));
  EXPECT_EQ(MatrixOf(*shader, "Tracked"), Floats(box->World()));
  EXPECT_EQ(MatrixOf(*shader, "Tracked"), Floats(Translation(1, 2, 3)));
  EXPECT_EQ(MatrixOf(*shader, "Grouped"), Floats(object->world)) << "a group without an object names nothing";
  EXPECT_EQ(MatrixOf(*shader, "Eye"), Floats(Translation(0, 0, -5))) << "the camera's, whatever the object";
  EXPECT_EQ(MatrixOf(*shader, "Inverse"), Floats(object->worldInverse)) << "used as stored, not transposed again";

  for (const auto& binding : shader->SemanticBindings()) {
    EXPECT_EQ(binding.groupName, L"global");
  }
}

TEST_F(SemanticsTest, PositionAndDirectionAreRowsOfTheWorld) {
  auto shader = Build();
  ASSERT_TRUE(shader);
  shader->UpdateSemantics(object);
  EXPECT_EQ(VectorOf(*shader, "Where"), (std::vector<float>{5, 6, 7, 1}));
  EXPECT_EQ(VectorOf(*shader, "Facing"), (std::vector<float>{3, 0, 0, 0}));

  shader->UpdateSemantics(boost::make_shared<RenderObject>());
  EXPECT_EQ(VectorOf(*shader, "Where"), (std::vector<float>{0, 0, 0, 1}));
  EXPECT_EQ(VectorOf(*shader, "Facing"), (std::vector<float>{0, 0, 1, 0}));
}

TEST_F(SemanticsTest, UnknownSemanticsReadTheNamedNodesCustomData) {
  auto shader = Build();
  ASSERT_TRUE(shader);
  // Semantic names are case-sensitive: "world" is not the World row.
  EXPECT_EQ(CustomSemantics(*shader), (std::vector<std::wstring>{L"world", L"SplitPlanes"}));
  shader->UpdateSemantics(object);
  EXPECT_EQ(VectorOf(*shader, "Planes", 3), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(MatrixOf(*shader, "Lower"), Floats(Matrix4x4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)))
      << "an unnamed custom binding writes nothing";
  shader->UpdateSemantics(object);
  EXPECT_EQ(RowCount("Custom semantics to unnamed objects are not supported"), 2u);
}

TEST_F(SemanticsTest, AReloadedEffectIsReboundAtTheNextUpdate) {
  auto shader = Build("{ 'Missing', 'float4', { 1, 2, 3, 4 } }");
  ASSERT_TRUE(shader);
  const std::int64_t compiledAt = shader->GetEffect()->LastWriteTime();
  WriteEffect("float4 Glow : Glow < string Object = \"sun\"; >;\n");
  const auto path = std::filesystem::path(dir.Path("data/fx/x.fx"));
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
  ResourceManager::Get()->UpdateResources();
  ASSERT_NE(shader->GetEffect()->LastWriteTime(), compiledAt) << "the file change was not noticed";
  ASSERT_EQ(shader->CustomBindings().size(), 2u) << "nothing rebinds before the next update";

  shader->UpdateSemantics(object);
  EXPECT_EQ(CustomSemantics(*shader), (std::vector<std::wstring>{L"world", L"SplitPlanes", L"Glow"}));
  EXPECT_EQ(MatrixOf(*shader, "World"), Floats(object->world)) << "written into the new effect";
  for (const auto& binding : shader->SemanticBindings()) {
    D3D10_EFFECT_VARIABLE_DESC desc = {};
    binding.variable->GetDesc(&desc);
    EXPECT_EQ(binding.variable, Variable(*shader, desc.Name)) << desc.Name;
  }
  shader->UpdateSemantics(object);
  EXPECT_EQ(shader->CustomBindings().size(), 3u);

  const auto rows = Rows();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "Unsupported custom data semantic Glow requested from light"), 2);
  // One bind at the build, one after the reload: the warning comes with each.
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "No such parameter Missing in shader data/fx/x.fx"), 2);
}

TEST_F(SemanticsTest, AMissingParameterIsReportedOncePerBind) {
  auto shader = Build("{ 'Missing', 'float4', { 1, 2, 3, 4 } }, { 'Tint', 'float4', { 1, 1, 1, 1 } }");
  ASSERT_TRUE(shader);
  shader->UpdateSemantics(object);
  shader->ApplyParameters(shader->Pass());
  ASSERT_EQ(shader->BoundVariables(engine::gfx::ShaderParameters::FLOAT4).size(), 2u);
  shader->Bind();
  EXPECT_EQ(RowCount("No such parameter Missing in shader data/fx/x.fx"), 2u);
}

TEST_F(SemanticsTest, ParametersAreWrittenInOrderSoTheLaterEntryWins) {
  auto shader = Build(
      "{ 'Tint', 'float4', { 1, 2, 3, 4 } }, { 'Tint', 'float4', { 5, 6, 7, 8 } },"
      "{ 'Gain', 'float', 0.5 }, { 'Gain', 'float', 2 }");
  ASSERT_TRUE(shader);
  shader->ApplyParameters(shader->Pass());
  EXPECT_EQ(VectorOf(*shader, "Tint"), (std::vector<float>{5, 6, 7, 8}));
  EXPECT_EQ(VectorOf(*shader, "Gain", 1), std::vector<float>{2});

  // A disabled entry is skipped, so the earlier one shows.
  *shader->Pass().parameters.float4s[1].enabled = false;
  shader->ApplyParameters(shader->Pass());
  EXPECT_EQ(VectorOf(*shader, "Tint"), (std::vector<float>{1, 2, 3, 4}));
}

// A part without a lamp registers an empty node under the lamp's name: every variable
// bound to it keeps its value, the rows that do not read the object are still written,
// and each binding says so once, not at every draw.
TEST_F(SemanticsTest, AnEmptyNamedObjectLeavesItsVariablesAsTheyAre) {
  WriteEffect(
      "float4 LampFacing : Direction < string Object = \"lamp\"; >;\n"
      "float4x4 LampEye : ViewInverse < string Object = \"lamp\"; >;\n"
      "float3 LampPlanes : SplitPlanes < string Object = \"lamp\"; >;\n");
  SceneInfo::Get()->AddNode(boost::shared_ptr<Node>(), L"lamp", L"global");
  auto shader = Build();
  ASSERT_TRUE(shader);
  const float marks[4] = {7, 7, 7, 7};
  ASSERT_EQ(S_OK, Variable(*shader, "LampFacing")->SetRawValue(marks, 0, 16));
  ASSERT_EQ(S_OK, Variable(*shader, "LampPlanes")->SetRawValue(marks, 0, 12));

  shader->UpdateSemantics(object);
  shader->UpdateSemantics(object);
  EXPECT_EQ(VectorOf(*shader, "LampFacing"), (std::vector<float>{7, 7, 7, 7}));
  EXPECT_EQ(VectorOf(*shader, "LampPlanes", 3), (std::vector<float>{7, 7, 7}));
  EXPECT_EQ(MatrixOf(*shader, "LampEye"), Floats(Translation(0, 0, -5))) << "the camera's, lamp or not";
  EXPECT_EQ(RowCount("Object lamp in group global is empty; the variables bound to it are left as they are"), 2u)
      << "once for each of the two bindings that read the lamp";

  // A name that is not in the group at all is still an error.
  SceneInfo::Get()->DelNode(L"lamp", L"global");
  EXPECT_THROW(shader->UpdateSemantics(object), engine::core::Exception);
}

// "data/quad.nbl" taken by a resource of another class: the quad pass is refused with
// the resource's name instead of drawing through a mesh that is not there.
TEST_F(SemanticsTest, AQuadMaterialRefusesAQuadResourceThatIsNotAMesh) {
  struct NotAMesh : engine::core::Resource {
    NotAMesh() : Resource(L"data/quad.nbl") {}
    void Create() override {}
    void Destroy() override {}
  };
  ResourceManager::Get()->AddResource(L"data/quad.nbl", boost::make_shared<NotAMesh>());
  dir.Write("data/fx/post.efx",
            "effect = { { pass = { { fx = 'x', tec = 'One', params = {}, streams = { { 'pos', 'POSITION' } } } } } }\n");
  dir.Write("data/fx/q.fx", std::string(kShared) + kVariables +
                                "float4 VSQ(float3 p : POSITION) : SV_Position { return float4(p, 1); }\n"
                                "float4 PSQ() : SV_Target { return Tint; }\n"
                                "technique10 Quad < bool quad = true; string material = \"post\"; > {\n"
                                "  pass P { SetVertexShader(CompileShader(vs_4_0, VSQ())); SetGeometryShader(NULL);\n"
                                "           SetPixelShader(CompileShader(ps_4_0, PSQ())); } }\n");
  dir.Write("data/q.efx",
            "effect = { { pass = { { fx = 'q', tec = 'Quad', params = {}, streams = { { 'pos', 'POSITION' } } } } } }\n");
  try {
    EffectPool::Get()->BuildEffect("data/q.efx");
  } catch (const engine::core::Exception& e) {
    ADD_FAILURE() << engine::core::ToNarrow(e.GetText());
  }
  const auto rows = Rows();
  EXPECT_NE(std::find(rows.begin(), rows.end(),
                      "The resource data/quad.nbl of quad material data/fx/post.efx is not a mesh"),
            rows.end());
}

}  // namespace
