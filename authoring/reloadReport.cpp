#include "authoring/reloadReport.h"

#include <cerrno>
#include <cstdio>

#include "engine/core/logging.h"
#include "platform/capture/settings.h"

namespace {

std::deque<ReloadFailure>& Failures() {
  static std::deque<ReloadFailure> failures;
  return failures;
}

void Forget(const std::string& file) {
  std::deque<ReloadFailure>& failures = Failures();
  for (auto it = failures.begin(); it != failures.end();) {
    it = it->file == file ? failures.erase(it) : it + 1;
  }
}

// The log is HTML: a message's own line breaks would be lost there.
std::string ForTheLog(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "<br />";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void SayOnStandardError(const std::string& text) {
  const char* fresh = platform::ProcessCaptureSwitches().Capturing() ? "\n" : "";
  std::fprintf(stderr, "%s%s: -watch: %s\n", fresh, program_invocation_short_name, text.c_str());
}

void ReportReloaded(const std::string& file) {
  Forget(file);
  SayOnStandardError("reloaded " + file);
}

void ReportReloadFailure(const std::string& file, const std::string& message, const std::string& what) {
  NEBLU_WARNING("-watch: " + file + ": " + what + ":<br />" + ForTheLog(message));
  SayOnStandardError(file + ": " + what + ": " + message);
  Forget(file);
  std::deque<ReloadFailure>& failures = Failures();
  failures.push_back(ReloadFailure{file, message});
  while (failures.size() > MaxKeptFailures) failures.pop_front();
}

const std::deque<ReloadFailure>& ReloadFailures() { return Failures(); }
