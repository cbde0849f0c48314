#pragma once

#include <string>

#include "platform/api.h"

namespace platform {

// Every file the engine or the layer opens goes through here. The engine keeps the
// Windows paths it was written with ("data\\startup.resources"); this turns the
// separators into the ones the file system here understands. Paths stay relative to
// the working directory, the folder that holds data/.
PLATFORM_API std::string NativePath(const std::string& path);
PLATFORM_API std::string NativePath(const std::wstring& path);

}  // namespace platform
