#pragma once

// What -watch reloads say: a reload that worked names its file on standard error; one
// that failed goes to the log and standard error with the file and the owner's message
// (which names the line where the owner knows it), and the newest failures are kept for
// the overlay until that file reloads cleanly.

#include <deque>
#include <string>

struct ReloadFailure {
  std::string file;
  std::string message;
};

void ReportReloaded(const std::string& file);
// `what` says what stays: "the last good effect stays on screen".
void ReportReloadFailure(const std::string& file, const std::string& message, const std::string& what);
// Oldest first, at most MaxKeptFailures.
const std::deque<ReloadFailure>& ReloadFailures();
constexpr std::size_t MaxKeptFailures = 16;
// A line on standard error prefixed "PROGRAM: -watch: " (PROGRAM: the program's name),
// on a line of its own even while a capture's progress line is being rewritten in place.
void SayOnStandardError(const std::string& text);
