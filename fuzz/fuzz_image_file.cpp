// The texture loader's decoder on arbitrary bytes: DDS through our reader, every other
// format through the image library. It must reject or decode, never read past the end
// or allocate for a size the file only claims, and what it hands the upload must be as
// large as the size it reports.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/d3dx/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::ImageFile image;
  std::string error;
  if (!platform::DecodeImageFile(data, size, &image, &error)) {
    if (error.empty() || image.rgba) std::abort();
    return 0;
  }
  const D3DX10_IMAGE_INFO& info = image.info;
  if (info.Width == 0 || info.Height == 0 || info.Width > D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION ||
      info.Height > D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION) {
    std::abort();
  }
  unsigned checksum = 0;
  if (image.isDds) {
    for (const platform::DdsImage::Subresource& sub : image.dds.subresources) {
      if (sub.data < data || sub.data + sub.size > data + size) std::abort();
      if (sub.size) checksum += sub.data[0] + sub.data[sub.size - 1];
    }
  } else {
    if (!image.rgba || info.Format != DXGI_FORMAT_R8G8B8A8_UNORM || info.MipLevels != 1) std::abort();
    // The upload reads Width x Height RGBA texels: touch the last so the sanitizer checks it.
    checksum += image.rgba.get()[std::size_t(info.Width) * info.Height * 4 - 1];
  }
  return checksum == 0xFFFFFFFFu ? 1 : 0;
}
