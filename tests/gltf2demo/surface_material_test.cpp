// The materials gltf2demo writes for glTF's surfaces, read as text: which technique (and so
// which vertex streams) they ask for, how each texture is laid on, and what the passes of
// one effect file must all write so that no mesh draws with another's values.

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <tiny_gltf.h>

#include <string>

#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/materialText.h"

namespace {

using gltf2demo::SurfaceLook;

void AppendTo(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

// One material "M" and three textures on one 2x2 picture.
tinygltf::Model OneMaterial() {
  tinygltf::Model model;
  const unsigned char pixels[2 * 2 * 3] = {};
  std::string png;
  stbi_write_png_to_func(AppendTo, &png, 2, 2, 3, pixels, 6);
  tinygltf::Image image;
  image.name = "Pic";
  image.image.assign(png.begin(), png.end());
  model.images.push_back(image);
  for (int i = 0; i < 3; ++i) {
    tinygltf::Texture texture;
    texture.source = 0;
    model.textures.push_back(texture);
  }
  tinygltf::Material material;
  material.name = "M";
  model.materials.push_back(material);
  return model;
}

tinygltf::Value Transform(double offsetU, double scale) {
  return tinygltf::Value(tinygltf::Value::Object{
      {"offset", tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(offsetU), tinygltf::Value(0.0)})},
      {"scale", tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(scale), tinygltf::Value(scale)})}});
}

struct Written {
  std::string text;
  gltf2demo::Notes notes;
};

// The material as a mesh converted with `look` gets it; the base colour texture, as the
// mesh conversion finds it, goes into the look first.
Written Write(const tinygltf::Model& model, SurfaceLook look) {
  Written out;
  gltf2demo::TextureFiles textures(model, out.notes);
  look.textureFolder = "data/p/";
  if (look.firstUV || look.secondUV) look.texture = textures.BaseColour(0, "material 'M'");
  out.text = gltf2demo::MaterialText(model, 0, "Mesh", look, textures, out.notes);
  return out;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The mesh's coordinates of the base colour's set carry its transform already; another
// texture on that set must not get it twice.
TEST(SurfaceMaterial, ATextureOnTheBaseColoursSetIsLaidOnRelativeToWhatTheMeshCarries) {
  tinygltf::Model model = OneMaterial();
  tinygltf::Material& m = model.materials[0];
  m.pbrMetallicRoughness.baseColorTexture.index = 0;
  m.pbrMetallicRoughness.baseColorTexture.extensions["KHR_texture_transform"] = Transform(0.5, 2);
  m.emissiveTexture.index = 1;  // the same transform: nothing left to do
  m.emissiveTexture.extensions["KHR_texture_transform"] = Transform(0.5, 2);
  m.occlusionTexture.index = 2;  // none of its own: the base colour's undone
  SurfaceLook look;
  look.firstUV = true;
  const Written w = Write(model, look);
  EXPECT_TRUE(Has(w.text, "{\"BaseColourU\", \"float3\", {1, 0, 0}}")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"EmissiveU\", \"float3\", {1, 0, 0}}")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"OcclusionU\", \"float3\", {0.5, 0, -0.25}}")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"OcclusionV\", \"float3\", {0, 0.5, 0}}")) << w.text;
  EXPECT_TRUE(Has(w.text, "tec = \"Opaque_UV0\"")) << w.text;
}

// A shader that reads a stream the mesh lacks cannot be drawn at all, so a texture on a set
// the mesh has not got is left out, said, and its stream not read.
TEST(SurfaceMaterial, ATextureOnASetTheMeshLacksIsLeftOutAndItsStreamNotRead) {
  tinygltf::Model model = OneMaterial();
  model.materials[0].pbrMetallicRoughness.baseColorTexture.index = 0;
  model.materials[0].emissiveTexture.index = 1;
  model.materials[0].emissiveTexture.texCoord = 1;
  SurfaceLook look;
  look.firstUV = true;
  Written w = Write(model, look);
  EXPECT_TRUE(Has(w.text, "tec = \"Opaque_UV0\"")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"EmissiveSampling\", \"float4\", {-1, 0, 0, 0}}")) << w.text;
  ASSERT_EQ(w.notes.Lines().size(), 1u);
  EXPECT_EQ(w.notes.Lines()[0], "mesh 'Mesh': its emissive texture, since the mesh has no texture coordinates TEXCOORD_1");

  look.secondUV = true;
  w = Write(model, look);
  EXPECT_TRUE(Has(w.text, "tec = \"Opaque_UV01\"")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"EmissiveSampling\", \"float4\", {1, 0, 0, 0}}")) << w.text;
  EXPECT_TRUE(w.notes.Lines().empty());

  // A normal texture needs the tangents the mesh conversion makes.
  model.materials[0].normalTexture.index = 2;
  w = Write(model, look);
  EXPECT_FALSE(Has(w.text, "Tangent")) << w.text;
  EXPECT_TRUE(Has(w.notes.Lines().back(), "its normal texture, since the mesh has no tangents"));
  look.tangents = true;
  EXPECT_TRUE(Has(Write(model, look).text, "tec = \"Opaque_UV01_Tangent\""));
}

