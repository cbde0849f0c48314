#include "authoring/fileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string Reason() { return std::strerror(errno); }

bool WriteAll(int file, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t wrote = write(file, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ReplaceFileText(const std::string& path, const std::string& text, std::string* error) {
  // The file itself, wherever links put it: renamed over, a link would become a plain
  // file and the file the user keeps would never see the edit.
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) {
    *error = "cannot save " + path + ": " + Reason();
    return false;
  }
  const std::string target = resolved;
  std::free(resolved);
  const std::string named = target == path ? path : path + " (" + target + ")";
  struct stat kept {};
  if (stat(target.c_str(), &kept) != 0) {
    *error = "cannot save " + named + ": " + Reason();
    return false;
  }
  if (!S_ISREG(kept.st_mode)) {
    *error = "cannot save " + named + ": not a plain file";
    return false;
  }
  // Renaming over it would succeed in a writable folder; a read-only file says the user
  // does not want it changed.
  if (access(target.c_str(), W_OK) != 0) {
    *error = "cannot save " + named + ": the file is read-only";
    return false;
  }

  std::vector<char> name(target.begin(), target.end());
  const std::string pattern = ".XXXXXX";
  name.insert(name.end(), pattern.begin(), pattern.end());
  name.push_back('\0');
  const int file = mkstemp(name.data());
  if (file < 0) {
    *error = "cannot save " + named + ": cannot write in its folder: " + Reason();
    return false;
  }
  const std::string temporary = name.data();
  // Owner first: changing it clears the set-user and set-group bits. Only the group
  // where the owner cannot be given; neither, and the file is this user's, as a file
  // they made would be.
  const bool owned =
      fchown(file, kept.st_uid, kept.st_gid) == 0 || fchown(file, static_cast<uid_t>(-1), kept.st_gid) == 0;
  static_cast<void>(owned);
  // Synced before the rename: otherwise a crash soon after could leave the new name on
  // blocks never written.
  bool saved = fchmod(file, kept.st_mode & 07777) == 0 && WriteAll(file, text) && fsync(file) == 0;
  std::string reason = saved ? std::string() : Reason();
  if (close(file) != 0 && saved) {
    saved = false;
    reason = Reason();
  }
  if (saved && std::rename(temporary.c_str(), target.c_str()) != 0) {
    saved = false;
    reason = Reason();
  }
  if (!saved) {
    unlink(temporary.c_str());
    *error = "cannot save " + named + ": " + reason;
    return false;
  }
  // The rename made lasting too, where the folder can be synced.
  const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return true;
}

bool ReadFileText(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream read;
  read << in.rdbuf();
  if (in.bad()) return false;
  *text = read.str();
  return true;
}
