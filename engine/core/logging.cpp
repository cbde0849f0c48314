#include "engine/core/logging.h"

#include <cstdio>

#include "engine/core/exception.h"
#include "engine/core/textConversion.h"
#include "platform/paths.h"

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

Logging::Logging() {
  if (!loggingSwitch) return;
  stream.open(platform::NativePath("data\\log.html"), std::ios::out | std::ios::trunc | std::ios::binary);
  // An installed demo's data folder is usually read-only: the user asked for a log and
  // must hear that there will be none.
  if (!stream) std::fprintf(stderr, "Could not write the log data/log.html in the folder the demo plays from\n");
  for (const wchar_t* piece : kHeader) Write(piece);
}

Logging::~Logging() {
  if (loggingSwitch) {
    Write(kFooter);
    stream.flush();
  }
  stream.close();
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

void Logging::Write(const std::wstring& text) {
  if (!stream.is_open()) return;
  std::string bytes = ToNarrow(text);
  std::string out;
  out.reserve(bytes.size() + 16);
  for (char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}

namespace {

// The log lives until the library goes away, so that rows written during teardown
// still land and the footer closes the table.
__attribute__((destructor)) void DeleteLogAtUnload() { delete pattern::Singleton<Logging>::mInstance; }

}  // namespace

}  // namespace core
}  // namespace engine
