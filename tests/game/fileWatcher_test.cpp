// -watch's watcher over folders that go and come back: a part exported again into a
// clean folder (deleted, made again, written) still reloads, and so does a file in a
// folder nested inside the one that went. The watcher reloads once its folders have
// been quiet for a moment, so the tests run it until the reload they wait for comes;
// the deadline is only a guard against a watcher that never reloads.

#include "authoring/fileWatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/scratch_dir.h"

namespace {

// Reads its files as they are when a reload round reaches it.
class RecordingKind : public ReloadKind {
 public:
  RecordingKind(std::set<std::string> watched, std::vector<std::pair<std::string, std::string>>* record)
      : files(std::move(watched)), seen(record) {}
  std::set<std::string> Files() override { return files; }
  void Reload(const std::set<std::string>& changed) override {
    for (const std::string& file : changed) {
      boost::system::error_code code;
      const bool present = boost::filesystem::exists(file, code);
      seen->emplace_back(file, present ? testing_support::ScratchDir::ReadFile(file) : "(missing)");
    }
  }

 private:
  std::set<std::string> files;
  std::vector<std::pair<std::string, std::string>>* seen;
};

class FileWatcherTest : public ::testing::Test {
 protected:
  void Watch(const std::set<std::string>& files) {
    watcher.Add(std::unique_ptr<ReloadKind>(new RecordingKind(files, &seen)));
    ASSERT_TRUE(watcher.Start());
  }

  // Runs the watcher until a reload round has shown `file` holding `bytes`.
  bool ReloadsTo(const std::string& file, const std::string& bytes) {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < guard) {
      watcher.Update();
      for (const auto& reload : seen) {
        if (reload.first == file && reload.second == bytes) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  testing_support::ScratchDir dir;
  std::vector<std::pair<std::string, std::string>> seen;
  FileWatcher watcher;
};

TEST_F(FileWatcherTest, AFolderMadeAgainIsWatchedAgain) {
  dir.Write("data/part_scene/Mark.nbl.efx", "first");
  Watch({"data/part_scene/Mark.nbl.efx"});

  dir.Write("data/part_scene/Mark.nbl.efx", "saved");
  ASSERT_TRUE(ReloadsTo("data/part_scene/Mark.nbl.efx", "saved")) << "a plain save did not reload";

  boost::filesystem::remove_all(dir.Path("data/part_scene"));
  ASSERT_TRUE(ReloadsTo("data/part_scene/Mark.nbl.efx", "(missing)")) << "the deleted folder's file did not reload";

  // The export again: the folder made, the file written, before the watcher looks.
  dir.Write("data/part_scene/Mark.nbl.efx", "exported");
  EXPECT_TRUE(ReloadsTo("data/part_scene/Mark.nbl.efx", "exported"))
      << "the file written into the folder made again did not reload";

  // And the folder made again stays watched for later saves.
  dir.Write("data/part_scene/Mark.nbl.efx", "saved again");
  EXPECT_TRUE(ReloadsTo("data/part_scene/Mark.nbl.efx", "saved again"));
}

TEST_F(FileWatcherTest, AFolderNestedInOneThatWentIsWatchedOnceBothAreBack) {
  dir.Write("data/part_scene/textures/mark.png", "first");
  Watch({"data/part_scene/textures/mark.png"});

  boost::filesystem::remove_all(dir.Path("data/part_scene"));
  ASSERT_TRUE(ReloadsTo("data/part_scene/textures/mark.png", "(missing)"));

  // First only the outer folder, and the watcher sees it (its events are queued by the
  // time the call returns) before the inner one exists.
  boost::filesystem::create_directories(dir.Path("data/part_scene"));
  watcher.Update();
  dir.Write("data/part_scene/textures/mark.png", "exported");
  EXPECT_TRUE(ReloadsTo("data/part_scene/textures/mark.png", "exported"));

  dir.Write("data/part_scene/textures/mark.png", "saved");
  EXPECT_TRUE(ReloadsTo("data/part_scene/textures/mark.png", "saved"));
}

TEST_F(FileWatcherTest, AFolderMissingAtTheStartIsWatchedOnceItIsMade) {
  Watch({"content/scenes/intro.scene.lua"});
  dir.Write("content/scenes/intro.scene.lua", "written");
  EXPECT_TRUE(ReloadsTo("content/scenes/intro.scene.lua", "written"));
}

}  // namespace