// Passes of one effect file share its variables: every switch is written, so a mesh
// without a texture never samples the one the mesh before it set.
TEST(SurfaceMaterial, EverySwitchIsWrittenWhereTheMaterialHasNoTextures) {
  const Written w = Write(OneMaterial(), SurfaceLook());
  for (const char* map : {"BaseColour", "MetallicRoughness", "Normal", "Occlusion", "Emissive"})
    EXPECT_TRUE(Has(w.text, std::string("{\"") + map + "Sampling\", \"float4\", {-1, 0, 0, 0}}")) << map;
  for (const char* param : {"\"BaseColourFactor\"", "\"Metallic\"", "\"Roughness\"", "\"NormalScale\"",
                            "\"OcclusionStrength\"", "\"Emissive\"", "\"AlphaMode\"", "\"AlphaCutoff\"", "\"Unlit\"",
                            "\"Sky\"", "\"Ground\"", "\"Sunlight\"", "\"SunColour\"", "\"Shadows\""})
    EXPECT_TRUE(Has(w.text, param)) << param;
  EXPECT_TRUE(Has(w.text, "tec = \"Opaque_Plain\"")) << w.text;
}

TEST(SurfaceMaterial, BlendedSurfacesDrawLaterWithoutCastingAndMaskedOnesKeepTheirShadow) {
  tinygltf::Model model = OneMaterial();
  model.materials[0].alphaMode = "BLEND";
  Written w = Write(model, SurfaceLook());
  EXPECT_TRUE(Has(w.text, "tec = \"Blended_Plain\"")) << w.text;
  EXPECT_TRUE(Has(w.text, "priority = 1")) << w.text;
  EXPECT_FALSE(Has(w.text, "shadowcaster")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"AlphaMode\", \"int\", 2}")) << w.text;

  model.materials[0].alphaMode = "MASK";
  model.materials[0].alphaCutoff = 0.25;
  w = Write(model, SurfaceLook());
  EXPECT_TRUE(Has(w.text, "tec = \"Opaque_Plain\"")) << w.text;
  EXPECT_FALSE(Has(w.text, "priority")) << w.text;
  EXPECT_TRUE(Has(w.text, "template = \"fx/shadowcaster.tpl\"")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"AlphaMode\", \"int\", 1}")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"AlphaCutoff\", \"float\", 0.25}")) << w.text;
}

TEST(SurfaceMaterial, EmissionTakesItsStrengthAndABrokenOneIsRefusedByName) {
  tinygltf::Model model = OneMaterial();
  model.materials[0].emissiveFactor = {1, 0.5, 0};
  model.materials[0].extensions["KHR_materials_emissive_strength"] =
      tinygltf::Value(tinygltf::Value::Object{{"emissiveStrength", tinygltf::Value(4.0)}});
  Written w = Write(model, SurfaceLook());
  EXPECT_TRUE(Has(w.text, "{\"Emissive\", \"float4\", {4, 2, 0, 0}}")) << w.text;
  EXPECT_TRUE(w.notes.Lines().empty());

  model.materials[0].extensions["KHR_materials_emissive_strength"] =
      tinygltf::Value(tinygltf::Value::Object{{"emissiveStrength", tinygltf::Value(std::string("bright"))}});
  try {
    Write(model, SurfaceLook());
    FAIL() << "a strength that is not a number was taken";
  } catch (const gltf2demo::GltfError& e) {
    EXPECT_EQ(std::string(e.what()), "material 'M': its emissive strength is not a number of 0 or more");
  }
}

TEST(SurfaceMaterial, AnUnlitMaterialShowsItsBaseColourAlone) {
  tinygltf::Model model = OneMaterial();
  model.materials[0].extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object{});
  model.materials[0].normalTexture.index = 1;
  SurfaceLook look;
  look.firstUV = look.tangents = true;
  const Written w = Write(model, look);
  EXPECT_TRUE(Has(w.text, "{\"Unlit\", \"bool\", true}")) << w.text;
  EXPECT_TRUE(Has(w.text, "{\"NormalSampling\", \"float4\", {-1, 0, 0, 0}}")) << w.text;
  EXPECT_TRUE(w.notes.Lines().empty()) << w.notes.Lines()[0];
}

}  // namespace
