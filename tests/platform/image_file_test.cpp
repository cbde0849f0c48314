// The texture loader's decoder on files made here by the image library's writers, and
// on the damaged files that used to make the reader write or read past its buffers.

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx/image_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Append(void* context, void* data, int size) {
  auto* bytes = static_cast<Bytes*>(context);
  bytes->insert(bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

// A 6x4 picture whose every texel differs.
std::vector<std::uint8_t> Texels() {
  std::vector<std::uint8_t> rgba(6 * 4 * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7);
  return rgba;
}

Bytes Png() {
  Bytes file;
  const auto texels = Texels();
  stbi_write_png_to_func(Append, &file, 6, 4, 4, texels.data(), 6 * 4);
  return file;
}

Bytes Jpeg() {
  Bytes file;
  const auto texels = Texels();
  stbi_write_jpg_to_func(Append, &file, 6, 4, 4, texels.data(), 90);
  return file;
}

std::string Decode(const Bytes& file, platform::ImageFile* image) {
  std::string error;
  return platform::DecodeImageFile(file.data(), file.size(), image, &error) ? "" : error;
}

TEST(ImageFileTest, DecodesEveryFormatToRgbaOfTheFilesSize) {
  for (const Bytes& file : {Png(), Jpeg()}) {
    platform::ImageFile image;
    ASSERT_EQ(Decode(file, &image), "");
    EXPECT_EQ(image.info.Width, 6u);
    EXPECT_EQ(image.info.Height, 4u);
    EXPECT_EQ(image.info.Format, DXGI_FORMAT_R8G8B8A8_UNORM);
    ASSERT_TRUE(image.rgba);
  }
  platform::ImageFile png;
  ASSERT_EQ(Decode(Png(), &png), "");
  EXPECT_EQ(png.info.ImageFileFormat, D3DX10_IFF_PNG);
  EXPECT_EQ(std::vector<std::uint8_t>(png.rgba.get(), png.rgba.get() + 6 * 4 * 4), Texels());
}

TEST(ImageFileTest, RefusesDamagedFilesBeforeDecodingThem) {
  platform::ImageFile image;
  // A JPEG Huffman table that claims 16 x 255 codes, where 256 is the most there can be.
  Bytes jpeg = Jpeg();
  std::size_t dht = 0;
  while (dht + 1 < jpeg.size() && !(jpeg[dht] == 0xFF && jpeg[dht + 1] == 0xC4)) ++dht;
  ASSERT_LT(dht + 21, jpeg.size());
  for (std::size_t i = dht + 5; i < dht + 21; ++i) jpeg[i] = 0xFF;
  EXPECT_EQ(Decode(jpeg, &image), " is not an image this layer reads (a JPEG Huffman table holds more than 256 codes)");
  // The same behind fill bytes, which the decoder skips before the start marker.
  jpeg.insert(jpeg.begin(), 0xFF);
  EXPECT_NE(Decode(jpeg, &image), "");

  // Before the frame header too; but a comment that only holds those bytes is skipped
  // by its length, as the decoder skips it, and the picture still reads.
  const Bytes overflowing = {0xFF, 0xC4, 0x00, 0x13, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                             0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  Bytes early = Jpeg();
  early.insert(early.begin() + 2, overflowing.begin(), overflowing.end());
  EXPECT_NE(Decode(early, &image).find("Huffman"), std::string::npos);
  Bytes comment = Jpeg();
  Bytes segment = {0xFF, 0xFE, 0x00, static_cast<std::uint8_t>(2 + overflowing.size())};
  segment.insert(segment.end(), overflowing.begin(), overflowing.end());
  comment.insert(comment.begin() + 2, segment.begin(), segment.end());
  EXPECT_EQ(Decode(comment, &image), "");

  const std::string pgm = "P5\n2 1\n65535\n\x01\x02\x03\x04";
  EXPECT_EQ(Decode(Bytes(pgm.begin(), pgm.end()), &image),
            " is not an image this layer reads (16-bit PNM files are not supported)");
  const std::string huge = "P6 # comment\n2 2999999999 255\n";
  EXPECT_EQ(Decode(Bytes(huge.begin(), huge.end()), &image),
            " is not an image this layer reads (a PNM header number is too long)");

  // A PNG header that claims 100000 x 3 pixels: refused from the header, nothing decoded.
  Bytes wide = Png();
  wide[16] = 0, wide[17] = 0x01, wide[18] = 0x86, wide[19] = 0xA0;
  wide[20] = 0, wide[21] = 0, wide[22] = 0, wide[23] = 3;
  EXPECT_EQ(Decode(wide, &image), " is 100000x3, larger than a texture can be");
  EXPECT_FALSE(image.rgba);

  // A run-length TGA of 62 bytes whose header claims 3840x3840 (the fuzzer's): the
  // decoder would fill 14.7 million pixels from nothing.
  Bytes tga = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x0F, 0x00, 0x0F, 24, 0};
  tga.resize(62, 0x0F);
  EXPECT_EQ(Decode(tga, &image),
            " is not an image this layer reads (its header claims 3840x3840 pixels, more than its 62 bytes can hold)");
  EXPECT_FALSE(image.rgba);

  // An empty IDAT chunk ahead of the real one: refused, where the decoder would offset a
  // null buffer.
  Bytes emptyData = Png();
  std::size_t idat = 8;
  while (!std::equal(emptyData.begin() + idat + 4, emptyData.begin() + idat + 8, "IDAT")) {
    idat += 12 + ((std::size_t{emptyData[idat + 2]} << 8) | emptyData[idat + 3]);
  }
  const Bytes empty = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0x35, 0xAF, 0x06, 0x1E};
  emptyData.insert(emptyData.begin() + static_cast<std::ptrdiff_t>(idat), empty.begin(), empty.end());
  EXPECT_EQ(Decode(emptyData, &image), " is not an image this layer reads (its first IDAT chunk is empty)");

  const std::string dds = "DDS short";
  EXPECT_EQ(Decode(Bytes(dds.begin(), dds.end()), &image).rfind(": ", 0), 0u) << "the DDS reader's reason follows";
  EXPECT_NE(Decode(Bytes{'B', 'M', 0, 0}, &image).find("is not an image this layer reads"), std::string::npos);
}

}  // namespace
