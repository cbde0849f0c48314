// Image files to textures (decoded by image_file.cpp) and textures to image files
// (stb_image_write). Linked against the system's libstb, which carries the
// implementation, so nothing here defines it.

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d10/device.h"
#include "platform/d3dx10.h"
#include "platform/d3dx/dds.h"
#include "platform/d3dx/image_file.h"
#include "platform/paths.h"
#include "platform/d3d10/report.h"
#include "platform/win32.h"

namespace platform {
namespace {

using d3d::Texture2D;

bool IsInteger(const FormatInfo& info) {
  return info.glFormat == GL_RED_INTEGER || info.glFormat == GL_RG_INTEGER || info.glFormat == GL_RGB_INTEGER ||
         info.glFormat == GL_RGBA_INTEGER;
}

bool Given(UINT value) { return value != 0 && value != D3DX10_DEFAULT && value != D3DX10_FROM_FILE; }

// The pixels of one loaded file, before they become a texture.
struct SourceImage {
  std::vector<std::uint8_t> bytes;  // the file, which a DDS image points into
  ImageFile decoded;
};

HRESULT ReadSource(const char* call, const std::string& path, SourceImage* image) {
  if (!IsRegularFile(path)) return Fail(D3D10_ERROR_FILE_NOT_FOUND, "%s: cannot open %s: no such file", call, path.c_str());
  std::ifstream file(path, std::ios::binary);
  if (!file) return Fail(D3D10_ERROR_FILE_NOT_FOUND, "%s: cannot open %s", call, path.c_str());
  image->bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  std::string error;
  if (!DecodeImageFile(image->bytes.data(), image->bytes.size(), &image->decoded, &error)) {
    return Fail(E_FAIL, "%s: %s%s", call, path.c_str(), error.c_str());
  }
  return S_OK;
}

// Uploads RGBA pixels (bytes or floats) into one subresource, letting GL convert them
// to the texture's format. A8 textures keep the alpha, which GL would drop.
void UploadRgba(Texture2D* texture, UINT slice, UINT mip, const void* pixels, GLenum type) {
  const UINT w = texture->MipWidth(mip), h = texture->MipHeight(mip);
  const bool layered = texture->target != GL_TEXTURE_2D;
  GLenum format = GL_RGBA;
  std::vector<std::uint8_t> alpha;
  if (GetFormatInfo(texture->Desc().Format).swizzle == Swizzle::AlphaOnly) {
    const std::size_t size = type == GL_FLOAT ? 4 : 1;
    alpha.resize(std::size_t(w) * h * size);
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i) std::copy_n(source + (i * 4 + 3) * size, size, &alpha[i * size]);
    pixels = alpha.data();
    format = GL_RED;
  }
  if (layered) {
    glTextureSubImage3D(texture->name, static_cast<GLint>(mip), 0, 0, static_cast<GLint>(slice), w, h, 1, format, type,
                        pixels);
  } else {
    glTextureSubImage2D(texture->name, static_cast<GLint>(mip), 0, 0, w, h, format, type, pixels);
  }
}

HRESULT LoadTexture(const char* call, ID3D10Device* device, LPCWSTR pathW, const D3DX10_IMAGE_LOAD_INFO* loadInfo,
                    ID3D10Texture2D** out) {
  *out = nullptr;
  if (!device || !pathW) return Fail(E_INVALIDARG, "%s: null device or path", call);
  const std::string path = NativePath(std::wstring(pathW));
  SourceImage source;
  HRESULT hr = ReadSource(call, path, &source);
  if (FAILED(hr)) return hr;
  const D3DX10_IMAGE_INFO& file = source.decoded.info;
  D3DX10_IMAGE_LOAD_INFO want = {};
  if (loadInfo) want = *loadInfo;
  if (want.pSrcInfo) *want.pSrcInfo = file;

  if ((Given(want.Width) && want.Width != file.Width) || (Given(want.Height) && want.Height != file.Height)) {
    return Fail(E_INVALIDARG, "%s: %s is %ux%u; resizing to %ux%u on load is not supported", call, path.c_str(),
                file.Width, file.Height, want.Width, want.Height);
  }
  if (Given(want.FirstMipLevel)) return NotImplemented("D3DX10CreateTextureFromFileW (FirstMipLevel)");
  const bool wantCube = want.MiscFlags != D3DX10_DEFAULT && (want.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE);
  if (wantCube && !(file.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE)) {
    return Fail(E_INVALIDARG, "%s: a cube texture was asked for, but %s holds no cube map", call, path.c_str());
  }
  const DXGI_FORMAT format =
      (want.Format == DXGI_FORMAT_UNKNOWN || static_cast<UINT>(want.Format) == D3DX10_DEFAULT ||
       want.Format == DXGI_FORMAT_FROM_FILE) ? file.Format : want.Format;
  const FormatInfo& target = GetFormatInfo(format);
  const bool convert = format != file.Format;
  if (convert && (target.kind != FormatKind::Color || IsInteger(target))) {
    return Fail(E_INVALIDARG, "%s: %s holds %s, which cannot be converted to %s (%u)", call, path.c_str(),
                GetFormatInfo(file.Format).name, target.name, static_cast<unsigned>(format));
  }
  const bool compressed = target.kind == FormatKind::Compressed;
  UINT fullChain = 1;
  for (UINT s = std::max(file.Width, file.Height); s > 1; s >>= 1) ++fullChain;
  UINT mips = want.MipLevels;
  if (mips == D3DX10_FROM_FILE) mips = file.MipLevels;
  if (mips == 0 || mips == D3DX10_DEFAULT) {
    mips = (source.decoded.isDds && file.MipLevels > 1) || compressed ? file.MipLevels : fullChain;
  }
  if (mips > fullChain) mips = fullChain;
  if (compressed && mips > file.MipLevels) mips = file.MipLevels;  // compressed mips are not generated

  D3D10_TEXTURE2D_DESC desc = {};
  desc.Width = file.Width;
  desc.Height = file.Height;
  desc.MipLevels = mips;
  desc.ArraySize = file.ArraySize;
  desc.Format = format;
  desc.SampleDesc = {1, 0};
  desc.Usage = (want.Usage == D3D10_USAGE_IMMUTABLE) ? D3D10_USAGE_IMMUTABLE : D3D10_USAGE_DEFAULT;
  desc.BindFlags = (want.BindFlags == 0 || want.BindFlags == D3DX10_DEFAULT) ? static_cast<UINT>(D3D10_BIND_SHADER_RESOURCE)
                                                                                : want.BindFlags;
  desc.MiscFlags = (want.MiscFlags == D3DX10_DEFAULT ? 0 : want.MiscFlags) | file.MiscFlags;

  // Pixels that are already in the texture's format, one per subresource, go in as
  // initial data; everything else is written after creation.
  const UINT fileMips = std::min(mips, file.MipLevels);
  const bool complete = !convert && fileMips == mips;
  std::vector<D3D10_SUBRESOURCE_DATA> initial;
  if (complete) {
    for (UINT slice = 0; slice < desc.ArraySize; ++slice) {
      for (UINT mip = 0; mip < mips; ++mip) {
        if (source.decoded.isDds) {
          const DdsImage::Subresource& sub = source.decoded.dds.subresources[slice * file.MipLevels + mip];
          initial.push_back({sub.data, sub.rowPitch, 0});
        } else {
          initial.push_back({source.decoded.rgba.get(), desc.Width * 4, 0});
        }
      }
    }
  } else {
    desc.Usage = D3D10_USAGE_DEFAULT;
  }
  ID3D10Texture2D* created = nullptr;
  hr = device->CreateTexture2D(&desc, complete ? initial.data() : nullptr, &created);
  if (FAILED(hr)) return Fail(hr, "%s: no texture for %s", call, path.c_str());
  if (complete) {
    *out = created;
    return S_OK;
  }
  Texture2D* texture = d3d::AsTexture(created);
  texture->OwnerDevice()->MakeCurrent();
  if (!source.decoded.isDds) {
    UploadRgba(texture, 0, 0, source.decoded.rgba.get(), GL_UNSIGNED_BYTE);
  } else if (!convert) {
    for (UINT slice = 0; slice < desc.ArraySize; ++slice) {
      for (UINT mip = 0; mip < fileMips; ++mip) {
        const DdsImage::Subresource& sub = source.decoded.dds.subresources[slice * file.MipLevels + mip];
        D3D10_BOX box = {0, 0, 0, sub.width, sub.height, 1};
        device->UpdateSubresource(created, mip + slice * mips, &box, sub.data, sub.rowPitch, 0);
      }
    }
  } else {
    // Let GL decode the file's format: upload it as it is, read it back as floats,
    // write those into the texture of the format asked for.
    D3D10_TEXTURE2D_DESC original = desc;
    original.Format = file.Format;
    original.MipLevels = file.MipLevels;
    original.Usage = D3D10_USAGE_DEFAULT;
    original.BindFlags = D3D10_BIND_SHADER_RESOURCE;
    std::vector<D3D10_SUBRESOURCE_DATA> raw;
    for (const DdsImage::Subresource& sub : source.decoded.dds.subresources) raw.push_back({sub.data, sub.rowPitch, 0});
    ID3D10Texture2D* decoded = nullptr;
    hr = device->CreateTexture2D(&original, raw.data(), &decoded);
    if (FAILED(hr)) {
      created->Release();
      return Fail(hr, "%s: %s cannot be decoded", call, path.c_str());
    }
    std::vector<float> pixels;
    for (UINT slice = 0; slice < desc.ArraySize && SUCCEEDED(hr); ++slice) {
      for (UINT mip = 0; mip < fileMips && SUCCEEDED(hr); ++mip) {
        UINT w = 0, h = 0;
        hr = ReadTexturePixels(decoded, mip + slice * file.MipLevels, &w, &h, &pixels);
        if (SUCCEEDED(hr)) UploadRgba(texture, slice, mip, pixels.data(), GL_FLOAT);
      }
    }
    decoded->Release();
    if (FAILED(hr)) {
      created->Release();
      return hr;
    }
  }
  if (fileMips < mips) glGenerateTextureMipmap(texture->name);
  *out = created;
  return S_OK;
}

}  // namespace

