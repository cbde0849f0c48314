#pragma once

// What each DXGI format means to this layer: its size, its family (the typeless code
// views may reinterpret it within), how GL stores and uploads it, and how a vertex
// attribute reads it. One table; every question about a format is answered here.

#include <cstddef>
#include <cstdint>

#include "platform/api.h"
#include "platform/dxgi_format.h"

namespace platform {

enum class FormatKind : std::uint8_t {
  Unsupported,  // GL cannot hold it (R1, the packed 4:2:2 formats) or the code is unknown
  Color,
  Depth,        // a depth format, or a typeless family with a depth member
  Compressed,   // 4x4 blocks
};

// How a texture of the format must be sampled to read as the DXGI format does.
enum class Swizzle : std::uint8_t { None, AlphaOne, AlphaOnly };

enum class AttributeKind : std::uint8_t { None, Float, Normalized, Integer };

struct FormatInfo {
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  const char* name = "UNKNOWN";      // without the DXGI_FORMAT_ prefix
  FormatKind kind = FormatKind::Unsupported;
  DXGI_FORMAT family = DXGI_FORMAT_UNKNOWN;  // typeless code of the group; itself when alone
  bool typeless = false;
  unsigned bytes = 0;                // per pixel, or per 4x4 block when compressed
  // GL storage and the upload format and type that match the DXGI memory layout.
  unsigned glInternal = 0;
  unsigned glFormat = 0;
  unsigned glType = 0;
  Swizzle swizzle = Swizzle::None;
  bool hasStencil = false;
  // Vertex attribute reading: components, GL type, how the shader sees it.
  unsigned attributeComponents = 0;  // GL_BGRA for the B8G8R8A8 order
  unsigned attributeType = 0;
  AttributeKind attribute = AttributeKind::None;
};

// The entry for `format`; unknown codes give an Unsupported entry named "UNKNOWN".
PLATFORM_API const FormatInfo& GetFormatInfo(DXGI_FORMAT format);
inline const FormatInfo& GetFormatInfo(unsigned format) { return GetFormatInfo(static_cast<DXGI_FORMAT>(format)); }

// The format a texture of `format` is stored as in GL when created with depth binding,
// for typeless families that have a depth member (R32_TYPELESS to D32_FLOAT, ...).
// Formats without one come back unchanged.
PLATFORM_API DXGI_FORMAT DepthFormatOfFamily(DXGI_FORMAT format);

// Bytes of one row of `width` pixels (compressed: of one row of blocks), and the
// number of rows (of blocks) for `height`. Zero for unsupported formats.
PLATFORM_API std::size_t RowBytes(DXGI_FORMAT format, unsigned width);
PLATFORM_API unsigned RowCount(DXGI_FORMAT format, unsigned height);

// Formats a swap chain and its display modes can use.
PLATFORM_API bool IsDisplayFormat(DXGI_FORMAT format);

}  // namespace platform
