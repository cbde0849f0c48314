#include "authoring/partReload.h"

#include <filesystem>

#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "engine/wrapper.h"
#include "authoring/authoredDemo.h"
#include "authoring/dataOrigins.h"
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

std::vector<DataOrigin> SceneDescriptionReload::Described() const {
  // The build said where each demo file came from; a data folder without origins.txt
  // (made by hand, or by an older build) has its descriptions in `folder`.
  std::vector<DataOrigin> described = CurrentDataOrigins().Descriptions();
  if (!described.empty()) return described;
  for (int part = 0; part < scene->PartCount(); ++part) {
    const std::string description = WatchedPath(folder + "/" + engine::core::ToNarrow(scene->PartName(part)) + ".scene.lua");
    if (std::filesystem::exists(description)) described.push_back(DataOrigin{PartFile(*scene, part), description});
  }
  return described;
}

std::string SceneDescriptionReload::PreludeOf(const std::string& description) {
  return WatchedPath((std::filesystem::path(description).parent_path() / "common.lua").string());
}

std::set<std::string> SceneDescriptionReload::Files() {
  std::set<std::string> files;
  for (const DataOrigin& origin : Described()) {
    files.insert(origin.source);
    if (std::filesystem::exists(PreludeOf(origin.source))) files.insert(PreludeOf(origin.source));
  }
  return files;
}

void SceneDescriptionReload::Reload(const std::set<std::string>& changed) {
  for (const DataOrigin& origin : Described()) {
    const std::string& description = origin.source;
    const std::string prelude = PreludeOf(description);
    if (!changed.count(description) && !changed.count(prelude)) continue;
    if (!std::filesystem::exists(description)) continue;
    try {
      const std::vector<demo::ScoreSection> sections = std::filesystem::exists(WatchedPath(SectionsFile))
                                                           ? demo::ReadScoreSections(WatchedPath(SectionsFile))
                                                           : std::vector<demo::ScoreSection>();
      std::vector<std::string> preludes;
      if (std::filesystem::exists(prelude)) preludes.push_back(prelude);
      const engine::gfx::DemoFile file = demo::ReadSceneDescription(description, sections, preludes);
      // The demo file's own change reloads the part, in the next round.
      if (!demo::WriteDemoFile(origin.copy, file)) {
        ReportReloadFailure(description, "cannot write " + origin.copy, "not turned into a demo file");
        continue;
      }
      ReportReloaded(description);
    } catch (const demo::SceneError& e) {
      ReportReloadFailure(description, e.what(), "not turned into a demo file; the last good part stays on screen");
    }
  }
}
