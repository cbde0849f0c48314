#include "engine/core/logging.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "platform/paths.h"
#include "platform/program_folders.h"

namespace engine {
namespace core {

namespace {

bool loggingSwitch = true;

const wchar_t* const kHeader[] = {
    L"<html>\n<head>\n",
    L"<style type=\"text/css\">\n",
    L"body\n{\n\tfont-family: Verdana;\n}\ntr\n{\n\tfont-size: 70%;\n\tfont-weight: normal;\n}\n",
    // One literal per piece: the pieces are the file's fixed byte layout.
    L"tr.warning\n{\n\tfont-size: 75%;\n\tcolor: rgb(100, 0, 0);\n}\ntr.error\n{\n\tfont-size: 80%;\n\tcolor: rgb(255, 0, 0);\n}\n</style>\n",
    L"<title>NEBLU Log File</title>\n</head>\n<body>\n<table>\n",
    L"<tr><td>Type</td><td>Line</td><td>File</td><td>Message</td></tr><tr><td><br /></td></tr>\n",
};

const wchar_t kMessageOpening[] = L"<tr><td>MESSAGE</td><td>";
const wchar_t kWarningOpening[] = L"<tr class=\"warning\"><td>WARNING</td><td>";
const wchar_t kErrorOpening[] = L"<tr class=\"error\"><td>ERROR</td><td>";
const wchar_t kFooter[] = L"</table>\nGoodbye!</body></html>\n";

}  // namespace

void SetLoggingSwitch(bool on) { loggingSwitch = on; }
bool LoggingSwitch() { return loggingSwitch; }

namespace {

int OpenLog(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

std::string Absolute(const std::string& path) {
  std::error_code code;
  const std::filesystem::path absolute = std::filesystem::absolute(path, code);
  return code ? path : absolute.lexically_normal().string();
}

}  // namespace

Logging::Logging() {
  if (!loggingSwitch) return;
  const std::string wanted = platform::NativePath("data\\log.html");
  output = OpenLog(wanted);
  if (output < 0) {
    // An installed demo's data folder is usually read-only: the log goes where the user
    // started the program, and the user hears where.
    const std::string reason = std::strerror(errno);
    const std::string instead = platform::FromStartingFolder("log.html");
    output = OpenLog(instead);
    if (output >= 0) {
      std::fprintf(stderr, "Could not write the log %s (%s); the log goes to %s\n", wanted.c_str(), reason.c_str(),
                   Absolute(instead).c_str());
    } else {
      std::fprintf(stderr, "Could not write the log %s (%s) nor %s (%s): this run has no log\n", wanted.c_str(),
                   reason.c_str(), Absolute(instead).c_str(), std::strerror(errno));
    }
  }
  for (const wchar_t* piece : kHeader) Write(piece);
}

Logging::~Logging() {
  if (loggingSwitch) Write(kFooter);
  if (output >= 0) close(output);
  output = -1;
}

void Logging::Message(const std::string& message, const std::string& file, int line) {
  Message(ToWide(message), file, line);
}
void Logging::Message(const std::wstring& message, const std::string& file, int line) {
  Row(kMessageOpening, message, file, line);
}
void Logging::Warning(const std::string& message, const std::string& file, int line) {
  Warning(ToWide(message), file, line);
}
void Logging::Warning(const std::wstring& message, const std::string& file, int line) {
  Row(kWarningOpening, message, file, line);
}
void Logging::Error(const std::string& message, const std::string& file, int line) {
  Error(ToWide(message), file, line);
}
void Logging::Error(const std::wstring& message, const std::string& file, int line) {
  Row(kErrorOpening, message, file, line);
  throw Exception(message, ToWide(file) + L":" + std::to_wstring(line));
}

void Logging::Row(const wchar_t* opening, const std::wstring& message, const std::string& file, int line) {
  if (!loggingSwitch) return;
  // Messages go in verbatim: several carry their own "<br />" breaks.
  Write(opening + std::to_wstring(line) + L"</td><td>" + ToWide(file) + L"</td><td>" + message + L"</td></tr>\n");
}

// Straight to the system, one call a row: a run writes a few hundred rows, and a row held
// back in a buffer is the one a crash or a kill would lose.
void Logging::Write(const std::wstring& text) {
  if (output < 0) return;
  std::string bytes = ToNarrow(text);
  std::string out;
  out.reserve(bytes.size() + 16);
  for (char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  for (std::size_t at = 0; at < out.size();) {
    const ssize_t wrote = write(output, out.data() + at, out.size() - at);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return;  // a full disk: the row is lost, the run goes on
    at += static_cast<std::size_t>(wrote);
  }
}

namespace {

// The log lives until the library goes away, so that rows written during teardown
// still land and the footer closes the table. A log call after that (a destructor that
// runs later) must not make a new log, which would empty the finished file.
__attribute__((destructor)) void DeleteLogAtUnload() {
  delete pattern::Singleton<Logging>::mInstance;
  loggingSwitch = false;
}

}  // namespace

}  // namespace core
}  // namespace engine
