// The built demo files are cut to the soundtrack's score: every part lasts exactly its
// section, in the order the program plays them, so part switches fall on the music's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/textConversion.h"
#include "engine/gfx/demoFileReader.h"
#include "game/TestScene1.h"
#include "tools/demo/sceneDescription.h"

namespace {

TEST(PartLengthsTest, EveryPartLastsItsSectionOfTheScoreAndSwitchesOnADownbeat) {
  const std::string data = NEBLU_DATA_DIR;
  const std::vector<demo::ScoreSection> sections = demo::ReadScoreSections(data + "/sections.txt");
  ASSERT_EQ(sections.size(), 5u);
  int start = 0;
  for (size_t i = 0; i < 5; ++i) {
    // "data/intro.demo" and so on, in play order.
    const std::string file = engine::core::ToNarrow(TestScene1::PartFiles[i]);
    const std::string part = file.substr(5, file.size() - 10);
    EXPECT_EQ(sections[i].name, part);
    const engine::gfx::DemoFile demo = engine::gfx::ReadDemoFile(data + "/" + file.substr(5));
    EXPECT_EQ(demo.length, sections[i].frames) << file;
    EXPECT_EQ(sections[i].first, start) << file;
    // 48 frames a bar at 125 beats a minute.
    EXPECT_EQ(start % 48, 0) << file << " starts off the bar";
    start += demo.length;
  }
}

}  // namespace
