#include "partFrame.h"

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>

#include "support/golden_image.h"
#include "testScene.h"

namespace partframe {

namespace fs = boost::filesystem;

::testing::AssertionResult ConvertIntoTheDemo(testing_support::ScratchDir& dir, const std::string& scene,
                                              const std::function<bool()>& write, const std::string& options) {
  // The built demo's data, with the intro replaced by the converted scene. The program
  // registers its generated grid in the intro's folder whatever that part shows, so the
  // grid's material comes along.
  const fs::path data(NEBLU_DATA_DIR);
  for (const fs::directory_entry& entry : fs::directory_iterator(data)) {
    const std::string name = entry.path().filename().string();
    // The log too: other runs write theirs into the build's data/, and this run's log is
    // read back as its own.
    if (name == "intro.demo" || name == "intro.demo_scene" || name == "log.html") continue;
    fs::create_symlink(entry.path(), dir.Path("data/" + name));
  }
  fs::create_directories(dir.Path("data/intro.demo_scene"));
  fs::copy_file(data / "intro.demo_scene" / "Grid.nbl.efx", dir.Path("data/intro.demo_scene/Grid.nbl.efx"));
  if (!(write ? write() : testscene::WriteTestScene(dir.Path(""))))
    return ::testing::AssertionFailure() << "the scene was not written";
  const std::string convert = std::string("cd '") + dir.Path("") + "' && '" + GLTF2DEMO + "' " + options + " " + scene +
                              " data intro 2> notes.txt";
  if (std::system(convert.c_str()) != 0) return ::testing::AssertionFailure() << dir.Read("notes.txt");
  return ::testing::AssertionSuccess();
}

std::string LogRows(testing_support::ScratchDir& dir) {
  const std::string log = dir.Read("data/log.html");
  return log.substr(std::min(log.size(), log.find("</style>")));
}

void PlaysAsItsGolden(testing_support::ScratchDir& dir, const std::string& name) {
  const std::string play = std::string("cd '") + dir.Path("") + "' && DISPLAY= WAYLAND_DISPLAY= '" + NEBLU_GAME +
                           "' -nodialog -headless -log -size 320x180 -capture frames -fps 10 -start 1.0 -end 1.1 > run.txt 2>&1";
  ASSERT_EQ(std::system(play.c_str()), 0) << dir.Read("run.txt");
  testing_support::Image frame;
  ASSERT_TRUE(testing_support::ReadPng(dir.Path("frames/frame000000.png"), &frame)) << "no frame was captured:\n"
                                                                                   << dir.Read("run.txt");
  const std::string rows = LogRows(dir);
  EXPECT_EQ(rows.find("class=\"warning\""), std::string::npos) << "the run logged a warning:\n" << rows;
  EXPECT_EQ(rows.find("class=\"error\""), std::string::npos) << "the run logged an error:\n" << rows;
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GLTF2DEMO_GOLDEN_DIR, name, frame, 24, frame.width * frame.height / 100));
}

}  // namespace partframe
