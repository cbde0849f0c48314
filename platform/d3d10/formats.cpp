#include "platform/d3d10/formats.h"

#include <epoxy/gl.h>

#include <array>
#include <cstring>

namespace platform {
namespace {

struct Builder {
  FormatInfo info;
  Builder(DXGI_FORMAT format, const char* name, DXGI_FORMAT family) {
    info.format = format;
    info.name = name;
    info.family = family;
    // Formats that stand alone are their own family without being typeless.
    info.typeless = format == family && std::strstr(name, "TYPELESS") != nullptr;
  }
  Builder& Color(unsigned bytes, GLenum internal, GLenum format, GLenum type) {
    info.kind = FormatKind::Color;
    info.bytes = bytes;
    info.glInternal = internal;
    info.glFormat = format;
    info.glType = type;
    return *this;
  }
  Builder& Depth(unsigned bytes, GLenum internal, GLenum format, GLenum type, bool stencil) {
    Color(bytes, internal, format, type);
    info.kind = FormatKind::Depth;
    info.hasStencil = stencil;
    return *this;
  }
  Builder& Compressed(unsigned blockBytes, GLenum internal) {
    info.kind = FormatKind::Compressed;
    info.bytes = blockBytes;
    info.glInternal = internal;
    return *this;
  }
  Builder& Attribute(unsigned components, GLenum type, AttributeKind kind) {
    info.attributeComponents = components;
    info.attributeType = type;
    info.attribute = kind;
    return *this;
  }
  Builder& With(Swizzle swizzle) {
    info.swizzle = swizzle;
    return *this;
  }
};

#define F(code, family) Builder(DXGI_FORMAT_##code, #code, DXGI_FORMAT_##family)

constexpr AttributeKind kFloat = AttributeKind::Float;
constexpr AttributeKind kNorm = AttributeKind::Normalized;
constexpr AttributeKind kInt = AttributeKind::Integer;

// No default: the compiler checks that every code has its entry.
FormatInfo Describe(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_UNKNOWN: return F(UNKNOWN, UNKNOWN).info;
    case DXGI_FORMAT_R32G32B32A32_TYPELESS: return F(R32G32B32A32_TYPELESS, R32G32B32A32_TYPELESS).Color(16, GL_RGBA32F, GL_RGBA, GL_FLOAT).info;
    case DXGI_FORMAT_R32G32B32A32_FLOAT: return F(R32G32B32A32_FLOAT, R32G32B32A32_TYPELESS).Color(16, GL_RGBA32F, GL_RGBA, GL_FLOAT).Attribute(4, GL_FLOAT, kFloat).info;
    case DXGI_FORMAT_R32G32B32A32_UINT: return F(R32G32B32A32_UINT, R32G32B32A32_TYPELESS).Color(16, GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT).Attribute(4, GL_UNSIGNED_INT, kInt).info;
    case DXGI_FORMAT_R32G32B32A32_SINT: return F(R32G32B32A32_SINT, R32G32B32A32_TYPELESS).Color(16, GL_RGBA32I, GL_RGBA_INTEGER, GL_INT).Attribute(4, GL_INT, kInt).info;
    case DXGI_FORMAT_R32G32B32_TYPELESS: return F(R32G32B32_TYPELESS, R32G32B32_TYPELESS).Color(12, GL_RGB32F, GL_RGB, GL_FLOAT).info;
    case DXGI_FORMAT_R32G32B32_FLOAT: return F(R32G32B32_FLOAT, R32G32B32_TYPELESS).Color(12, GL_RGB32F, GL_RGB, GL_FLOAT).Attribute(3, GL_FLOAT, kFloat).info;
    case DXGI_FORMAT_R32G32B32_UINT: return F(R32G32B32_UINT, R32G32B32_TYPELESS).Color(12, GL_RGB32UI, GL_RGB_INTEGER, GL_UNSIGNED_INT).Attribute(3, GL_UNSIGNED_INT, kInt).info;
    case DXGI_FORMAT_R32G32B32_SINT: return F(R32G32B32_SINT, R32G32B32_TYPELESS).Color(12, GL_RGB32I, GL_RGB_INTEGER, GL_INT).Attribute(3, GL_INT, kInt).info;
    case DXGI_FORMAT_R16G16B16A16_TYPELESS: return F(R16G16B16A16_TYPELESS, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT).info;
    case DXGI_FORMAT_R16G16B16A16_FLOAT: return F(R16G16B16A16_FLOAT, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT).Attribute(4, GL_HALF_FLOAT, kFloat).info;
    case DXGI_FORMAT_R16G16B16A16_UNORM: return F(R16G16B16A16_UNORM, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT).Attribute(4, GL_UNSIGNED_SHORT, kNorm).info;
    case DXGI_FORMAT_R16G16B16A16_UINT: return F(R16G16B16A16_UINT, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16UI, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT).Attribute(4, GL_UNSIGNED_SHORT, kInt).info;
    case DXGI_FORMAT_R16G16B16A16_SNORM: return F(R16G16B16A16_SNORM, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16_SNORM, GL_RGBA, GL_SHORT).Attribute(4, GL_SHORT, kNorm).info;
    case DXGI_FORMAT_R16G16B16A16_SINT: return F(R16G16B16A16_SINT, R16G16B16A16_TYPELESS).Color(8, GL_RGBA16I, GL_RGBA_INTEGER, GL_SHORT).Attribute(4, GL_SHORT, kInt).info;
    case DXGI_FORMAT_R32G32_TYPELESS: return F(R32G32_TYPELESS, R32G32_TYPELESS).Color(8, GL_RG32F, GL_RG, GL_FLOAT).info;
    case DXGI_FORMAT_R32G32_FLOAT: return F(R32G32_FLOAT, R32G32_TYPELESS).Color(8, GL_RG32F, GL_RG, GL_FLOAT).Attribute(2, GL_FLOAT, kFloat).info;
    case DXGI_FORMAT_R32G32_UINT: return F(R32G32_UINT, R32G32_TYPELESS).Color(8, GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT).Attribute(2, GL_UNSIGNED_INT, kInt).info;
    case DXGI_FORMAT_R32G32_SINT: return F(R32G32_SINT, R32G32_TYPELESS).Color(8, GL_RG32I, GL_RG_INTEGER, GL_INT).Attribute(2, GL_INT, kInt).info;
    case DXGI_FORMAT_R32G8X24_TYPELESS: return F(R32G8X24_TYPELESS, R32G8X24_TYPELESS).Depth(8, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, true).info;
    case DXGI_FORMAT_D32_FLOAT_S8X24_UINT: return F(D32_FLOAT_S8X24_UINT, R32G8X24_TYPELESS).Depth(8, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, true).info;
    case DXGI_FORMAT_R32_FLOAT_X8X24_TYPELESS: return F(R32_FLOAT_X8X24_TYPELESS, R32G8X24_TYPELESS).Depth(8, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, true).info;
    case DXGI_FORMAT_X32_TYPELESS_G8X24_UINT: return F(X32_TYPELESS_G8X24_UINT, R32G8X24_TYPELESS).Depth(8, GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, true).info;
    case DXGI_FORMAT_R10G10B10A2_TYPELESS: return F(R10G10B10A2_TYPELESS, R10G10B10A2_TYPELESS).Color(4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV).info;
    case DXGI_FORMAT_R10G10B10A2_UNORM: return F(R10G10B10A2_UNORM, R10G10B10A2_TYPELESS).Color(4, GL_RGB10_A2, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV).Attribute(4, GL_UNSIGNED_INT_2_10_10_10_REV, kNorm).info;
    case DXGI_FORMAT_R10G10B10A2_UINT: return F(R10G10B10A2_UINT, R10G10B10A2_TYPELESS).Color(4, GL_RGB10_A2UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT_2_10_10_10_REV).info;
    case DXGI_FORMAT_R11G11B10_FLOAT: return F(R11G11B10_FLOAT, R11G11B10_FLOAT).Color(4, GL_R11F_G11F_B10F, GL_RGB, GL_UNSIGNED_INT_10F_11F_11F_REV).Attribute(3, GL_UNSIGNED_INT_10F_11F_11F_REV, kFloat).info;
    case DXGI_FORMAT_R8G8B8A8_TYPELESS: return F(R8G8B8A8_TYPELESS, R8G8B8A8_TYPELESS).Color(4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE).info;
    case DXGI_FORMAT_R8G8B8A8_UNORM: return F(R8G8B8A8_UNORM, R8G8B8A8_TYPELESS).Color(4, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE).Attribute(4, GL_UNSIGNED_BYTE, kNorm).info;
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB: return F(R8G8B8A8_UNORM_SRGB, R8G8B8A8_TYPELESS).Color(4, GL_SRGB8_ALPHA8, GL_RGBA, GL_UNSIGNED_BYTE).info;
    case DXGI_FORMAT_R8G8B8A8_UINT: return F(R8G8B8A8_UINT, R8G8B8A8_TYPELESS).Color(4, GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE).Attribute(4, GL_UNSIGNED_BYTE, kInt).info;
    case DXGI_FORMAT_R8G8B8A8_SNORM: return F(R8G8B8A8_SNORM, R8G8B8A8_TYPELESS).Color(4, GL_RGBA8_SNORM, GL_RGBA, GL_BYTE).Attribute(4, GL_BYTE, kNorm).info;
    case DXGI_FORMAT_R8G8B8A8_SINT: return F(R8G8B8A8_SINT, R8G8B8A8_TYPELESS).Color(4, GL_RGBA8I, GL_RGBA_INTEGER, GL_BYTE).Attribute(4, GL_BYTE, kInt).info;
    case DXGI_FORMAT_R16G16_TYPELESS: return F(R16G16_TYPELESS, R16G16_TYPELESS).Color(4, GL_RG16F, GL_RG, GL_HALF_FLOAT).info;
    case DXGI_FORMAT_R16G16_FLOAT: return F(R16G16_FLOAT, R16G16_TYPELESS).Color(4, GL_RG16F, GL_RG, GL_HALF_FLOAT).Attribute(2, GL_HALF_FLOAT, kFloat).info;
    case DXGI_FORMAT_R16G16_UNORM: return F(R16G16_UNORM, R16G16_TYPELESS).Color(4, GL_RG16, GL_RG, GL_UNSIGNED_SHORT).Attribute(2, GL_UNSIGNED_SHORT, kNorm).info;
    case DXGI_FORMAT_R16G16_UINT: return F(R16G16_UINT, R16G16_TYPELESS).Color(4, GL_RG16UI, GL_RG_INTEGER, GL_UNSIGNED_SHORT).Attribute(2, GL_UNSIGNED_SHORT, kInt).info;
    case DXGI_FORMAT_R16G16_SNORM: return F(R16G16_SNORM, R16G16_TYPELESS).Color(4, GL_RG16_SNORM, GL_RG, GL_SHORT).Attribute(2, GL_SHORT, kNorm).info;
    case DXGI_FORMAT_R16G16_SINT: return F(R16G16_SINT, R16G16_TYPELESS).Color(4, GL_RG16I, GL_RG_INTEGER, GL_SHORT).Attribute(2, GL_SHORT, kInt).info;
    case DXGI_FORMAT_R32_TYPELESS: return F(R32_TYPELESS, R32_TYPELESS).Color(4, GL_R32F, GL_RED, GL_FLOAT).info;
    case DXGI_FORMAT_D32_FLOAT: return F(D32_FLOAT, R32_TYPELESS).Depth(4, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, false).info;
    case DXGI_FORMAT_R32_FLOAT: return F(R32_FLOAT, R32_TYPELESS).Color(4, GL_R32F, GL_RED, GL_FLOAT).Attribute(1, GL_FLOAT, kFloat).info;
    case DXGI_FORMAT_R32_UINT: return F(R32_UINT, R32_TYPELESS).Color(4, GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT).Attribute(1, GL_UNSIGNED_INT, kInt).info;
    case DXGI_FORMAT_R32_SINT: return F(R32_SINT, R32_TYPELESS).Color(4, GL_R32I, GL_RED_INTEGER, GL_INT).Attribute(1, GL_INT, kInt).info;
    case DXGI_FORMAT_R24G8_TYPELESS: return F(R24G8_TYPELESS, R24G8_TYPELESS).Depth(4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, true).info;
    case DXGI_FORMAT_D24_UNORM_S8_UINT: return F(D24_UNORM_S8_UINT, R24G8_TYPELESS).Depth(4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, true).info;
    case DXGI_FORMAT_R24_UNORM_X8_TYPELESS: return F(R24_UNORM_X8_TYPELESS, R24G8_TYPELESS).Depth(4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, true).info;
    case DXGI_FORMAT_X24_TYPELESS_G8_UINT: return F(X24_TYPELESS_G8_UINT, R24G8_TYPELESS).Depth(4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, true).info;
    case DXGI_FORMAT_R8G8_TYPELESS: return F(R8G8_TYPELESS, R8G8_TYPELESS).Color(2, GL_RG8, GL_RG, GL_UNSIGNED_BYTE).info;
    case DXGI_FORMAT_R8G8_UNORM: return F(R8G8_UNORM, R8G8_TYPELESS).Color(2, GL_RG8, GL_RG, GL_UNSIGNED_BYTE).Attribute(2, GL_UNSIGNED_BYTE, kNorm).info;
    case DXGI_FORMAT_R8G8_UINT: return F(R8G8_UINT, R8G8_TYPELESS).Color(2, GL_RG8UI, GL_RG_INTEGER, GL_UNSIGNED_BYTE).Attribute(2, GL_UNSIGNED_BYTE, kInt).info;
    case DXGI_FORMAT_R8G8_SNORM: return F(R8G8_SNORM, R8G8_TYPELESS).Color(2, GL_RG8_SNORM, GL_RG, GL_BYTE).Attribute(2, GL_BYTE, kNorm).info;
    case DXGI_FORMAT_R8G8_SINT: return F(R8G8_SINT, R8G8_TYPELESS).Color(2, GL_RG8I, GL_RG_INTEGER, GL_BYTE).Attribute(2, GL_BYTE, kInt).info;
    case DXGI_FORMAT_R16_TYPELESS: return F(R16_TYPELESS, R16_TYPELESS).Color(2, GL_R16F, GL_RED, GL_HALF_FLOAT).info;
    case DXGI_FORMAT_R16_FLOAT: return F(R16_FLOAT, R16_TYPELESS).Color(2, GL_R16F, GL_RED, GL_HALF_FLOAT).Attribute(1, GL_HALF_FLOAT, kFloat).info;
    case DXGI_FORMAT_D16_UNORM: return F(D16_UNORM, R16_TYPELESS).Depth(2, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, false).info;
    case DXGI_FORMAT_R16_UNORM: return F(R16_UNORM, R16_TYPELESS).Color(2, GL_R16, GL_RED, GL_UNSIGNED_SHORT).Attribute(1, GL_UNSIGNED_SHORT, kNorm).info;
    case DXGI_FORMAT_R16_UINT: return F(R16_UINT, R16_TYPELESS).Color(2, GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT).Attribute(1, GL_UNSIGNED_SHORT, kInt).info;
    case DXGI_FORMAT_R16_SNORM: return F(R16_SNORM, R16_TYPELESS).Color(2, GL_R16_SNORM, GL_RED, GL_SHORT).Attribute(1, GL_SHORT, kNorm).info;
    case DXGI_FORMAT_R16_SINT: return F(R16_SINT, R16_TYPELESS).Color(2, GL_R16I, GL_RED_INTEGER, GL_SHORT).Attribute(1, GL_SHORT, kInt).info;
    case DXGI_FORMAT_R8_TYPELESS: return F(R8_TYPELESS, R8_TYPELESS).Color(1, GL_R8, GL_RED, GL_UNSIGNED_BYTE).info;
    case DXGI_FORMAT_R8_UNORM: return F(R8_UNORM, R8_TYPELESS).Color(1, GL_R8, GL_RED, GL_UNSIGNED_BYTE).Attribute(1, GL_UNSIGNED_BYTE, kNorm).info;
    case DXGI_FORMAT_R8_UINT: return F(R8_UINT, R8_TYPELESS).Color(1, GL_R8UI, GL_RED_INTEGER, GL_UNSIGNED_BYTE).Attribute(1, GL_UNSIGNED_BYTE, kInt).info;
    case DXGI_FORMAT_R8_SNORM: return F(R8_SNORM, R8_TYPELESS).Color(1, GL_R8_SNORM, GL_RED, GL_BYTE).Attribute(1, GL_BYTE, kNorm).info;
    case DXGI_FORMAT_R8_SINT: return F(R8_SINT, R8_TYPELESS).Color(1, GL_R8I, GL_RED_INTEGER, GL_BYTE).Attribute(1, GL_BYTE, kInt).info;
    case DXGI_FORMAT_A8_UNORM: return F(A8_UNORM, A8_UNORM).Color(1, GL_R8, GL_RED, GL_UNSIGNED_BYTE).With(Swizzle::AlphaOnly).info;
    // One bit per pixel and the packed 4:2:2 layouts have no GL storage.
    case DXGI_FORMAT_R1_UNORM: return F(R1_UNORM, R1_UNORM).info;
    case DXGI_FORMAT_R9G9B9E5_SHAREDEXP: return F(R9G9B9E5_SHAREDEXP, R9G9B9E5_SHAREDEXP).Color(4, GL_RGB9_E5, GL_RGB, GL_UNSIGNED_INT_5_9_9_9_REV).info;
    case DXGI_FORMAT_R8G8_B8G8_UNORM: return F(R8G8_B8G8_UNORM, R8G8_B8G8_UNORM).info;
    case DXGI_FORMAT_G8R8_G8B8_UNORM: return F(G8R8_G8B8_UNORM, G8R8_G8B8_UNORM).info;
    case DXGI_FORMAT_BC1_TYPELESS: return F(BC1_TYPELESS, BC1_TYPELESS).Compressed(8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT).info;
    case DXGI_FORMAT_BC1_UNORM: return F(BC1_UNORM, BC1_TYPELESS).Compressed(8, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT).info;
    case DXGI_FORMAT_BC1_UNORM_SRGB: return F(BC1_UNORM_SRGB, BC1_TYPELESS).Compressed(8, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT).info;
    case DXGI_FORMAT_BC2_TYPELESS: return F(BC2_TYPELESS, BC2_TYPELESS).Compressed(16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT).info;
    case DXGI_FORMAT_BC2_UNORM: return F(BC2_UNORM, BC2_TYPELESS).Compressed(16, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT).info;
    case DXGI_FORMAT_BC2_UNORM_SRGB: return F(BC2_UNORM_SRGB, BC2_TYPELESS).Compressed(16, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT).info;
    case DXGI_FORMAT_BC3_TYPELESS: return F(BC3_TYPELESS, BC3_TYPELESS).Compressed(16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT).info;
    case DXGI_FORMAT_BC3_UNORM: return F(BC3_UNORM, BC3_TYPELESS).Compressed(16, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT).info;
    case DXGI_FORMAT_BC3_UNORM_SRGB: return F(BC3_UNORM_SRGB, BC3_TYPELESS).Compressed(16, GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT).info;
    case DXGI_FORMAT_BC4_TYPELESS: return F(BC4_TYPELESS, BC4_TYPELESS).Compressed(8, GL_COMPRESSED_RED_RGTC1).info;
    case DXGI_FORMAT_BC4_UNORM: return F(BC4_UNORM, BC4_TYPELESS).Compressed(8, GL_COMPRESSED_RED_RGTC1).info;
    case DXGI_FORMAT_BC4_SNORM: return F(BC4_SNORM, BC4_TYPELESS).Compressed(8, GL_COMPRESSED_SIGNED_RED_RGTC1).info;
    case DXGI_FORMAT_BC5_TYPELESS: return F(BC5_TYPELESS, BC5_TYPELESS).Compressed(16, GL_COMPRESSED_RG_RGTC2).info;
    case DXGI_FORMAT_BC5_UNORM: return F(BC5_UNORM, BC5_TYPELESS).Compressed(16, GL_COMPRESSED_RG_RGTC2).info;
    case DXGI_FORMAT_BC5_SNORM: return F(BC5_SNORM, BC5_TYPELESS).Compressed(16, GL_COMPRESSED_SIGNED_RG_RGTC2).info;
    case DXGI_FORMAT_B5G6R5_UNORM: return F(B5G6R5_UNORM, B5G6R5_UNORM).Color(2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5).info;
    case DXGI_FORMAT_B5G5R5A1_UNORM: return F(B5G5R5A1_UNORM, B5G5R5A1_UNORM).Color(2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV).info;
    case DXGI_FORMAT_B8G8R8A8_UNORM: return F(B8G8R8A8_UNORM, B8G8R8A8_UNORM).Color(4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE).Attribute(GL_BGRA, GL_UNSIGNED_BYTE, kNorm).info;
    case DXGI_FORMAT_B8G8R8X8_UNORM: return F(B8G8R8X8_UNORM, B8G8R8X8_UNORM).Color(4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE).With(Swizzle::AlphaOne).info;
  }
  return F(UNKNOWN, UNKNOWN).info;
}
#undef F

const std::array<FormatInfo, DXGI_FORMAT_COUNT>& Table() {
  static const std::array<FormatInfo, DXGI_FORMAT_COUNT> table = [] {
    std::array<FormatInfo, DXGI_FORMAT_COUNT> t{};
    for (unsigned i = 0; i < DXGI_FORMAT_COUNT; ++i) t[i] = Describe(static_cast<DXGI_FORMAT>(i));
    return t;
  }();
  return table;
}

}  // namespace

