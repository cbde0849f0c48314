// Paths that name something other than a file: a folder, a FIFO, a dangling link. Every
// reader must say there is no such file and go on; opening a FIFO would block the run
// until some writer came, which for a path in a demo's data is never.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/luaWrapper.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/demoFileReader.h"
#include "engine/gfx/mesh.h"
#include "platform/paths.h"
#include "support/mesh_support.h"

namespace {

using testing_support::ErrorOf;

class FileKindsTest : public testing_support::MeshTest {
 protected:
  void SetUp() override {
    // A reader that opens the FIFO blocks for good; the alarm turns that hang into a
    // failure of this test instead of one of the whole run's time limit.
    alarm(120);
    ASSERT_EQ(::mkfifo(dir.Path("data/fifo").c_str(), 0600), 0);
    boost::filesystem::create_directory(dir.Path("data/folder"));
    boost::filesystem::create_symlink(dir.Path("data/gone"), dir.Path("data/dangling"));
    dir.Write("data/file", "x");
    boost::filesystem::create_symlink(dir.Path("data/file"), dir.Path("data/link"));
  }
  void TearDown() override { alarm(0); }

  static constexpr const char* kNotFiles[] = {"fifo", "folder", "dangling"};
};

TEST_F(FileKindsTest, OnlyRegularFilesAndLinksToThemAreFiles) {
  for (const char* name : kNotFiles) EXPECT_FALSE(platform::IsRegularFile("data/" + std::string(name))) << name;
  EXPECT_TRUE(platform::IsRegularFile("data/file"));
  EXPECT_TRUE(platform::IsRegularFile("data/link"));
}

TEST_F(FileKindsTest, EveryReaderTakesThemForMissingFiles) {
  for (const std::string name : kNotFiles) {
    SCOPED_TRACE(name);
    const std::string path = "data\\" + name;
    const std::wstring wide(path.begin(), path.end());
    EXPECT_EQ(ErrorOf([&] { engine::gfx::LoadNBLMesh mesh(wide); }), path + " mesh not found");
    engine::gfx::LoadMesh mesh;
    EXPECT_FALSE(mesh.Deserialize(path));
    const std::string script = ErrorOf([&] { engine::core::LuaScript run(path); });
    EXPECT_EQ(script.rfind("Error in lua script: cannot open " + path, 0), 0u) << script;
    try {
      engine::gfx::ReadDemoFile(path);
      ADD_FAILURE() << "a demo file was read";
    } catch (const engine::gfx::DemoFileError& e) {
      EXPECT_STREQ(e.what(), "No such demo file found");
    }
  }
}

}  // namespace
