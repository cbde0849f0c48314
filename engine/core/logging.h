#pragma once

#include <string>

#include "engine/api.h"
#include "engine/core/singleton.h"

namespace engine {
namespace core {

// The logging switch: on until the program says otherwise. Read when the log is
// created (whether to open the file), at every row and when it is destroyed (whether
// to write the footer).
ENGINE_API void SetLoggingSwitch(bool on);
ENGINE_API bool LoggingSwitch();

// The run's HTML log, "data\log.html", one table row per call. Created by the first log
// call of the run and deleted when the engine library is unloaded (or earlier by the
// settings dialog's Exit button). Where the data folder cannot take it (an installed
// demo's), the log goes to "log.html" in the folder the program was started from, said
// on standard error; where neither can, every row is dropped.
//
// Each row is handed to the system as it is written, so a run that crashes or is killed
// leaves every row it wrote; only the footer, written at the end, tells a whole run.
//
// The file keeps the byte layout of a Windows text-mode stream (CR LF line ends) so
// logs from every platform read alike; characters are stored as UTF-8.
class ENGINE_API Logging : public pattern::Singleton<Logging> {
 public:
  Logging();
  ~Logging() override;

  void Message(const std::string& message, const std::string& file, int line);
  void Message(const std::wstring& message, const std::string& file, int line);
  void Warning(const std::string& message, const std::string& file, int line);
  void Warning(const std::wstring& message, const std::string& file, int line);
  // Writes an ERROR row (when the switch is on) and throws Exception(message, "file:line").
  [[noreturn]] void Error(const std::string& message, const std::string& file, int line);
  [[noreturn]] void Error(const std::wstring& message, const std::string& file, int line);

 private:
  void Row(const wchar_t* opening, const std::wstring& message, const std::string& file, int line);
  void Write(const std::wstring& text);

  int output = -1;  // the open log, or -1: rows are dropped
};

}  // namespace core
}  // namespace engine

// The engine's log calls, with the calling unit and line filled in. Source paths are
// made relative to the repository by the build, so places read "engine/core/timer.cpp:45".
#define NEBLU_LOG() (::engine::pattern::Singleton<::engine::core::Logging>::Get())
#define NEBLU_MESSAGE(message) NEBLU_LOG()->Message((message), __FILE__, __LINE__)
#define NEBLU_WARNING(message) NEBLU_LOG()->Warning((message), __FILE__, __LINE__)
#define NEBLU_ERROR(message) NEBLU_LOG()->Error((message), __FILE__, __LINE__)