const FormatInfo& GetFormatInfo(DXGI_FORMAT format) {
  const unsigned code = static_cast<unsigned>(format);
  return Table()[code < DXGI_FORMAT_COUNT ? code : 0];
}

DXGI_FORMAT DepthFormatOfFamily(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_R32G8X24_TYPELESS: return DXGI_FORMAT_D32_FLOAT_S8X24_UINT;
    case DXGI_FORMAT_R32_TYPELESS: return DXGI_FORMAT_D32_FLOAT;
    case DXGI_FORMAT_R24G8_TYPELESS: return DXGI_FORMAT_D24_UNORM_S8_UINT;
    case DXGI_FORMAT_R16_TYPELESS: return DXGI_FORMAT_D16_UNORM;
    default: return format;
  }
}

std::size_t RowBytes(DXGI_FORMAT format, unsigned width) {
  const FormatInfo& info = GetFormatInfo(format);
  if (info.kind == FormatKind::Compressed) return static_cast<std::size_t>((width + 3) / 4) * info.bytes;
  return static_cast<std::size_t>(width) * info.bytes;
}

unsigned RowCount(DXGI_FORMAT format, unsigned height) {
  const FormatInfo& info = GetFormatInfo(format);
  if (info.kind == FormatKind::Unsupported) return 0;
  return info.kind == FormatKind::Compressed ? (height + 3) / 4 : height;
}

bool IsDisplayFormat(DXGI_FORMAT format) {
  switch (format) {
    case DXGI_FORMAT_R8G8B8A8_UNORM:
    case DXGI_FORMAT_R8G8B8A8_UNORM_SRGB:
    case DXGI_FORMAT_B8G8R8A8_UNORM:
    case DXGI_FORMAT_R10G10B10A2_UNORM:
    case DXGI_FORMAT_R16G16B16A16_FLOAT:
      return true;
    default:
      return false;
  }
}

}  // namespace platform
