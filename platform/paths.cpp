#include "platform/paths.h"

#include <algorithm>

#include "platform/win32.h"

namespace platform {

std::string NativePath(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::string NativePath(const std::wstring& path) {
  return NativePath(Utf8FromWide(path));
}

}  // namespace platform