HRESULT ReadTexturePixels(ID3D10Texture2D* textureIn, UINT subresource, UINT* width, UINT* height,
                          std::vector<float>* rgba) {
  Texture2D* texture = d3d::AsTexture(textureIn);
  if (!texture || !width || !height || !rgba) return Fail(E_INVALIDARG, "ReadTexturePixels: a null argument");
  const D3D10_TEXTURE2D_DESC& desc = texture->Desc();
  const FormatInfo& info = GetFormatInfo(texture->storageFormat);
  if (IsInteger(info)) return Fail(E_INVALIDARG, "ReadTexturePixels: %s is an integer format", info.name);
  const UINT mip = desc.MipLevels ? subresource % desc.MipLevels : 0;
  *width = texture->MipWidth(mip);
  *height = texture->MipHeight(mip);
  const std::size_t count = std::size_t(*width) * *height;
  rgba->assign(count * 4, 0.0f);
  d3d::Device* device = texture->OwnerDevice();
  if (info.kind == FormatKind::Depth) {
    std::vector<float> depth(count);
    HRESULT hr = device->ReadSubresource(texture, subresource, GL_DEPTH_COMPONENT, GL_FLOAT, count * 4, depth.data());
    if (FAILED(hr)) return hr;
    for (std::size_t i = 0; i < count; ++i) std::fill_n(&(*rgba)[i * 4], 4, depth[i]);
    return S_OK;
  }
  HRESULT hr = device->ReadSubresource(texture, subresource, GL_RGBA, GL_FLOAT, count * 16, rgba->data());
  if (FAILED(hr)) return hr;
  // Readback ignores the swizzles that make these formats read as the API's.
  const Swizzle swizzle = GetFormatInfo(desc.Format).swizzle;
  for (std::size_t i = 0; i < count && swizzle != Swizzle::None; ++i) {
    float* p = &(*rgba)[i * 4];
    if (swizzle == Swizzle::AlphaOne) p[3] = 1.0f;
    if (swizzle == Swizzle::AlphaOnly) p[3] = p[0], p[0] = p[1] = p[2] = 0.0f;
  }
  return S_OK;
}

