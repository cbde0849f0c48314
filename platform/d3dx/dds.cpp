#include "platform/d3dx/dds.h"

#include <cstring>

#include "platform/d3d10/formats.h"

namespace platform {
namespace {

constexpr std::uint32_t kMagic = 0x20534444;  // "DDS "
constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kPixelFormatSize = 32;
constexpr std::uint32_t DDSD_MIPMAPCOUNT = 0x20000;
constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1;
constexpr std::uint32_t DDPF_ALPHA = 0x2;
constexpr std::uint32_t DDPF_FOURCC = 0x4;
constexpr std::uint32_t DDPF_RGB = 0x40;
constexpr std::uint32_t DDPF_LUMINANCE = 0x20000;
constexpr std::uint32_t DDSCAPS2_CUBEMAP = 0x200;
constexpr std::uint32_t DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00;
constexpr std::uint32_t DDSCAPS2_VOLUME = 0x200000;
constexpr std::uint32_t kResourceMiscTextureCube = 0x4;
constexpr std::uint32_t kDimensionTexture2D = 3;
constexpr unsigned kMaxSize = 16384;
constexpr unsigned kMaxArray = 2048;

constexpr std::uint32_t FourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24;
}

std::uint32_t Read32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct PixelFormat {
  std::uint32_t flags, fourCC, bits, r, g, b, a;
};

DXGI_FORMAT FromFourCC(std::uint32_t code) {
  switch (code) {
    case FourCC('D', 'X', 'T', '1'): return DXGI_FORMAT_BC1_UNORM;
    case FourCC('D', 'X', 'T', '2'):
    case FourCC('D', 'X', 'T', '3'): return DXGI_FORMAT_BC2_UNORM;
    case FourCC('D', 'X', 'T', '4'):
    case FourCC('D', 'X', 'T', '5'): return DXGI_FORMAT_BC3_UNORM;
    case FourCC('A', 'T', 'I', '1'):
    case FourCC('B', 'C', '4', 'U'): return DXGI_FORMAT_BC4_UNORM;
    case FourCC('B', 'C', '4', 'S'): return DXGI_FORMAT_BC4_SNORM;
    case FourCC('A', 'T', 'I', '2'):
    case FourCC('B', 'C', '5', 'U'): return DXGI_FORMAT_BC5_UNORM;
    case FourCC('B', 'C', '5', 'S'): return DXGI_FORMAT_BC5_SNORM;
    // Older writers store a format code of the previous API in the four-character field.
    case 36: return DXGI_FORMAT_R16G16B16A16_UNORM;
    case 110: return DXGI_FORMAT_R16G16B16A16_SNORM;
    case 111: return DXGI_FORMAT_R16_FLOAT;
    case 112: return DXGI_FORMAT_R16G16_FLOAT;
    case 113: return DXGI_FORMAT_R16G16B16A16_FLOAT;
    case 114: return DXGI_FORMAT_R32_FLOAT;
    case 115: return DXGI_FORMAT_R32G32_FLOAT;
    case 116: return DXGI_FORMAT_R32G32B32A32_FLOAT;
    default: return DXGI_FORMAT_UNKNOWN;
  }
}

DXGI_FORMAT FromMasks(const PixelFormat& pf) {
  auto is = [&](std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
    return pf.r == r && pf.g == g && pf.b == b && ((pf.flags & DDPF_ALPHAPIXELS) ? pf.a : 0) == a;
  };
  if (pf.flags & DDPF_RGB) {
    switch (pf.bits) {
      case 32:
        if (is(0xff, 0xff00, 0xff0000, 0xff000000) || is(0xff, 0xff00, 0xff0000, 0)) return DXGI_FORMAT_R8G8B8A8_UNORM;
        if (is(0xff0000, 0xff00, 0xff, 0xff000000)) return DXGI_FORMAT_B8G8R8A8_UNORM;
        if (is(0xff0000, 0xff00, 0xff, 0)) return DXGI_FORMAT_B8G8R8X8_UNORM;
        if (is(0x3ff, 0xffc00, 0x3ff00000, 0xc0000000)) return DXGI_FORMAT_R10G10B10A2_UNORM;
        if (is(0xffff, 0xffff0000, 0, 0)) return DXGI_FORMAT_R16G16_UNORM;
        if (is(0xffffffff, 0, 0, 0)) return DXGI_FORMAT_R32_FLOAT;
        break;
      case 16:
        if (is(0xf800, 0x7e0, 0x1f, 0)) return DXGI_FORMAT_B5G6R5_UNORM;
        if (is(0x7c00, 0x3e0, 0x1f, 0x8000)) return DXGI_FORMAT_B5G5R5A1_UNORM;
        break;
      default:
        break;
    }
  } else if (pf.flags & DDPF_LUMINANCE) {
    if (pf.bits == 8 && pf.r == 0xff) return DXGI_FORMAT_R8_UNORM;
    if (pf.bits == 16 && pf.r == 0xffff) return DXGI_FORMAT_R16_UNORM;
    if (pf.bits == 16 && pf.r == 0xff && (pf.flags & DDPF_ALPHAPIXELS) && pf.a == 0xff00) return DXGI_FORMAT_R8G8_UNORM;
  } else if ((pf.flags & DDPF_ALPHA) && pf.bits == 8) {
    return DXGI_FORMAT_A8_UNORM;
  }
  return DXGI_FORMAT_UNKNOWN;
}

}  // namespace

