// Linked against the system's libstb, which carries the implementation, so nothing here
// defines it.

#include "platform/d3dx/image_file.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>

namespace platform {
namespace {

// The image library (2.27, as Debian ships it) builds a JPEG Huffman table from the
// code counts of a DHT segment without checking that they add up to at most the 256
// symbols a table can hold, and writes past the table when they do not. Every DHT it
// reads starts right after an FF C4 byte pair, so each such pair is read as it would
// read it; a table that could not fit refuses the file. Bytes past the end read as 0,
// as they do for the library.
bool JpegHuffmanTablesFit(const std::uint8_t* data, std::size_t size) {
  auto at = [&](std::size_t i) -> unsigned { return i < size ? data[i] : 0u; };
  for (std::size_t marker = 0; marker + 1 < size; ++marker) {
    if (data[marker] != 0xFF || data[marker + 1] != 0xC4) continue;
    std::size_t p = marker + 2;
    long left = static_cast<long>(at(p) << 8 | at(p + 1)) - 2;
    p += 2;
    while (left > 0 && p < size) {
      const unsigned q = at(p++);
      if ((q >> 4) > 1 || (q & 15) > 3) break;  // the library rejects the segment here
      unsigned codes = 0;
      for (int i = 0; i < 16; ++i) codes += at(p++);
      if (codes > 256) return false;
      p += codes;
      left -= 17 + static_cast<long>(codes);
    }
  }
  return true;
}

}  // namespace

void DecodedPixelsFree::operator()(std::uint8_t* pixels) const { stbi_image_free(pixels); }

bool DecodeImageFile(const std::uint8_t* data, std::size_t size, ImageFile* image, std::string* error) {
  D3DX10_IMAGE_INFO& info = image->info;
  info = {};
  info.Depth = 1;
  info.ResourceDimension = D3D10_RESOURCE_DIMENSION_TEXTURE2D;
  if (size >= 4 && std::equal(data, data + 4, reinterpret_cast<const std::uint8_t*>("DDS "))) {
    std::string reason;
    if (!ParseDds(data, size, &image->dds, &reason)) {
      *error = ": " + reason;
      return false;
    }
    image->isDds = true;
    info.Width = image->dds.width;
    info.Height = image->dds.height;
    info.ArraySize = image->dds.arraySize;
    info.MipLevels = image->dds.mipLevels;
    info.MiscFlags = image->dds.cube ? D3D10_RESOURCE_MISC_TEXTURECUBE : 0;
    info.Format = image->dds.format;
    info.ImageFileFormat = D3DX10_IFF_DDS;
    return true;
  }
  if (size > static_cast<std::size_t>(INT_MAX)) {
    *error = " is too large";
    return false;
  }
  const int length = static_cast<int>(size);
  // Reading the header already builds the tables, so this comes first. The library
  // takes any file that opens with FF (fill bytes, then the start-of-image marker).
  if (size >= 1 && data[0] == 0xFF && !JpegHuffmanTablesFit(data, size)) {
    *error = " is not an image this layer reads (a JPEG Huffman table holds more than 256 codes)";
    return false;
  }
  int width = 0, height = 0, channels = 0;
  // The header alone first: stb would otherwise allocate whatever size it claims
  // (up to gigabytes) before finding the pixels are not there.
  if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
    *error = std::string(" is not an image this layer reads (") + stbi_failure_reason() + ")";
    return false;
  }
  // The same library reads 16-bit PNM files into a buffer sized for their own channels
  // and then converts as many channels as were asked for, reading past it.
  if (size >= 2 && data[0] == 'P' && (data[1] == '5' || data[1] == '6') && stbi_is_16_bit_from_memory(data, length)) {
    *error = " is not an image this layer reads (16-bit PNM files are not supported)";
    return false;
  }
  const int largest = static_cast<int>(D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION);
  if (width <= 0 || height <= 0 || width > largest || height > largest) {
    *error = " is " + std::to_string(width) + "x" + std::to_string(height) + ", larger than a texture can be";
    return false;
  }
  int decodedWidth = 0, decodedHeight = 0;
  image->rgba.reset(stbi_load_from_memory(data, length, &decodedWidth, &decodedHeight, &channels, 4));
  if (!image->rgba) {
    *error = std::string(" is not an image this layer reads (") + stbi_failure_reason() + ")";
    return false;
  }
  // The pixels are what the texture is sized from; a decoder that disagrees with its
  // own header must not make the upload read past them.
  if (decodedWidth != width || decodedHeight != height) {
    image->rgba.reset();
    *error = " is not an image this layer reads (its header and pixels disagree on its size)";
    return false;
  }
  info.Width = static_cast<UINT>(width);
  info.Height = static_cast<UINT>(height);
  info.ArraySize = 1;
  info.MipLevels = 1;
  info.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  const std::uint8_t* p = data;
  info.ImageFileFormat = (size >= 2 && p[0] == 'B' && p[1] == 'M') ? D3DX10_IFF_BMP
                         : (size >= 2 && p[0] == 0xFF && p[1] == 0xD8) ? D3DX10_IFF_JPG
                         : (size >= 4 && p[0] == 0x89 && p[1] == 'P') ? D3DX10_IFF_PNG
                                                                        : D3DX10_IFF_BMP;  // TGA has no code of its own
  return true;
}

}  // namespace platform
