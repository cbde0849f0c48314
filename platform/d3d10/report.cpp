#include "platform/d3d10/report.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

namespace platform {
namespace {

void Write(const char* format, va_list args) {
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  std::fprintf(stderr, "platform: %s\n", buffer);
}

}  // namespace

HRESULT Fail(HRESULT code, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
  return code;
}

void Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
}

HRESULT NotImplemented(const char* call) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (reported.insert(call).second) std::fprintf(stderr, "platform: %s: not implemented\n", call);
  return E_NOTIMPL;
}

}  // namespace platform
