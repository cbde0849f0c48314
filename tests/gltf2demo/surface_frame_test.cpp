// The surface scenes (surfaceScenes.h) converted into the demo as its first part and one
// frame of each, at 320x180, held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1
// rewrites them): what each feature group of glTF's materials looks like once drawn,
// with a log free of warnings (a parameter the effect lacks, a texture that did not load).

#include <gtest/gtest.h>

#include <string>

#include "partFrame.h"
#include "surfaceScenes.h"

namespace {

// The surface scene `scene` converted into the demo as its intro, with gltf2demo `options`.
void Convert(testing_support::ScratchDir& dir, const tinygltf::Model& scene, const std::string& options = "") {
  ASSERT_TRUE(partframe::ConvertIntoTheDemo(
      dir, "scene.glb",
      [&] {
        tinygltf::TinyGLTF writer;
        writer.SetImageWriter(nullptr, nullptr);
        return writer.WriteGltfSceneToFile(&scene, dir.Path("scene.glb"), false, false, true, true);
      },
      options));
}

using partframe::PlaysAsItsGolden;

// Top row red plastic, bottom row gold, roughness rising to the right: highlights that
// widen and dim, gold reflecting the sky and ground in its own colour.
TEST(SurfaceFrame, MetalAndRoughnessSpheres) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::MetalRoughSpheres());
  PlaysAsItsGolden(dir, "surface_metal_rough");
}

// Ridges that light on the side the sun grazes, alike with the file's tangents and with
// made ones; the plain tile beside them flat.
TEST(SurfaceFrame, NormalMappedTiles) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::NormalMappedTiles());
  PlaysAsItsGolden(dir, "surface_normal_map");
}

TEST(SurfaceFrame, EmissionAndOcclusion) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::EmissiveAndOcclusion());
  PlaysAsItsGolden(dir, "surface_emissive_occlusion");
}

// The blended pane must draw after the box and the floor behind it, whatever order the
// meshes come in.
TEST(SurfaceFrame, MaskedAndBlendedPanes) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::MaskAndBlend());
  const std::string glass = dir.Read("data/intro.demo_scene/Glass.nbl.efx");
  EXPECT_NE(glass.find("tec = \"Blended_Plain\""), std::string::npos) << glass;
  EXPECT_NE(glass.find("priority = 1"), std::string::npos) << glass;
  PlaysAsItsGolden(dir, "surface_mask_blend");
}

TEST(SurfaceFrame, UnlitBesideLit) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::UnlitAndLit());
  PlaysAsItsGolden(dir, "surface_unlit");
}

TEST(SurfaceFrame, TextureOnTheSecondSet) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::SecondTextureSet());
  PlaysAsItsGolden(dir, "surface_second_set");
}

// Without shadows nothing casts and nothing reads the shadow map, which no pass then clears.
TEST(SurfaceFrame, MetalAndRoughnessSpheresWithoutShadows) {
  testing_support::ScratchDir dir;
  Convert(dir, surfacescenes::MetalRoughSpheres(), "--no-shadows");
  const std::string gold = dir.Read("data/intro.demo_scene/Gold0.nbl.efx");
  EXPECT_EQ(gold.find("shadowcaster"), std::string::npos) << gold;
  EXPECT_NE(gold.find("{\"Shadows\", \"bool\", false}"), std::string::npos) << gold;
  PlaysAsItsGolden(dir, "surface_metal_rough_unshadowed");
}

}  // namespace
