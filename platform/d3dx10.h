#pragma once

// The D3DX10 image calls: image files to textures and views, textures to image files.
// PNG, JPEG, TGA and BMP are read with stb_image, DDS with our own reader
// (platform/d3dx/dds.h); saving writes PNG, BMP or JPEG. The effect calls of D3DX10 have
// their own header. Paths go through platform::NativePath.

#include <cstdint>
#include <vector>

#include "platform/d3d10.h"

constexpr UINT D3DX10_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX10_FROM_FILE = 0xFFFFFFFDu;
constexpr DXGI_FORMAT DXGI_FORMAT_FROM_FILE = static_cast<DXGI_FORMAT>(0xFFFFFFFDu);

enum D3DX10_IMAGE_FILE_FORMAT {
  D3DX10_IFF_BMP = 0,
  D3DX10_IFF_JPG = 1,
  D3DX10_IFF_PNG = 3,
  D3DX10_IFF_DDS = 4,
  D3DX10_IFF_TIFF = 10,
  D3DX10_IFF_GIF = 11,
  D3DX10_IFF_WMP = 12,
};

struct D3DX10_IMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT ArraySize;
  UINT MipLevels;
  UINT MiscFlags;
  DXGI_FORMAT Format;
  D3D10_RESOURCE_DIMENSION ResourceDimension;
  D3DX10_IMAGE_FILE_FORMAT ImageFileFormat;
};

// Fields left 0 or D3DX10_DEFAULT take the file's value, except: MipLevels 0 or
// DEFAULT gives the full chain (generated, or the file's own for DDS files that have
// mips), BindFlags 0 or DEFAULT gives D3D10_BIND_SHADER_RESOURCE, Usage 0 is default
// usage. Format converts the pixels (to any colour format GL stores; not to
// compressed or integer ones). MiscFlags D3D10_RESOURCE_MISC_TEXTURECUBE requires a
// cube-map file. Width and Height must match the file (no resizing on load);
// FirstMipLevel must be 0 and Filter and MipFilter are ignored.
struct D3DX10_IMAGE_LOAD_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT FirstMipLevel;
  UINT MipLevels;
  D3D10_USAGE Usage;
  UINT BindFlags;
  UINT CpuAccessFlags;
  UINT MiscFlags;
  DXGI_FORMAT Format;
  UINT Filter;
  UINT MipFilter;
  D3DX10_IMAGE_INFO* pSrcInfo;
};

struct ID3DX10ThreadPump;  // loads run on the calling thread; a pump is ignored

// loadInfo may be null (all defaults). *result, when given, receives the same code.
PLATFORM_API HRESULT D3DX10CreateTextureFromFileW(ID3D10Device* device, LPCWSTR path,
                                                  D3DX10_IMAGE_LOAD_INFO* loadInfo, ID3DX10ThreadPump* pump,
                                                  ID3D10Resource** texture, HRESULT* result);
PLATFORM_API HRESULT D3DX10CreateShaderResourceViewFromFileW(ID3D10Device* device, LPCWSTR path,
                                                             D3DX10_IMAGE_LOAD_INFO* loadInfo,
                                                             ID3DX10ThreadPump* pump,
                                                             ID3D10ShaderResourceView** view, HRESULT* result);

// Saves mip 0 of slice 0 of a single-sampled colour texture. Formats: PNG, BMP, JPG.
PLATFORM_API HRESULT D3DX10SaveTextureToFileW(ID3D10Resource* texture, D3DX10_IMAGE_FILE_FORMAT format,
                                              LPCWSTR path);

namespace platform {

// Reads one subresource back: 4 floats per pixel, rows top first. Depth textures give
// the depth in all four. Multisampled textures must be resolved first.
PLATFORM_API HRESULT ReadTexturePixels(ID3D10Texture2D* texture, UINT subresource, UINT* width, UINT* height,
                                       std::vector<float>* rgba);

// The same as 8-bit RGBA (clamped and rounded), as screenshots store it.
PLATFORM_API HRESULT ReadTextureRgba8(ID3D10Texture2D* texture, UINT subresource, UINT* width, UINT* height,
                                      std::vector<std::uint8_t>* rgba);

}  // namespace platform
