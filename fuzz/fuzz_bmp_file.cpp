// Feeds arbitrary bytes to the bitmap reader behind picture controls (LoadImageW with
// LR_LOADFROMFILE, the executable's bitmap resources): it must reject, or hand back
// exactly width x height RGB pixels, never read past the file.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win32/window_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  char path[] = "/tmp/neblu-fuzz-bmp-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    platform::win::Bitmap bitmap = {};
    std::string error;
    if (platform::win::ReadBmpFile(path, &bitmap, &error)) {
      if (bitmap.width <= 0 || bitmap.height <= 0 ||
          bitmap.rgb.size() != std::size_t(bitmap.width) * std::size_t(bitmap.height) * 3) {
        std::abort();
      }
    } else if (error.empty()) {
      std::abort();
    }
  }
  unlink(path);
  return 0;
}
