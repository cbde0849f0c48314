// Where a program that may be started from anywhere finds its data and its resources:
// unpacked or built (beside it), installed (PREFIX/share/NAME), or in the folder a
// developer runs it from.

#include "platform/program_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class ProgramFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("program_folders_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root / "prefix/bin");
    fs::create_directories(root / "work");
    program = (root / "prefix/bin/orv").string();
    std::ofstream(program) << "";
  }
  void TearDown() override { fs::remove_all(root); }

  std::string Folder(const std::string& relative) const { return (root / relative).lexically_normal().string(); }
  void MakeData(const std::string& relative) const { fs::create_directories(root / relative / "data"); }

  fs::path root;
  std::string program;
};

TEST_F(ProgramFolders, DataIsFoundBesideTheProgramThenInstalledThenInTheWorkingDirectory) {
  const std::string work = Folder("work");
  EXPECT_EQ(platform::FindDataRoot(program, work), "") << "no data/ anywhere";

  MakeData("work");
  EXPECT_EQ(platform::FindDataRoot(program, work), work);

  MakeData("prefix/share/orv");
  EXPECT_EQ(platform::FindDataRoot(program, work), Folder("prefix/share/orv"))
      << "an installed program plays its own data even where the working directory has some";

  MakeData("prefix/bin");
  EXPECT_EQ(platform::FindDataRoot(program, work), Folder("prefix/bin"));

  // A file called data is not a data folder.
  fs::remove_all(root / "prefix/bin/data");
  fs::remove_all(root / "prefix/share/orv/data");
  std::ofstream((root / "prefix/bin/data").string()) << "";
  EXPECT_EQ(platform::FindDataRoot(program, work), work);

  EXPECT_EQ(platform::DataRootCandidates(program, work),
            Folder("prefix/bin/data") + ", " + Folder("prefix/share/orv/data") + ", " + Folder("work/data"));
}

TEST_F(ProgramFolders, ResourcesComeFromBesideTheProgramElseFromTheInstalledShareFolder) {
  const std::string beside = Folder("prefix/bin/orv.res/bitmap/106.bmp");
  const std::string installed = Folder("prefix/share/orv/orv.res/bitmap/106.bmp");
  EXPECT_EQ(platform::ProgramFilePath(program, "bitmap/106.bmp"), beside) << "neither exists: the place to report";

  fs::create_directories(fs::path(installed).parent_path());
  std::ofstream(installed) << "";
  EXPECT_EQ(platform::ProgramFilePath(program, "bitmap/106.bmp"), installed);

  fs::create_directories(fs::path(beside).parent_path());
  std::ofstream(beside) << "";
  EXPECT_EQ(platform::ProgramFilePath(program, "bitmap/106.bmp"), beside);
}

// An installed program works from share/NAME, which its user cannot write: what the
// user asks for (screenshots, a log the data folder cannot take) goes to the folder the
// program was started from.
TEST_F(ProgramFolders, PathsAreTheStartingFoldersWhileTheProgramWorksFromItsDataRoot) {
  const fs::path before = fs::current_path();
  fs::current_path(root / "work");
  EXPECT_EQ(platform::FromStartingFolder("screenshots"), "screenshots") << "not moved: the working directory's";

  MakeData("prefix/share/orv");
  platform::WorkFrom(Folder("prefix/share/orv"));
  EXPECT_EQ(fs::current_path().string(), Folder("prefix/share/orv"));
  EXPECT_EQ(platform::FromStartingFolder("screenshots"), Folder("work/screenshots"));
  EXPECT_EQ(platform::FromStartingFolder("/elsewhere/log.html"), "/elsewhere/log.html");

  platform::WorkFrom(Folder("work"));
  EXPECT_EQ(platform::FromStartingFolder("screenshots"), "screenshots") << "back where it started";
  fs::current_path(before);
}

}  // namespace
