// The tests' glTF scene converted and played by the demo program as its first part, one
// frame captured at 320x180 and held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1
// rewrites it). The tower stands on the slab's right: the picture shows which way round
// the conversion puts a scene.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <functional>
#include <string>

#include "support/golden_image.h"
#include "support/scratch_dir.h"
#include "testScene.h"

namespace {

namespace fs = boost::filesystem;

// The built demo's data in DIR with the intro replaced by the tests' scene, converted;
// `edit` may change the glTF text first.
::testing::AssertionResult ConvertIntoTheDemo(testing_support::ScratchDir& dir,
                                              const std::function<std::string(std::string)>& edit = nullptr) {
  // The built demo's data, with the intro replaced by the converted scene. The program
  // registers its generated grid in the intro's folder whatever that part shows, so the
  // grid's material comes along. The built-in quad is written and removed by the engine
  // itself, so it is left out rather than written through a link into the build.
  const fs::path data(NEBLU_DATA_DIR);
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    const std::string name = entry.path().filename().string();
    // The log too: other runs write theirs into the build's data/, and this run's log is
    // read back as its own.
    if (name == "intro.demo" || name == "intro.demo_scene" || name == "quad.nbl" || name == "log.html") continue;
    fs::create_symlink(entry.path(), dir.Path("data/" + name));
  }
  fs::create_directories(dir.Path("data/intro.demo_scene"));
  fs::copy_file(data / "intro.demo_scene" / "Grid.nbl.efx", dir.Path("data/intro.demo_scene/Grid.nbl.efx"));
  if (!testscene::WriteTestScene(dir.Path(""))) return ::testing::AssertionFailure() << "the scene was not written";
  if (edit) dir.Write("scene.gltf", edit(dir.Read("scene.gltf")));
  const std::string convert = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' scene.gltf data intro 2> notes.txt";
  if (std::system(convert.c_str()) != 0) return ::testing::AssertionFailure() << dir.Read("notes.txt");
  return ::testing::AssertionSuccess();
}

// The run's own log rows, after the style sheet.
std::string LogRows(testing_support::ScratchDir& dir) {
  const std::string log = dir.Read("data/log.html");
  return log.substr(std::min(log.size(), log.find("</style>")));
}

TEST(Gltf2DemoFrame, TheConvertedSceneDrawsAsItsGolden) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir));

  // One second in, the tower is at its second key, turned about a slanted axis.
  const std::string play = std::string("cd '") + dir.Path("") + "' && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                           "' -nodialog -headless -log -size 320x180 -capture frames -fps 10 -start 1.0 -end 1.1 > run.txt 2>&1";
  ASSERT_EQ(std::system(play.c_str()), 0) << dir.Read("run.txt");
  testing_support::Image frame;
  ASSERT_TRUE(testing_support::ReadPng(dir.Path("frames/frame000000.png"), &frame)) << "no frame was captured:\n"
                                                                                   << dir.Read("run.txt");
  const std::string rows = LogRows(dir);
  EXPECT_EQ(rows.find("class=\"warning\""), std::string::npos) << "the run logged a warning";
  EXPECT_EQ(rows.find("class=\"error\""), std::string::npos) << "the run logged an error";
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GLTF2DEMO_GOLDEN_DIR, "gltf2demo_scene", frame, 24,
                                             frame.width * frame.height / 100));
}

// Most files have no directional light: the conversion adds a sun of its own, says so,
// and the part plays lit and shadowed with a clean log.
TEST(Gltf2DemoFrame, ASceneWithoutADirectionalLightGetsALamp) {
  testing_support::ScratchDir dir;
  ASSERT_TRUE(ConvertIntoTheDemo(dir, [](std::string gltf) {
    const std::string sun = "\"type\": \"directional\"";
    const auto at = gltf.find(sun);
    return at == std::string::npos ? gltf : gltf.replace(at, sun.size(), "\"type\": \"point\"");
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
