#include "tools/gltf2demo/webpPicture.h"

#include <stb/stb_image_write.h>
#include <webp/decode.h>

#include <memory>

namespace gltf2demo {

bool IsWebp(const std::string& bytes) {
  return bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WEBP") == 0;
}

namespace {

void Append(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

}  // namespace

std::string WebpAsPng(const std::string& bytes, int largestSide, std::string* problem) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  int width = 0, height = 0;
  if (!WebPGetInfo(data, bytes.size(), &width, &height)) {
    *problem = "it is not a WebP picture that can be decoded";
    return "";
  }
  if (width > largestSide || height > largestSide) {
    *problem = "its " + std::to_string(width) + "x" + std::to_string(height) + " pixels are more than the engine takes";
    return "";
  }
  const std::unique_ptr<std::uint8_t, void (*)(void*)> pixels(WebPDecodeRGBA(data, bytes.size(), &width, &height), WebPFree);
  if (!pixels) {
    *problem = "its WebP data cannot be decoded";
    return "";
  }
  std::string png;
  if (!stbi_write_png_to_func(Append, &png, width, height, 4, pixels.get(), width * 4) || png.empty()) {
    *problem = "it could not be written as a PNG file";
    return "";
  }
  return png;
}

}  // namespace gltf2demo
