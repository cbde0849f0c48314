#include "game/authoring/effectWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <boost/shared_ptr.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "game/authoring/effectSources.h"
#include "platform/capture/settings.h"
#include "platform/effect.h"
#include "platform/paths.h"

namespace {

constexpr int WatcherPriority = 205;
// The pool every effect is compiled against; it is made once, when the engine starts.
const char* const PoolFile = "data\\fx\\_shared.fx";

std::string Normal(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

using engine::core::resources::FXEffect;

boost::shared_ptr<FXEffect> FindEffect(const std::wstring& name) {
  return boost::dynamic_pointer_cast<FXEffect>(engine::core::ResourceManager::Get()->GetResource(name));
}

// A line on standard error, on a line of its own even while a capture's progress line is
// being rewritten in place.
void Say(const std::string& text) {
  const char* fresh = platform::ProcessCaptureSwitches().Capturing() ? "\n" : "";
  std::fprintf(stderr, "%sgame: -watch: %s\n", fresh, text.c_str());
}

// Compiles the effect's file as its resource would, and throws the result away. The
// compiler's message when it fails.
bool Compiles(const std::wstring& name, std::string* message) {
  ID3D10Device* device = engine::core::CWin32Window::Get()->device;
  ID3D10EffectPool* pool = engine::gfx::EffectPool::Get()->pool;
  ID3D10Effect* probe = nullptr;
  ID3D10Blob* errors = nullptr;
  const HRESULT hr = D3DX10CreateEffectFromFileW(name.c_str(), nullptr, nullptr, "fx_4_0", 0,
                                                 D3D10_EFFECT_COMPILE_CHILD_EFFECT, device, pool, nullptr, &probe,
                                                 &errors, nullptr);
  if (errors) {
    *message = static_cast<const char*>(errors->GetBufferPointer());
    errors->Release();
  }
  if (probe) probe->Release();
  return SUCCEEDED(hr) && probe;
}

}  // namespace

constexpr std::chrono::milliseconds EffectWatcher::Quiet;

EffectWatcher::EffectWatcher() {
  name = L"EffectWatcher";
  priority = WatcherPriority;
}

EffectWatcher::~EffectWatcher() { Stop(); }

bool EffectWatcher::Start() {
  inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify < 0) {
    const std::string reason = std::strerror(errno);
    NEBLU_WARNING("-watch: cannot watch files (" + reason + "); effects reload with F9 only");
    Say("cannot watch files (" + reason + ")");
    return true;
  }
  Scan();
  return true;
}

void EffectWatcher::Scan() {
  const auto& resources = engine::core::ResourceManager::Get()->Resources();
  resourcesSeen = resources.size();
  effectsOfFile.clear();
  std::set<std::string> folders;
  for (const auto& entry : resources) {
    if (!boost::dynamic_pointer_cast<FXEffect>(entry.second)) continue;
    for (const std::string& file : EffectSourceFiles(platform::NativePath(entry.first))) {
      effectsOfFile[file].push_back(entry.first);
      folders.insert(std::filesystem::path(file).parent_path().string());
    }
  }
  poolFiles.clear();
  for (const std::string& file : EffectSourceFiles(platform::NativePath(std::string(PoolFile)))) {
    poolFiles.insert(file);
    folders.insert(std::filesystem::path(file).parent_path().string());
  }
  // Folders, not files: editors often save by writing a new file and renaming it over
  // the old one, which a watch on the old file would never see.
  std::set<std::string> watched;
  for (const auto& entry : folderOfWatch) watched.insert(entry.second);
  for (const std::string& folder : folders) {
    if (watched.count(folder)) continue;
    const int watch = inotify_add_watch(inotify, folder.empty() ? "." : folder.c_str(),
                                        IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB | IN_CREATE | IN_DELETE);
    if (watch >= 0) folderOfWatch[watch] = folder;
  }
}

void EffectWatcher::ReadEvents() {
  alignas(inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t got = read(inotify, buffer, sizeof(buffer));
    if (got <= 0) return;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const auto folder = folderOfWatch.find(event->wd);
      if (folder == folderOfWatch.end() || event->len == 0) continue;
      const std::string file = Normal((std::filesystem::path(folder->second) / event->name).string());
      if (!effectsOfFile.count(file) && !poolFiles.count(file)) continue;
      changed.insert(file);
      lastChange = Clock::now();
    }
  }
}

void EffectWatcher::Update() {
  if (inotify < 0) return;
  // Effects made since the last look (a shader asks for its effect when it is loaded).
  if (engine::core::ResourceManager::Get()->Resources().size() != resourcesSeen) Scan();
  ReadEvents();
  if (changed.empty() || Clock::now() - lastChange < Quiet) return;
  Reload();
  changed.clear();
  // Includes may have been added or removed by the save.
  Scan();
}

void EffectWatcher::Reload() {
  ++rounds;
  std::set<std::wstring> effects;
  bool poolChanged = false;
  for (const std::string& file : changed) {
    if (poolFiles.count(file)) poolChanged = true;
    const auto found = effectsOfFile.find(file);
    if (found != effectsOfFile.end()) effects.insert(found->second.begin(), found->second.end());
  }
  if (poolChanged) {
    NEBLU_WARNING("-watch: data/fx/_shared.fx or a file it includes changed; the shared variables are made once at "
                  "start, so that change shows after a restart");
  }
  std::vector<std::string> good;
  for (const std::wstring& effectName : effects) {
    boost::shared_ptr<FXEffect> effect = FindEffect(effectName);
    if (!effect) continue;
    std::string message;
    if (!Compiles(effectName, &message)) {
      effect->KeepCurrentEffect();
      const std::string file = engine::core::ToNarrow(effectName);
      NEBLU_WARNING("-watch: " + file + " does not compile; the last good effect stays on screen:<br />" + message);
      Say(file + " does not compile; the last good effect stays on screen");
      continue;
    }
    effect->ReloadOnNextUpdate();
    good.push_back(engine::core::ToNarrow(effectName));
  }
  if (good.empty()) return;
  try {
    // The F9 path: every effect whose file time moved is recompiled, then shaders re-bind.
    engine::core::ResourceManager::Get()->UpdateResources();
  } catch (const engine::core::Exception& e) {
    // A file saved again between the check and the reload; the next quiet moment retries.
    Say(engine::core::ToNarrow(e.GetText()));
    return;
  }
  for (const std::string& file : good) Say("reloaded " + file);
}

void EffectWatcher::Stop() {
  if (inotify >= 0) close(inotify);
  inotify = -1;
  folderOfWatch.clear();
}
