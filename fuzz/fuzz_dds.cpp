// The DDS reader on arbitrary bytes: it must reject or describe, never read past the
// end, and every subresource it reports must lie inside the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/d3dx/dds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::DdsImage image;
  std::string error;
  if (!platform::ParseDds(data, size, &image, &error)) return 0;
  if (image.subresources.size() != std::size_t(image.arraySize) * image.mipLevels) std::abort();
  unsigned checksum = 0;
  for (const platform::DdsImage::Subresource& sub : image.subresources) {
    if (sub.data < data || sub.data + sub.size > data + size) std::abort();
    // Touch the first and last byte so the sanitizer checks the range.
    if (sub.size) checksum += sub.data[0] + sub.data[sub.size - 1];
  }
  return checksum == 0xFFFFFFFFu ? 1 : 0;
}
