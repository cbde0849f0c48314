// The surface scenes (surfaceScenes.h) converted into the demo as its first part and one
// frame of each, at 320x180, held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1
// rewrites them): what each feature group of glTF's materials looks like once drawn,
// with a log free of warnings (a parameter the effect lacks, a texture that did not load).

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <string>

#include "surfaceScenes.h"
#include "support/golden_image.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = boost::filesystem;

bool Save(const tinygltf::Model& model, const std::string& path) {
  tinygltf::TinyGLTF writer;
  writer.SetImageWriter(nullptr, nullptr);
  return writer.WriteGltfSceneToFile(&model, path, false, false, true, true);
}

// The built demo's data in the scratch folder with the intro replaced by `scene`; `options`
// go to gltf2demo.
void Convert(testing_support::ScratchDir& dir, const tinygltf::Model& scene, const std::string& options = "") {
  const fs::path data(NEBLU_DATA_DIR);
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    const std::string name = entry.path().filename().string();
    if (name == "intro.demo" || name == "intro.demo_scene" || name == "log.html") continue;
    fs::create_symlink(entry.path(), dir.Path("data/" + name));
  }
  fs::create_directories(dir.Path("data/intro.demo_scene"));
  // The program registers its generated grid in the intro's folder whatever that part shows.
  fs::copy_file(data / "intro.demo_scene" / "Grid.nbl.efx", dir.Path("data/intro.demo_scene/Grid.nbl.efx"));
  ASSERT_TRUE(Save(scene, dir.Path("scene.glb")));
  const std::string convert = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' " + options +
                              " scene.glb data intro 2> notes.txt";
  ASSERT_EQ(std::system(convert.c_str()), 0) << dir.Read("notes.txt");
}

// One frame a second in, held to golden NAME, with a clean log.
void PlaysAsItsGolden(testing_support::ScratchDir& dir, const std::string& name) {
  const std::string play = std::string("cd '") + dir.Path("") + "' && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                           "' -nodialog -headless -log -size 320x180 -capture frames -fps 10 -start 1.0 -end 1.1 > run.txt 2>&1";
  ASSERT_EQ(std::system(play.c_str()), 0) << dir.Read("run.txt");
  testing_support::Image frame;
  ASSERT_TRUE(testing_support::ReadPng(dir.Path("frames/frame000000.png"), &frame)) << dir.Read("run.txt");
  const std::string log = dir.Read("data/log.html");
  const std::string rows = log.substr(std::min(log.size(), log.find("</style>")));
  EXPECT_EQ(rows.find("class=\"warning\""), std::string::npos) << "the run logged a warning:\n" << rows;
  EXPECT_EQ(rows.find("class=\"error\""), std::string::npos) << "the run logged an error:\n" << rows;
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GLTF2DEMO_GOLDEN_DIR, name, frame, 24, frame.width * frame.height / 100));
}

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
