// Bitmap files: the resources of the executable that live beside it, and LoadImageW's
// LR_LOADFROMFILE. Only what picture controls need: uncompressed 24- and 32-bit images.

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/paths.h"
#include "platform/program_folders.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

bool ReadBmpFile(const std::string& path, Bitmap* bitmap, std::string* error) {
  std::ifstream file;
  if (IsRegularFile(path)) file.open(path, std::ios::binary);
  if (!file.is_open()) {
    *error = "cannot open the file";
    return false;
  }
  const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // File header (14 bytes), then at least the 40 bytes of a BITMAPINFOHEADER.
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
    *error = "not a BMP file";
    return false;
  }
  const std::uint32_t offset = U32(b, 10);
  const std::uint32_t headerSize = U32(b, 14);
  const std::int32_t width = static_cast<std::int32_t>(U32(b, 18));
  const std::int32_t rawHeight = static_cast<std::int32_t>(U32(b, 22));
  const int bits = U16(b, 28);
  const std::uint32_t compression = U32(b, 30);
  // BI_RGB, or BI_BITFIELDS with the usual masks of a 32-bit file.
  if (headerSize < 40 || (compression != 0 && !(compression == 3 && bits == 32)) || (bits != 24 && bits != 32)) {
    *error = "only uncompressed 24- and 32-bit bitmaps are read";
    return false;
  }
  if (width <= 0 || rawHeight == 0 || width > 16384 || rawHeight > 16384 || rawHeight < -16384) {
    *error = "bad image size";
    return false;
  }
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  const std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
  const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~static_cast<std::size_t>(3);
  if (offset > b.size() || (b.size() - offset) / stride < static_cast<std::size_t>(height)) {
    *error = "the pixel data is cut short";
    return false;
  }
  bitmap->width = width;
  bitmap->height = height;
  bitmap->rgb.resize(static_cast<std::size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row) {
    const std::size_t source = offset + stride * static_cast<std::size_t>(topDown ? row : height - 1 - row);
    for (int col = 0; col < width; ++col) {
      const std::uint8_t* p = &b[source + col * bytesPerPixel];  // blue, green, red
      std::uint8_t* q = &bitmap->rgb[(static_cast<std::size_t>(row) * width + col) * 3];
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
    }
  }
  return true;
}

std::string ExecutableResourcePath(const std::string& type, int id, const std::string& extension) {
  return ExecutableFilePath(type + "/" + std::to_string(id) + "." + extension);
}

}  // namespace win
}  // namespace platform