HRESULT ReadTextureRgba8(ID3D10Texture2D* texture, UINT subresource, UINT* width, UINT* height,
                         std::vector<std::uint8_t>* rgba) {
  std::vector<float> pixels;
  HRESULT hr = ReadTexturePixels(texture, subresource, width, height, &pixels);
  if (FAILED(hr) || !rgba) return FAILED(hr) ? hr : E_INVALIDARG;
  rgba->resize(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    rgba->at(i) = static_cast<std::uint8_t>(std::lround(std::min(1.0f, std::max(0.0f, pixels[i])) * 255.0f));
  }
  return S_OK;
}

}  // namespace platform

using platform::Fail;

HRESULT D3DX10CreateTextureFromFileW(ID3D10Device* device, LPCWSTR path, D3DX10_IMAGE_LOAD_INFO* loadInfo,
                                     ID3DX10ThreadPump*, ID3D10Resource** texture, HRESULT* result) {
  if (texture) *texture = nullptr;
  ID3D10Texture2D* created = nullptr;
  HRESULT hr = texture ? platform::LoadTexture("D3DX10CreateTextureFromFileW", device, path, loadInfo, &created)
                       : Fail(E_INVALIDARG, "D3DX10CreateTextureFromFileW: the out pointer is null");
  if (SUCCEEDED(hr)) *texture = created;
  if (result) *result = hr;
  return hr;
}

