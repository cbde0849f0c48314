// The overlay's file save: the file the user keeps gets the new text, whatever links
// lead to it, with its permission bits and owner; nothing is left beside it.

#include "authoring/fileReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <string>

#include "support/scratch_dir.h"

namespace {

using testing_support::ScratchDir;

struct stat Stat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for (boost::filesystem::directory_iterator it(folder), end; it != end; ++it) ++count;
  return count;
}

TEST(FileReplace, ALinkedFileIsReplacedWhereItLiesTheLinkKept) {
  ScratchDir dir;
  dir.Write("content/m.efx", "old");
  ASSERT_EQ(chmod(dir.Path("content/m.efx").c_str(), 0640), 0);
  // data/m.efx -> ../content/m.efx, as a data folder linked to the sources would hold it.
  ASSERT_EQ(symlink("../content/m.efx", dir.Path("data/m.efx").c_str()), 0);
  std::string error;
  ASSERT_TRUE(ReplaceFileText("data/m.efx", "new", &error)) << error;
  EXPECT_TRUE(S_ISLNK(Stat(dir.Path("data/m.efx")).st_mode)) << "the link became a plain file";
  EXPECT_EQ(dir.Read("content/m.efx"), "new");
  EXPECT_EQ(Stat(dir.Path("content/m.efx")).st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir.Path("data")), 1u);
  EXPECT_EQ(FilesIn(dir.Path("content")), 1u) << "a temporary file was left";
}

TEST(FileReplace, PermissionBitsAndOwnerAreKept) {
  ScratchDir dir;
  dir.Write("data/m.efx", "old");
  const std::string path = dir.Path("data/m.efx");
  ASSERT_EQ(chmod(path.c_str(), 0754), 0);
  // Only root may give a file away; anyone else's files are their own already.
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path.c_str(), 1234, 4321), 0);
  }
  const struct stat before = Stat(path);
  std::string error;
  ASSERT_TRUE(ReplaceFileText(path, "new text", &error)) << error;
  const struct stat after = Stat(path);
  EXPECT_EQ(dir.Read("data/m.efx"), "new text");
  EXPECT_EQ(after.st_mode & 07777, 0754u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_NE(after.st_ino, before.st_ino) << "written in place, not renamed over: a crash could leave half of it";
  EXPECT_EQ(FilesIn(dir.Path("data")), 1u);
}

TEST(FileReplace, AFileThatCannotBeReplacedIsLeftAsItWas) {
  ScratchDir dir;
  std::string error;
  EXPECT_FALSE(ReplaceFileText("data/missing.efx", "x", &error));
  EXPECT_NE(error.find("data/missing.efx"), std::string::npos) << error;
  EXPECT_FALSE(dir.Exists("data/missing.efx"));

  ASSERT_EQ(symlink("nowhere.efx", dir.Path("data/dangling.efx").c_str()), 0);
  EXPECT_FALSE(ReplaceFileText("data/dangling.efx", "x", &error));
  EXPECT_NE(error.find("data/dangling.efx"), std::string::npos) << error;
  EXPECT_FALSE(dir.Exists("data/nowhere.efx"));

  boost::filesystem::create_directories(dir.Path("data/folder.efx"));
  EXPECT_FALSE(ReplaceFileText("data/folder.efx", "x", &error));
  EXPECT_NE(error.find("not a plain file"), std::string::npos) << error;

  // Root may write anything; for everyone else a read-only file stays read-only.
  if (geteuid() != 0) {
    dir.Write("data/locked.efx", "old");
    ASSERT_EQ(chmod(dir.Path("data/locked.efx").c_str(), 0444), 0);
    EXPECT_FALSE(ReplaceFileText("data/locked.efx", "new", &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    EXPECT_EQ(dir.Read("data/locked.efx"), "old");
  }
  EXPECT_EQ(FilesIn(dir.Path("data")), geteuid() != 0 ? 3u : 2u);
}

}  // namespace