bool ParseDds(const std::uint8_t* data, std::size_t size, DdsImage* image, std::string* error) {
  *image = DdsImage();
  if (!data || size < 4 + kHeaderSize || Read32(data) != kMagic) {
    *error = "not a DDS file";
    return false;
  }
  const std::uint8_t* header = data + 4;
  if (Read32(header) != kHeaderSize || Read32(header + 72) != kPixelFormatSize) {
    *error = "the DDS header is damaged";
    return false;
  }
  const std::uint32_t flags = Read32(header + 4);
  const std::uint32_t height = Read32(header + 8);
  const std::uint32_t width = Read32(header + 12);
  const std::uint32_t depth = Read32(header + 20);
  const std::uint32_t mipCount = Read32(header + 24);
  const PixelFormat pf = {Read32(header + 76), Read32(header + 80), Read32(header + 84), Read32(header + 88),
                          Read32(header + 92), Read32(header + 96), Read32(header + 100)};
  const std::uint32_t caps2 = Read32(header + 108);
  std::size_t offset = 4 + kHeaderSize;

  unsigned arraySize = 1;
  bool cube = false;
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  if ((pf.flags & DDPF_FOURCC) && pf.fourCC == FourCC('D', 'X', '1', '0')) {
    if (size - offset < 20) {
      *error = "the DDS extended header is truncated";
      return false;
    }
    const std::uint8_t* ext = data + offset;
    offset += 20;
    const std::uint32_t code = Read32(ext);
    if (Read32(ext + 4) != kDimensionTexture2D) {
      *error = "only 2D DDS textures can be read";
      return false;
    }
    format = code < DXGI_FORMAT_COUNT ? static_cast<DXGI_FORMAT>(code) : DXGI_FORMAT_UNKNOWN;
    arraySize = Read32(ext + 12);
    cube = (Read32(ext + 8) & kResourceMiscTextureCube) != 0;
    if (arraySize == 0 || arraySize > kMaxArray) {
      *error = "the DDS array size " + std::to_string(arraySize) + " is out of range";
      return false;
    }
    if (cube) arraySize *= 6;
  } else {
    format = (pf.flags & DDPF_FOURCC) ? FromFourCC(pf.fourCC) : FromMasks(pf);
    if (caps2 & DDSCAPS2_CUBEMAP) {
      if ((caps2 & DDSCAPS2_CUBEMAP_ALLFACES) != DDSCAPS2_CUBEMAP_ALLFACES) {
        *error = "the DDS cube map lacks some of its six faces";
        return false;
      }
      cube = true;
      arraySize = 6;
    }
  }
  if ((caps2 & DDSCAPS2_VOLUME) || depth > 1) {
    *error = "DDS volume textures cannot be read";
    return false;
  }
  const FormatInfo& info = GetFormatInfo(format);
  if (format == DXGI_FORMAT_UNKNOWN || info.kind == FormatKind::Unsupported || info.kind == FormatKind::Depth ||
      info.typeless) {
    *error = "the DDS pixel format is not one this layer reads";
    return false;
  }
  if (width == 0 || height == 0 || width > kMaxSize || height > kMaxSize) {
    *error = "the DDS size " + std::to_string(width) + "x" + std::to_string(height) + " is out of range";
    return false;
  }
  if (cube && width != height) {
    *error = "the DDS cube map faces are not square";
    return false;
  }
  unsigned fullChain = 1;
  for (unsigned s = width > height ? width : height; s > 1; s >>= 1) ++fullChain;
  unsigned mips = (flags & DDSD_MIPMAPCOUNT) && mipCount > 0 ? mipCount : 1;
  if (mips > fullChain) {
    *error = "the DDS file claims " + std::to_string(mips) + " mip levels; a " + std::to_string(width) + "x" +
             std::to_string(height) + " image has at most " + std::to_string(fullChain);
    return false;
  }
  image->format = format;
  image->width = width;
  image->height = height;
  image->mipLevels = mips;
  image->arraySize = arraySize;
  image->cube = cube;
  image->subresources.reserve(static_cast<std::size_t>(arraySize) * mips);
  for (unsigned slice = 0; slice < arraySize; ++slice) {
    unsigned w = width, h = height;
    for (unsigned mip = 0; mip < mips; ++mip) {
      DdsImage::Subresource sub;
      sub.width = w;
      sub.height = h;
      sub.rowPitch = static_cast<unsigned>(RowBytes(format, w));
      // Both factors are bounded (a row under 16384 * 16 bytes, under 16384 rows), so
      // the product fits; the check against what is left is what matters.
      sub.size = static_cast<std::size_t>(sub.rowPitch) * RowCount(format, h);
      if (sub.size > size - offset) {
        *error = "the DDS file is truncated (slice " + std::to_string(slice) + ", mip " + std::to_string(mip) + ")";
        *image = DdsImage();
        return false;
      }
      sub.data = data + offset;
      offset += sub.size;
      image->subresources.push_back(sub);
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
  }
  return true;
}

}  // namespace platform