HRESULT D3DX10CreateShaderResourceViewFromFileW(ID3D10Device* device, LPCWSTR path, D3DX10_IMAGE_LOAD_INFO* loadInfo,
                                                ID3DX10ThreadPump*, ID3D10ShaderResourceView** view, HRESULT* result) {
  const char* call = "D3DX10CreateShaderResourceViewFromFileW";
  if (view) *view = nullptr;
  ID3D10Texture2D* texture = nullptr;
  HRESULT hr = view ? platform::LoadTexture(call, device, path, loadInfo, &texture)
                    : Fail(E_INVALIDARG, "%s: the out pointer is null", call);
  if (SUCCEEDED(hr)) {
    hr = device->CreateShaderResourceView(texture, nullptr, view);
    texture->Release();
  }
  if (result) *result = hr;
  return hr;
}

HRESULT D3DX10SaveTextureToFileW(ID3D10Resource* resource, D3DX10_IMAGE_FILE_FORMAT format, LPCWSTR pathW) {
  const char* call = "D3DX10SaveTextureToFileW";
  if (!resource || !pathW) return Fail(E_INVALIDARG, "%s: null texture or path", call);
  auto* texture = platform::d3d::AsTexture(resource);
  if (!texture) return Fail(E_INVALIDARG, "%s: only 2D textures can be saved", call);
  if (format != D3DX10_IFF_PNG && format != D3DX10_IFF_BMP && format != D3DX10_IFF_JPG) {
    return platform::NotImplemented("D3DX10SaveTextureToFileW (formats other than PNG, BMP and JPG)");
  }
  const std::string path = platform::NativePath(std::wstring(pathW));
  UINT width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  HRESULT hr = platform::ReadTextureRgba8(texture, 0, &width, &height, &pixels);
  if (FAILED(hr)) return Fail(hr, "%s: %s was not written", call, path.c_str());
  std::string encoded;
  auto append = [](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
  };
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  int ok = 0;
  if (format == D3DX10_IFF_PNG) ok = stbi_write_png_to_func(append, &encoded, w, h, 4, pixels.data(), w * 4);
  if (format == D3DX10_IFF_BMP) ok = stbi_write_bmp_to_func(append, &encoded, w, h, 4, pixels.data());
  if (format == D3DX10_IFF_JPG) ok = stbi_write_jpg_to_func(append, &encoded, w, h, 4, pixels.data(), 95);
  if (!ok) return Fail(E_FAIL, "%s: the image for %s could not be encoded", call, path.c_str());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
  file.close();
  if (!file) return Fail(E_FAIL, "%s: cannot write %s", call, path.c_str());
  return S_OK;
}
