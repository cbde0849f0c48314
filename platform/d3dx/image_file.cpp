// Linked against the system's libstb, which carries the implementation, so nothing here
// defines it.

#include "platform/d3dx/image_file.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace platform {
namespace {

// The image library (2.27, as Debian ships it) builds a JPEG Huffman table from the
// code counts of a DHT segment without checking that they add up to at most the 256
// symbols a table can hold, and writes past the table when they do not. The checks
// below read the file as the library does, bytes past the end reading as 0 as they do
// there, and refuse it where one of its tables could not fit.
class JpegBytes {
 public:
  JpegBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned operator()(std::size_t i) const { return i < size_ ? data_[i] : 0u; }
  std::size_t size() const { return size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

enum class Segment { Fits, Overflows, Refused };

// The DHT segment whose length field is at `p`; `*end` is where the library goes on.
Segment ReadHuffmanTables(const JpegBytes& at, std::size_t p, std::size_t* end) {
  long left = static_cast<long>(at(p) << 8 | at(p + 1)) - 2;
  p += 2;
  while (left > 0) {
    const unsigned q = at(p++);
    if ((q >> 4) > 1 || (q & 15) > 3) return Segment::Refused;
    unsigned codes = 0;
    for (int i = 0; i < 16; ++i) codes += at(p++);
    if (codes > 256) return Segment::Overflows;
    p += codes;
    left -= 17 + static_cast<long>(codes);
  }
  *end = p;
  return left == 0 ? Segment::Fits : Segment::Refused;
}

// The library's walk from the start of the file to the frame header, segment by
// segment, so that the large APP and COM segments there (EXIF, ICC profiles) are
// skipped by their lengths as it skips them. True when every table on the way fits;
// `*frame` is where the frame header is, or the end when the library gives up first.
bool HeaderTablesFit(const JpegBytes& at, std::size_t* frame) {
  std::size_t p = 0;
  *frame = at.size();
  auto marker = [&]() -> int {  // -1: the next byte starts no marker
    if (at(p++) != 0xFF) return -1;
    unsigned m = 0xFF;
    while (m == 0xFF) m = at(p++);
    return static_cast<int>(m);
  };
  auto length = [&]() {
    const long l = static_cast<long>(at(p) << 8 | at(p + 1));
    p += 2;
    return l;
  };
  if (marker() != 0xD8) return true;  // no start of image: the library reads no further
  for (int m = marker(); m != 0xC0 && m != 0xC1 && m != 0xC2;) {
    if (m == 0xC4) {
      std::size_t end = 0;
      const Segment dht = ReadHuffmanTables(at, p, &end);
      if (dht == Segment::Overflows) return false;
      if (dht == Segment::Refused) return true;
      p = end;
    } else if (m == 0xDB) {  // quantisation tables, 65 or 129 bytes each
      long left = length() - 2;
      while (left > 0) {
        const unsigned q = at(p++);
        if ((q >> 4) > 1 || (q & 15) > 3) return true;
        p += (q >> 4) ? 128 : 64;
        left -= (q >> 4) ? 129 : 65;
      }
      if (left != 0) return true;
    } else if (m == 0xDD) {
      if (length() != 4) return true;
      p += 2;
    } else if ((m >= 0xE0 && m <= 0xEF) || m == 0xFE) {
      const long l = length();
      if (l < 2) return true;
      p += static_cast<std::size_t>(l - 2);
    } else {
      return true;  // a marker the library refuses here
    }
    // Padding between segments is skipped a byte at a time, up to the next FF.
    do {
      if (p >= at.size()) return true;
      m = marker();
    } while (m == -1);
  }
  *frame = p;
  return true;
}

// From the frame header on, tables come between scans, and the library may take any
// FF C4 byte pair for the start of one (it finds markers inside the scans' data too),
// so each such pair is read as a table.
bool JpegHuffmanTablesFit(const std::uint8_t* data, std::size_t size) {
  const JpegBytes at(data, size);
  std::size_t frame = size;
  if (!HeaderTablesFit(at, &frame)) return false;
  for (std::size_t marker = frame >= 2 ? frame - 2 : 0; marker + 1 < size; ++marker) {
    if (data[marker] != 0xFF || data[marker + 1] != 0xC4) continue;
    std::size_t end = 0;
    if (ReadHuffmanTables(at, marker + 2, &end) == Segment::Overflows) return false;
  }
  return true;
}

// The same library reads a PNM header's width, height and largest value into an int
// without a bound; a number of ten digits or more overflows it. Whitespace and comments
// are skipped as it skips them.
bool PnmNumbersFit(const std::uint8_t* data, std::size_t size) {
  std::size_t p = 2;  // after "P5" or "P6"
  auto space = [](std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  for (int number = 0; number < 3; ++number) {
    for (;;) {
      while (p < size && space(data[p])) ++p;
      if (p >= size || data[p] != '#') break;
      while (p < size && data[p] != '\n' && data[p] != '\r') ++p;
    }
    int digits = 0;
    for (; p < size && data[p] >= '0' && data[p] <= '9'; ++p) ++digits;
    if (digits > 9) return false;
  }
  return true;
}

// The image library appends each IDAT chunk to a buffer it allocates on the first one;
// an empty first IDAT makes it offset that still-null pointer, which is undefined.
// Encoders never write one, so such a file is refused rather than decoded.
bool PngStartsWithEmptyData(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || !std::equal(kSignature, kSignature + 8, data)) return false;
  for (std::size_t p = 8; p + 8 <= size;) {
    const std::uint32_t length = (std::uint32_t{data[p]} << 24) | (std::uint32_t{data[p + 1]} << 16) |
                                 (std::uint32_t{data[p + 2]} << 8) | std::uint32_t{data[p + 3]};
    if (std::equal(data + p + 4, data + p + 8, reinterpret_cast<const std::uint8_t*>("IDAT"))) return length == 0;
    if (length > size - p - 8) return false;  // cut: the decoder reports it
    p += 8 + std::size_t{length} + 4;
  }
  return false;
}

}  // namespace

void DecodedPixelsFree::operator()(std::uint8_t* pixels) const { stbi_image_free(pixels); }

bool DecodeImageFile(const std::uint8_t* data, std::size_t size, ImageFile* image, std::string* error) {
  *image = ImageFile();
  D3DX10_IMAGE_INFO& info = image->info;
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
  const bool pnm = size >= 2 && data[0] == 'P' && (data[1] == '5' || data[1] == '6');
  if (pnm && !PnmNumbersFit(data, size)) {
    *error = " is not an image this layer reads (a PNM header number is too long)";
    return false;
  }
  if (PngStartsWithEmptyData(data, size)) {
    *error = " is not an image this layer reads (its first IDAT chunk is empty)";
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
  if (pnm && stbi_is_16_bit_from_memory(data, length)) {
    *error = " is not an image this layer reads (16-bit PNM files are not supported)";
    return false;
  }
  const int largest = static_cast<int>(D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION);
  if (width <= 0 || height <= 0 || width > largest || height > largest) {
    *error = " is " + std::to_string(width) + "x" + std::to_string(height) + ", larger than a texture can be";
    return false;
  }
  // A run-length TGA reads past its end as zeros, so a few bytes could make the decoder
  // fill 8192x8192 pixels. No format read here packs more than 4096 pixels into a byte
  // (LZW with a full table tops out near 2730, deflate near 1032), so a header claiming
  // more than that is cut or made up.
  constexpr std::uint64_t kMostPixelsPerByte = 4096;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMostPixelsPerByte * size) {
    *error = " is not an image this layer reads (its header claims " + std::to_string(width) + "x" +
             std::to_string(height) + " pixels, more than its " + std::to_string(size) + " bytes can hold)";
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
