#include "authoring/fileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "authoring/reloadReport.h"

namespace {

constexpr int WatcherPriority = 205;

std::string Normal(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

const char* WatchName(const std::string& folder) { return folder.empty() ? "." : folder.c_str(); }

// Saves (in place or renamed over), new and deleted files, and the folder itself going.
constexpr uint32_t kFolderEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;

}  // namespace

constexpr std::chrono::milliseconds FileWatcher::Quiet;

FileWatcher::FileWatcher() {
  name = L"FileWatcher";
  priority = WatcherPriority;
}

FileWatcher::~FileWatcher() { Stop(); }

void FileWatcher::Add(std::unique_ptr<ReloadKind> kind) {
  kinds.push_back(std::move(kind));
  filesOfKind.emplace_back();
}

bool FileWatcher::Start() {
  inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify < 0) {
    const std::string reason = std::strerror(errno);
    NEBLU_WARNING("-watch: cannot watch files (" + reason + "); effects reload with F9 only");
    SayOnStandardError("cannot watch files (" + reason + ")");
    return true;
  }
  Scan();
  return true;
}

void FileWatcher::Scan() {
  folders.clear();
  for (size_t k = 0; k < kinds.size(); ++k) {
    std::set<std::string> files;
    for (const std::string& file : kinds[k]->Files()) files.insert(Normal(file));
    for (const std::string& file : files) folders.insert(std::filesystem::path(file).parent_path().string());
    filesOfKind[k] = std::move(files);
  }
  WatchFolders();
}

// Folders, not files: editors often save by writing a new file and renaming it over the
// old one, which a watch on the old file would never see.
void FileWatcher::WatchFolders() {
  rewatch = false;
  std::set<std::string> watched;
  for (const auto& entry : folderOfWatch) watched.insert(entry.second);
  std::set<std::string> nowMissing;
  for (const std::string& folder : folders) {
    if (watched.count(folder)) continue;
    const int watch = inotify_add_watch(inotify, WatchName(folder), kFolderEvents);
    if (watch < 0) {
      nowMissing.insert(folder);
      WatchAncestorOf(folder, &watched);
      continue;
    }
    folderOfWatch[watch] = folder;
    watched.insert(folder);
    if (!missing.count(folder)) continue;
    // Back after being gone: whatever it holds now was written unseen.
    for (const auto& files : filesOfKind) {
      for (const std::string& file : files) {
        std::error_code code;
        if (std::filesystem::path(file).parent_path() == folder && std::filesystem::exists(file, code)) {
          changed.insert(file);
          lastChange = Clock::now();
        }
      }
    }
  }
  missing = std::move(nowMissing);
}

// The nearest present ancestor of a missing folder is watched for the folder's return
// (or for the next folder on the way to it, which brings the watches up again).
void FileWatcher::WatchAncestorOf(const std::string& folder, std::set<std::string>* watched) {
  std::filesystem::path at(folder);
  while (!at.empty()) {
    const std::filesystem::path up = at.parent_path();
    if (up == at) return;  // the root itself: nothing above it
    at = up;
    const std::string ancestor = at.string();
    if (watched->count(ancestor)) return;
    const int watch = inotify_add_watch(inotify, WatchName(ancestor), kFolderEvents);
    if (watch >= 0) {
      folderOfWatch[watch] = ancestor;
      watched->insert(ancestor);
      return;
    }
  }
}

void FileWatcher::ReadEvents() {
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t got = read(inotify, buffer, sizeof(buffer));
    if (got <= 0) return;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const auto folder = folderOfWatch.find(event->wd);
      if (folder == folderOfWatch.end()) continue;
      if (event->mask & (IN_IGNORED | IN_MOVE_SELF)) {
        // The folder was deleted (its watch is gone with it) or moved away (its watch
        // would follow it to the new name): the path is watched again from scratch.
        if (event->mask & IN_MOVE_SELF) inotify_rm_watch(inotify, event->wd);
        missing.insert(folder->second);
        folderOfWatch.erase(folder);
        rewatch = true;
        continue;
      }
      if (event->len == 0) continue;
      if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) && !missing.empty()) {
        rewatch = true;
      }
      const std::string file = Normal((std::filesystem::path(folder->second) / event->name).string());
      bool known = false;
      for (const auto& files : filesOfKind) known = known || files.count(file);
      if (!known) continue;
      changed.insert(file);
      lastChange = Clock::now();
    }
  }
}

void FileWatcher::Update() {
  if (inotify < 0) return;
  bool stale = false;
  for (const auto& kind : kinds) stale = kind->StaleFiles() || stale;
  if (stale) Scan();
  ReadEvents();
  if (rewatch) WatchFolders();
  if (changed.empty() || Clock::now() - lastChange < Quiet) return;
  Reload();
  changed.clear();
  // A reload may read other files than before (an include added, a template named).
  Scan();
}

void FileWatcher::Reload() {
  ++rounds;
  for (size_t k = 0; k < kinds.size(); ++k) {
    std::set<std::string> mine;
    for (const std::string& file : changed) {
      if (filesOfKind[k].count(file)) mine.insert(file);
    }
    if (mine.empty()) continue;
    try {
      kinds[k]->Reload(mine);
    } catch (const engine::core::Exception& e) {
      // A kind reports its own failures; one that escapes still must not end the run.
      ReportReloadFailure(*mine.begin(), engine::core::ToNarrow(e.GetText()), "not reloaded");
    } catch (const std::exception& e) {
      ReportReloadFailure(*mine.begin(), e.what(), "not reloaded");
    }
  }
}

void FileWatcher::Stop() {
  if (inotify >= 0) close(inotify);
  inotify = -1;
  folderOfWatch.clear();
  missing.clear();
}
