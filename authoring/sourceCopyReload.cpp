#include "authoring/sourceCopyReload.h"

#include <filesystem>

#include "authoring/dataOrigins.h"
#include "authoring/reloadReport.h"

std::set<std::string> SourceCopyReload::Files() {
  std::set<std::string> files;
  for (const DataOrigin& origin : CurrentDataOrigins().Copies()) files.insert(origin.source);
  return files;
}

void SourceCopyReload::Reload(const std::set<std::string>& changed) {
  for (const DataOrigin& origin : CurrentDataOrigins().Copies()) {
    if (!changed.count(origin.source)) continue;
    std::error_code ignored;
    // A source deleted (or mid-save) leaves the copy as it was.
    if (!std::filesystem::is_regular_file(origin.source, ignored)) continue;
    std::string error;
    if (!UpdateCopy(origin.source, origin.copy, &error)) {
      ReportReloadFailure(origin.source, error, "not copied; the last good " + origin.copy + " stays");
    } else {
      SayOnStandardError("copied " + origin.source + " to " + origin.copy);
    }
  }
}
