// The tests' glTF scenes converted and played by the demo program as its first part, one
// frame captured at 320x180 and held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1
// rewrites it). The tower stands on the slab's right, and the checker's red quadrant is
// top left: the pictures show which way round the conversion puts a scene and a texture.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <functional>
#include <string>

#include "featureScenes.h"
#include "partFrame.h"
#include "support/golden_image.h"
#include "support/scratch_dir.h"
#include "testScene.h"

namespace {

namespace fs = boost::filesystem;

using partframe::ConvertIntoTheDemo;
using partframe::LogRows;
using partframe::PlaysAsItsGolden;

TEST(Gltf2DemoFrame, TheConvertedSceneDrawsAsItsGolden) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir));
  // One second in, the tower is at its second key, turned about a slanted axis.
  PlaysAsItsGolden(dir, "gltf2demo_scene");
}

// The checker on every face of a box, through the second texture coordinate set (the
// first holds its mirror image), under the added camera and sun.
TEST(Gltf2DemoFrame, TheTexturedBoxDrawsAsItsGolden) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "crate.glb", [&dir] {
    const auto crate = featurescenes::TexturedBox(featurescenes::ImageSource::BufferView);
    return featurescenes::Save(crate, dir.Path("crate.glb"), true);
  }));
  ASSERT_TRUE(dir.Exists("data/intro.demo_scene/Checker.png")) << dir.Read("notes.txt");
  PlaysAsItsGolden(dir, "gltf2demo_textured");
}

// The same box with its picture as a JPEG file beside the scene: the picture is copied
// into the part's folder and decoded by the engine.
TEST(Gltf2DemoFrame, TheTexturedBoxWithAJpegBesideItDrawsAsItsGolden) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "crate.gltf", [&dir] {
    dir.Write("checker.jpg", featurescenes::CheckerJpeg());
    const auto crate = featurescenes::TexturedBox(featurescenes::ImageSource::File);
    return featurescenes::Save(crate, dir.Path("crate.gltf"), false);
  }));
  ASSERT_TRUE(dir.Exists("data/intro.demo_scene/checker.jpg")) << dir.Read("notes.txt");
  PlaysAsItsGolden(dir, "gltf2demo_textured_jpeg");
}

// Left, the checker times vertex colours fading from white at the top to blue at the
// bottom; right, a box of byte colours, one a face.
TEST(Gltf2DemoFrame, TheVertexColouredBoxesDrawAsTheirGolden) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "tinted.gltf", [&dir] {
    return featurescenes::Save(featurescenes::ColouredBoxes(), dir.Path("tinted.gltf"), false);
  }));
  PlaysAsItsGolden(dir, "gltf2demo_coloured");
}

// One mesh placed by a thousand nodes: one mesh file, and every node's copy drawn (a
// square of 32 by 32 pebbles, less 24 from the far corner of the last row).
TEST(Gltf2DemoFrame, OneMeshPlacedAThousandTimesDrawsEveryCopy) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "pebbles.glb", [&dir] {
    return featurescenes::Save(featurescenes::PlacedCopies(1000, 1.5, 0.5), dir.Path("pebbles.glb"), true);
  }));
  int meshFiles = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.Path("data/intro.demo_scene"))) {
    if (entry.path().extension() == ".nbl") ++meshFiles;
  }
  EXPECT_EQ(meshFiles, 2) << "the pebble and the Post trigger";
  PlaysAsItsGolden(dir, "gltf2demo_thousand");
}

// A scene far larger than the clip range, lit by a sun in lux, one of its boxes mirrored:
// fitted, exposed for and every box shown from outside (four lit boxes, not a flat colour).
TEST(Gltf2DemoFrame, ALargeSceneInLuxIsFittedAndExposed) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "large.glb", [&dir] {
    return featurescenes::Save(featurescenes::LargeSunlitScene(), dir.Path("large.glb"), true);
  }));
  const std::string notes = dir.Read("notes.txt");
  EXPECT_NE(notes.find("added: a scale of 0.1 on the whole scene"), std::string::npos) << notes;
  EXPECT_NE(notes.find("added: light 'Daylight': an exposure of 1/6.83e+03"), std::string::npos) << notes;
  PlaysAsItsGolden(dir, "gltf2demo_large_lux");
}

// Most files have no directional light: the conversion adds a sun of its own, says so,
// and the part plays lit and shadowed with a clean log.
TEST(Gltf2DemoFrame, ASceneWithoutADirectionalLightGetsALamp) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, "scene.gltf", [&dir] {
    if (!testscene::WriteTestScene(dir.Path(""))) return false;
    std::string gltf = dir.Read("scene.gltf");
    const std::string sun = "\"type\": \"directional\"";
    const auto at = gltf.find(sun);
    if (at == std::string::npos) return false;
    dir.Write("scene.gltf", gltf.replace(at, sun.size(), "\"type\": \"point\""));
    return true;
  }));
  EXPECT_NE(dir.Read("notes.txt").find("added: a \"Lamp\""), std::string::npos) << dir.Read("notes.txt");
  EXPECT_NE(dir.Read("data/intro.demo").find("Lamp"), std::string::npos) << "the scene has no lamp";
  const std::string play = std::string("cd '") + dir.Path("") + "' && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                           "' -nodialog -headless -log -size 160x90 -capture frames -fps 10 -end 0.5 > run.txt 2>&1";
  ASSERT_EQ(std::system(play.c_str()), 0) << dir.Read("run.txt");
  EXPECT_TRUE(fs::exists(dir.Path("frames/frame000004.png"))) << dir.Read("run.txt");
  const std::string rows = LogRows(dir);
  EXPECT_EQ(rows.find("class=\"warning\""), std::string::npos) << "the run logged a warning";
  EXPECT_EQ(rows.find("class=\"error\""), std::string::npos) << "the run logged an error";
}

}  // namespace
