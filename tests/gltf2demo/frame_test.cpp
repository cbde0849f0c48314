// The tests' glTF scene converted and played by the demo program as its first part, one
// frame captured at 320x180 and held to a reviewed golden picture (NEBLU_UPDATE_GOLDENS=1
// rewrites it). The tower stands on the slab's right: the picture shows which way round
// the conversion puts a scene.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>
#include <string>

#include "support/golden_image.h"
#include "support/scratch_dir.h"
#include "testScene.h"

namespace {

namespace fs = boost::filesystem;

TEST(Gltf2DemoFrame, TheConvertedSceneDrawsAsItsGolden) {
  testing_support::ScratchDir dir;
  // The built demo's data, with the intro replaced by the converted scene. The program
  // registers its generated grid in the intro's folder whatever that part shows, so the
  // grid's material comes along. The built-in quad is written and removed by the engine
  // itself, so it is left out rather than written through a link into the build.
  const fs::path data(NEBLU_DATA_DIR);
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    const std::string name = entry.path().filename().string();
    if (name == "intro.demo" || name == "intro.demo_scene" || name == "quad.nbl") continue;
    fs::create_symlink(entry.path(), dir.Path("data/" + name));
  }
  fs::create_directories(dir.Path("data/intro.demo_scene"));
  fs::copy_file(data / "intro.demo_scene" / "Grid.nbl.efx", dir.Path("data/intro.demo_scene/Grid.nbl.efx"));
  ASSERT_TRUE(testscene::WriteTestScene(dir.Path("")));
  const std::string convert = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' scene.gltf data intro 2> notes.txt";
  ASSERT_EQ(std::system(convert.c_str()), 0) << dir.Read("notes.txt");

  // One second in, the tower is at its second key, turned about a slanted axis.
  const std::string play = std::string("cd '") + dir.Path("") + "' && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                           "' -nodialog -headless -log -size 320x180 -capture frames -fps 10 -start 1.0 -end 1.1 > run.txt 2>&1";
  ASSERT_EQ(std::system(play.c_str()), 0) << dir.Read("run.txt");
  testing_support::Image frame;
  ASSERT_TRUE(testing_support::ReadPng(dir.Path("frames/frame000000.png"), &frame)) << "no frame was captured:\n"
                                                                                   << dir.Read("run.txt");
  const std::string log = dir.Read("data/log.html");
  const std::string rows = log.substr(std::min(log.size(), log.find("</style>")));
  EXPECT_EQ(rows.find("class=\"warning\""), std::string::npos) << "the run logged a warning";
  EXPECT_EQ(rows.find("class=\"error\""), std::string::npos) << "the run logged an error";
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GLTF2DEMO_GOLDEN_DIR, "gltf2demo_scene", frame, 24,
                                             frame.width * frame.height / 100));
}

}  // namespace
