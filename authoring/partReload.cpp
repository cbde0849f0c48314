#include "authoring/partReload.h"

#include <filesystem>

#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "engine/wrapper.h"
#include "authoring/authoredDemo.h"
#include "authoring/reloadReport.h"
#include "platform/paths.h"
#include "tools/demo/demoWriter.h"
#include "tools/demo/sceneDescription.h"

namespace {

std::string PartFile(const AuthoredDemo& scene, int part) {
  return WatchedPath(engine::core::ToNarrow(scene.PartFile(part)));
}

const char* const SectionsFile = "data/sections.txt";

}  // namespace

std::set<std::string> PartReload::Files() {
  std::set<std::string> files;
  for (int part = 0; part < scene->PartCount(); ++part) files.insert(PartFile(*scene, part));
  return files;
}

void PartReload::Reload(const std::set<std::string>& changed) {
  for (int part = 0; part < scene->PartCount(); ++part) {
    const std::string file = PartFile(*scene, part);
    if (!changed.count(file)) continue;
    try {
      scene->ReloadPart(part, engine::GetTime());
      ReportReloaded(file);
    } catch (const engine::core::Exception& e) {
      ReportReloadFailure(file, engine::core::ToNarrow(e.GetText()), "not reloaded; the last good part stays on screen");
    }
  }
}

std::string SceneDescriptionReload::Description(int part) const {
  return WatchedPath(folder + "/" + engine::core::ToNarrow(scene->PartName(part)) + ".scene.lua");
}

std::set<std::string> SceneDescriptionReload::Files() {
  std::set<std::string> files;
  for (int part = 0; part < scene->PartCount(); ++part) {
    if (std::filesystem::exists(Description(part))) files.insert(Description(part));
  }
  const std::string prelude = WatchedPath(folder + "/common.lua");
  if (!files.empty() && std::filesystem::exists(prelude)) files.insert(prelude);
  return files;
}

void SceneDescriptionReload::Reload(const std::set<std::string>& changed) {
  const std::string prelude = WatchedPath(folder + "/common.lua");
  const bool all = changed.count(prelude) > 0;
  for (int part = 0; part < scene->PartCount(); ++part) {
    const std::string description = Description(part);
    if (!(all && std::filesystem::exists(description)) && !changed.count(description)) continue;
    const std::string demoFile = PartFile(*scene, part);
    try {
      const std::vector<demo::ScoreSection> sections = std::filesystem::exists(WatchedPath(SectionsFile))
                                                           ? demo::ReadScoreSections(WatchedPath(SectionsFile))
                                                           : std::vector<demo::ScoreSection>();
      std::vector<std::string> preludes;
      if (std::filesystem::exists(prelude)) preludes.push_back(prelude);
      const engine::gfx::DemoFile file = demo::ReadSceneDescription(description, sections, preludes);
      // The demo file's own change reloads the part, in the next round.
      if (!demo::WriteDemoFile(demoFile, file)) {
        ReportReloadFailure(description, "cannot write " + demoFile, "not turned into a demo file");
        continue;
      }
      ReportReloaded(description);
    } catch (const demo::SceneError& e) {
      ReportReloadFailure(description, e.what(), "not turned into a demo file; the last good part stays on screen");
    }
  }
}
