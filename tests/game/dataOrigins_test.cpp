// Where the data folder's files came from, and the saves and reloads that go to those
// sources first so that the next build does not undo them.

#include "authoring/dataOrigins.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "authoring/fileReplace.h"
#include "authoring/partReload.h"
#include "authoring/reloadReport.h"
#include "authoring/sourceCopyReload.h"
#include "game/TestScene1.h"
#include "support/scratch_dir.h"

namespace {

std::string Line(const std::string& copy, const std::string& source) { return copy + "\t" + source + "\n"; }

// origins.txt written anew with a later time than any before, so the program sees the
// change however coarse the file system's clock.
void WriteOrigins(const testing_support::ScratchDir& dir, const std::string& text) {
  static int writes = 0;
  dir.Write("data/origins.txt", text);
  std::filesystem::last_write_time(dir.Path("data/origins.txt"),
                                   std::filesystem::file_time_type::clock::now() + std::chrono::seconds(++writes));
}

TEST(DataOriginsTest, ReadsEachFileAndItsSourceAndPassesOverTheRest) {
  const DataOrigins origins = DataOrigins::Parse(
      "# a comment\n"
      "\n" +
          Line("fx/ring.fx", "/src/data/fx/ring.fx") + Line("part.demo", "/src/scenes/part.scene.lua") +
          "wireframe.efx\t/src/data/wireframe.efx\r\n"  // written on another system
          "no tab here\n"
          "\t/a/source/without/a/name\n"
          "a/name/without/a/source\t\n" +
          Line("../outside.fx", "/src/outside.fx") + Line("/etc/passwd", "/src/x") +
          Line("part./../", "/src/the/folder/itself") + Line(".", "/src/dot") + Line("\\", "/src/root") +
          Line("fx/./../fx/relative.fx", "../kept/relative.fx") + Line("fx\\back.fx", "/src/back.fx"),
      "data");
  ASSERT_EQ(origins.All().size(), 5u);
  EXPECT_EQ(origins.SourceOf("data/fx/ring.fx"), "/src/data/fx/ring.fx");
  EXPECT_EQ(origins.SourceOf("data/./fx/ring.fx"), "/src/data/fx/ring.fx") << "the program's spelling, normalised";
  EXPECT_EQ(origins.SourceOf("data/wireframe.efx"), "/src/data/wireframe.efx");
  // A relative source is taken from the data folder.
  EXPECT_EQ(origins.SourceOf("data/fx/relative.fx"), "kept/relative.fx");
  EXPECT_EQ(origins.SourceOf("data\\fx\\back.fx"), "/src/back.fx") << "names spelled as the engine spells them";
  EXPECT_EQ(origins.SourceOf("data/fx/other.fx"), "");
  EXPECT_EQ(origins.SourceOf("outside.fx"), "") << "names that leave the data folder are passed over";

  ASSERT_EQ(origins.Descriptions().size(), 1u);
  EXPECT_EQ(origins.Descriptions()[0].copy, "data/part.demo");
  EXPECT_EQ(origins.Copies().size(), 4u);
  EXPECT_TRUE(DataOrigins::Parse("", "data").All().empty());
}

TEST(DataOriginsTest, ASaveGoesToTheSourceAndThenToTheCopy) {
  testing_support::ScratchDir dir;
  dir.Write("kept/m.nbl.efx", "source text\n");
  dir.Write("data/m.nbl.efx", "source text\n");
  // Without origins the copy is all there is.
  EXPECT_EQ(EditedFileFor("data/m.nbl.efx"), "data/m.nbl.efx");

  WriteOrigins(dir, Line("m.nbl.efx", dir.Path("kept/m.nbl.efx")));
  const std::string edited = EditedFileFor("data/m.nbl.efx");
  EXPECT_EQ(edited, dir.Path("kept/m.nbl.efx"));
  std::string error;
  ASSERT_TRUE(ReplaceFileText(edited, "saved text\n", &error)) << error;
  ASSERT_TRUE(UpdateCopy(edited, "data/m.nbl.efx", &error)) << error;
  EXPECT_EQ(dir.Read("kept/m.nbl.efx"), "saved text\n");
  EXPECT_EQ(dir.Read("data/m.nbl.efx"), "saved text\n");
  // The copy is the file itself when there is no other.
  EXPECT_TRUE(UpdateCopy("data/m.nbl.efx", "data/m.nbl.efx", &error)) << error;

  // A source that has gone leaves the copy to be edited, rather than losing the save.
  std::filesystem::remove(dir.Path("kept/m.nbl.efx"));
  EXPECT_EQ(EditedFileFor("data/m.nbl.efx"), "data/m.nbl.efx");
  // A copy that cannot be written fails the save and says so.
  dir.Write("kept/m.nbl.efx", "again\n");
  std::filesystem::remove(dir.Path("data/m.nbl.efx"));
  std::filesystem::create_directory(dir.Path("data/m.nbl.efx"));
  EXPECT_FALSE(UpdateCopy(dir.Path("kept/m.nbl.efx"), "data/m.nbl.efx", &error));
  EXPECT_NE(error.find("m.nbl.efx"), std::string::npos) << error;
}

TEST(SourceCopyReloadTest, AChangedSourceIsCopiedOverItsCopyWhateverItHolds) {
  testing_support::ScratchDir dir;
  dir.Write("kept/fx/ring.fx", "float4 good;\n");
  dir.Write("kept/tex.png", std::string("\x89PNG\0\x01", 6));
  dir.Write("data/fx/ring.fx", "old\n");
  dir.Write("data/tex.png", "old");
  WriteOrigins(dir, Line("fx/ring.fx", dir.Path("kept/fx/ring.fx")) + Line("tex.png", dir.Path("kept/tex.png")) +
                        Line("part.demo", dir.Path("kept/part.scene.lua")));
  SourceCopyReload kind;
  EXPECT_EQ(kind.Files(), (std::set<std::string>{dir.Path("kept/fx/ring.fx"), dir.Path("kept/tex.png")}))
      << "descriptions are not copied but written into demo files";

  kind.Reload({dir.Path("kept/fx/ring.fx"), dir.Path("kept/tex.png")});
  EXPECT_EQ(dir.Read("data/fx/ring.fx"), "float4 good;\n");
  EXPECT_EQ(dir.Read("data/tex.png"), std::string("\x89PNG\0\x01", 6)) << "bytes, not text";
  // A source that does not compile is copied all the same: the copy's reload reports it
  // and keeps the last good picture.
  dir.Write("kept/fx/ring.fx", "float4 broken(\n");
  kind.Reload({dir.Path("kept/fx/ring.fx")});
  EXPECT_EQ(dir.Read("data/fx/ring.fx"), "float4 broken(\n");
  // A source deleted leaves its copy.
  std::filesystem::remove(dir.Path("kept/fx/ring.fx"));
  kind.Reload({dir.Path("kept/fx/ring.fx")});
  EXPECT_EQ(dir.Read("data/fx/ring.fx"), "float4 broken(\n");
  EXPECT_TRUE(ReloadFailures().empty());
}

TEST(SceneDescriptionReloadTest, TheDescriptionTheBuildNamedIsWrittenIntoItsDemoFile) {
  testing_support::ScratchDir dir;
  const std::string description = dir.Path("elsewhere/scenes/intro.scene.lua");
  dir.Write("elsewhere/scenes/common.lua", "lamp_at = {1, 2, 3}\n");
  dir.Write("elsewhere/scenes/intro.scene.lua", "length = 30\nobjects = {{\"Lamp\", \"FromOrigins\", location = lamp_at}}\n");
  // A description where one was looked for before: not the one the build named.
  dir.Write("content/scenes/intro.scene.lua", "length = 30\nobjects = {{\"Lamp\", \"FromFolder\"}}\n");
  WriteOrigins(dir, Line("intro.demo", description));
  const TestScene1 names;
  SceneDescriptionReload kind(&names, "content/scenes");
  const std::set<std::string> files = kind.Files();
  EXPECT_TRUE(files.count(description));
  EXPECT_TRUE(files.count(dir.Path("elsewhere/scenes/common.lua"))) << "the prelude beside it";
  EXPECT_FALSE(files.count("content/scenes/intro.scene.lua"));

  kind.Reload({dir.Path("elsewhere/scenes/common.lua")});
  const std::string demo = dir.Read("data/intro.demo");
  EXPECT_NE(demo.find("FromOrigins"), std::string::npos);
  EXPECT_EQ(demo.find("FromFolder"), std::string::npos);
}

}  // namespace
