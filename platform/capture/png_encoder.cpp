#include "platform/capture/png_encoder.h"

#include <zlib.h>

#include <vector>

namespace platform {
namespace {

void PutBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
  PutBigEndian(out, static_cast<std::uint32_t>(crc32(0L, bytes, static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::string EncodePng(int width, int height, const std::uint8_t* rgb) {
  if (width <= 0 || height <= 0 || !rgb) return std::string();
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  // Filter "up" on every row but the first: rendered frames change little from row to
  // row, so the differences compress well even at zlib's quickest level.
  std::vector<std::uint8_t> filtered((stride + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = &filtered[(stride + 1) * static_cast<std::size_t>(y)];
    const std::uint8_t* here = rgb + stride * static_cast<std::size_t>(y);
    row[0] = y == 0 ? 0 : 2;
    if (y == 0) {
      for (std::size_t i = 0; i < stride; ++i) row[1 + i] = here[i];
    } else {
      const std::uint8_t* above = here - stride;
      for (std::size_t i = 0; i < stride; ++i) row[1 + i] = static_cast<std::uint8_t>(here[i] - above[i]);
    }
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  std::string compressed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&compressed[0]), &size, filtered.data(), static_cast<uLong>(filtered.size()),
                Z_BEST_SPEED) != Z_OK) {
    return std::string();
  }
  compressed.resize(size);

  std::string header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive filters, no interlace
  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", compressed);
  PutChunk(png, "IEND", std::string());
  return png;
}

}  // namespace platform
