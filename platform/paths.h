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

// Whether a native path names a regular file (after symlinks). Readers ask before they
// open: a folder opens as a stream that fails or reads as empty, and opening a FIFO
// blocks until a writer comes, which for a file a demo names may be never.
PLATFORM_API bool IsRegularFile(const std::string& nativePath);

}  // namespace platform
