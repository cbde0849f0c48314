#include "authoring/programAuthoring.h"

#include <memory>

#include "authoring/authoredDemo.h"
#include "authoring/authoringSwitches.h"
#include "authoring/devOverlay.h"
#include "authoring/devPlayer.h"
#include "authoring/effectReload.h"
#include "authoring/fileWatcher.h"
#include "authoring/meshReload.h"
#include "authoring/partReload.h"
#include "authoring/resourceReload.h"
#include "authoring/sourceCopyReload.h"
#include "engine/wrapper.h"
#include "platform/win32/window.h"

namespace authoring {
namespace {

constexpr int PlayerKey = 30001;
constexpr int WatcherKey = 30002;
constexpr int OverlayKey = 30003;

// The modules made for the program's demo; they live until the process ends, after the
// engine has stopped them.
struct Attached {
  AuthoredDemo* demo = nullptr;
  std::unique_ptr<DevPlayer> player;
  std::unique_ptr<FileWatcher> watcher;
  std::unique_ptr<DevOverlay> overlay;
};

Attached& Modules() {
  static Attached attached;
  return attached;
}

std::unique_ptr<FileWatcher> MakeWatcher(AuthoredDemo* demo) {
  std::unique_ptr<FileWatcher> watcher(new FileWatcher());
  // Kinds that others build on first: the sources before the copies made of them,
  // effects before the materials that use them, scene descriptions before the demo files
  // written from them.
  std::unique_ptr<MeshReload> meshes(new MeshReload(demo));
  watcher->Add(std::unique_ptr<ReloadKind>(new SourceCopyReload()));
  watcher->Add(std::unique_ptr<ReloadKind>(new EffectReload()));
  watcher->Add(std::unique_ptr<ReloadKind>(new ResourceReload(meshes.get())));
  watcher->Add(std::move(meshes));
  watcher->Add(std::unique_ptr<ReloadKind>(new SceneDescriptionReload(demo, "content/scenes")));
  watcher->Add(std::unique_ptr<ReloadKind>(new PartReload(demo)));
  return watcher;
}

// The first module that is the program's demo gets the authoring modules the switches ask
// for; the modules added here pass through again and are not demos.
void Attach(engine::core::Module* module) {
  Attached& attached = Modules();
  if (attached.demo) return;
  AuthoredDemo* demo = dynamic_cast<AuthoredDemo*>(module);
  if (!demo) return;
  attached.demo = demo;
  const AuthoringSwitches& switches = ProcessAuthoringSwitches();
  if (switches.dev || switches.loop) {
    attached.player.reset(new DevPlayer(demo, switches));
    engine::AddModule(attached.player.get(), PlayerKey);
  }
  if (switches.watch) {
    attached.watcher = MakeWatcher(demo);
    engine::AddModule(attached.watcher.get(), WatcherKey);
  }
  // The overlay draws in the window only: headless there is nothing to draw it on.
  if (switches.dev && platform::HasDisplay()) {
    attached.overlay.reset(new DevOverlay(demo, attached.player.get()));
    engine::AddModule(attached.overlay.get(), OverlayKey);
  }
}

}  // namespace

void SwitchOn() {
  // Checked before anything opens, like the layer's switches.
  ProcessAuthoringSwitches();
  engine::SetModuleAddedHook(&Attach);
}

}  // namespace authoring
