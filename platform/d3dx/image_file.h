#pragma once

// Image files to pixels: DDS through our reader, everything stb_image reads (PNG, JPEG,
// BMP, TGA, GIF, PSD, HDR, PIC, PNM) as RGBA8. No GL: the texture loader uploads what
// this finds, and the fuzzer drives it alone.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/d3dx10.h"
#include "platform/d3dx/dds.h"

namespace platform {

struct PLATFORM_API DecodedPixelsFree {
  void operator()(std::uint8_t* pixels) const;
};

struct ImageFile {
  D3DX10_IMAGE_INFO info = {};
  bool isDds = false;
  DdsImage dds;  // for DDS files; points into the bytes given to DecodeImageFile
  std::unique_ptr<std::uint8_t, DecodedPixelsFree> rgba;  // info.Width x info.Height RGBA8 otherwise
};

// Describes and decodes a whole file. False, with the reason in *error, for anything
// that cannot become a texture; the reason reads on from the file's name
// (" is not an image this layer reads (...)", ": the DDS file is truncated"). Sizes are checked before any pixels are decoded, so a header that
// claims a huge picture costs no memory.
PLATFORM_API bool DecodeImageFile(const std::uint8_t* data, std::size_t size, ImageFile* image, std::string* error);

}  // namespace platform
