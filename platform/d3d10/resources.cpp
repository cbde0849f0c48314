// Buffers and 2D textures: creation, uploads, copies, resolves and readback.

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d10/device.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {
namespace {

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
  return levels;
}

bool IsIntegerFormat(const FormatInfo& info) {
  return info.glFormat == GL_RED_INTEGER || info.glFormat == GL_RG_INTEGER || info.glFormat == GL_RGB_INTEGER ||
         info.glFormat == GL_RGBA_INTEGER;
}

GLenum TargetFor(const D3D10_TEXTURE2D_DESC& desc) {
  if (desc.SampleDesc.Count > 1) return desc.ArraySize > 1 ? GL_TEXTURE_2D_MULTISAMPLE_ARRAY : GL_TEXTURE_2D_MULTISAMPLE;
  if (desc.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE) {
    return desc.ArraySize == 6 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_CUBE_MAP_ARRAY;
  }
  return desc.ArraySize > 1 ? GL_TEXTURE_2D_ARRAY : GL_TEXTURE_2D;
}

bool Layered(GLenum target) { return target != GL_TEXTURE_2D && target != GL_TEXTURE_2D_MULTISAMPLE; }

// Swaps D24S8 words between the API's layout (depth low) and GL's (depth high).
void SwapDepthStencilWords(std::vector<std::uint8_t>& bytes) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    std::uint32_t v;
    std::memcpy(&v, &bytes[i], 4);
    v = (v << 8) | (v >> 24);
    std::memcpy(&bytes[i], &v, 4);
  }
}

GLenum ClearGlErrors() {
  GLenum first = GL_NO_ERROR;
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
    if (first == GL_NO_ERROR) first = e;
  }
  return first;
}

// Writes one rectangle of one subresource from API-layout memory.
void Upload(Texture2D* texture, UINT slice, UINT mip, UINT x, UINT y, UINT width, UINT height, const void* data,
            UINT rowPitch) {
  const DXGI_FORMAT format = texture->Desc().Format;
  const FormatInfo& info = GetFormatInfo(texture->storageFormat);
  const std::size_t rowBytes = RowBytes(format, width);
  const unsigned rows = RowCount(format, height);
  if (rowPitch == 0) rowPitch = static_cast<UINT>(rowBytes);
  const bool layered = Layered(texture->target);
  const std::uint8_t* source = static_cast<const std::uint8_t*>(data);
  std::vector<std::uint8_t> packed;
  const bool repack = rowPitch != rowBytes || info.glType == GL_UNSIGNED_INT_24_8;
  if (repack) {
    packed.resize(rowBytes * rows);
    for (unsigned r = 0; r < rows; ++r) std::memcpy(&packed[r * rowBytes], source + std::size_t(r) * rowPitch, rowBytes);
    if (info.glType == GL_UNSIGNED_INT_24_8) SwapDepthStencilWords(packed);
    source = packed.data();
  }
  const GLint level = static_cast<GLint>(mip);
  if (info.kind == FormatKind::Compressed) {
    const GLsizei size = static_cast<GLsizei>(rowBytes * rows);
    if (layered) {
      glCompressedTextureSubImage3D(texture->name, level, x, y, slice, width, height, 1, info.glInternal, size, source);
    } else {
      glCompressedTextureSubImage2D(texture->name, level, x, y, width, height, info.glInternal, size, source);
    }
  } else if (layered) {
    glTextureSubImage3D(texture->name, level, x, y, slice, width, height, 1, info.glFormat, info.glType, source);
  } else {
    glTextureSubImage2D(texture->name, level, x, y, width, height, info.glFormat, info.glType, source);
  }
}

void AttachSubresource(GLuint framebuffer, GLenum point, Texture2D* texture, UINT mip, UINT slice) {
  if (Layered(texture->target)) {
    glNamedFramebufferTextureLayer(framebuffer, point, texture->name, static_cast<GLint>(mip), static_cast<GLint>(slice));
  } else {
    glNamedFramebufferTexture(framebuffer, point, texture->name, static_cast<GLint>(mip));
  }
}

}  // namespace

Texture2D* AsTexture(ID3D10Resource* resource) { return dynamic_cast<Texture2D*>(resource); }
Buffer* AsBuffer(ID3D10Resource* resource) { return dynamic_cast<Buffer*>(resource); }

// --- buffers ---------------------------------------------------------------------

Buffer::Buffer(Device* device, const D3D10_BUFFER_DESC& desc) : DeviceChild(device), desc_(desc) {
  glCreateBuffers(1, &name);
  CountGlObjects(1);
}

Buffer::~Buffer() {
  device_->MakeCurrent();
  glDeleteBuffers(1, &name);
  CountGlObjects(-1);
  if (feedback) {
    glDeleteTransformFeedbacks(1, &feedback);
    CountGlObjects(-1);
  }
  if (counterQuery) {
    glDeleteQueries(1, &counterQuery);
    CountGlObjects(-1);
  }
}

HRESULT Device::CreateBuffer(const D3D10_BUFFER_DESC* desc, const D3D10_SUBRESOURCE_DATA* initialData,
                             ID3D10Buffer** buffer) {
  if (!desc) return Fail(E_INVALIDARG, "CreateBuffer: the description is null");
  if (buffer) *buffer = nullptr;
  if (desc->ByteWidth == 0) return Fail(E_INVALIDARG, "CreateBuffer: ByteWidth is 0");
  const UINT knownBinds = D3D10_BIND_VERTEX_BUFFER | D3D10_BIND_INDEX_BUFFER | D3D10_BIND_CONSTANT_BUFFER |
                          D3D10_BIND_SHADER_RESOURCE | D3D10_BIND_STREAM_OUTPUT;
  if (desc->BindFlags & ~knownBinds) {
    return Fail(E_INVALIDARG, "CreateBuffer: bind flags 0x%X cannot apply to a buffer", desc->BindFlags);
  }
  if ((desc->BindFlags & D3D10_BIND_CONSTANT_BUFFER) &&
      (desc->BindFlags != D3D10_BIND_CONSTANT_BUFFER || desc->ByteWidth % 16 != 0)) {
    return Fail(E_INVALIDARG, "CreateBuffer: a constant buffer takes no other bind flag and a multiple of 16 bytes (%u)",
                desc->ByteWidth);
  }
  if (desc->Usage == D3D10_USAGE_IMMUTABLE && (!initialData || !initialData->pSysMem)) {
    return Fail(E_INVALIDARG, "CreateBuffer: an immutable buffer needs its initial data");
  }
  if (desc->Usage == D3D10_USAGE_STAGING) return NotImplemented("ID3D10Device::CreateBuffer (D3D10_USAGE_STAGING)");
  if (desc->Usage > D3D10_USAGE_STAGING) return Fail(E_INVALIDARG, "CreateBuffer: usage %d", desc->Usage);
  if (!buffer) return S_FALSE;  // the API's way to validate a description
  if (!MakeCurrent()) return Fail(E_FAIL, "CreateBuffer: the GL context is lost");
  ClearGlErrors();
  auto* result = new Buffer(this, *desc);
  glNamedBufferStorage(result->name, desc->ByteWidth, initialData ? initialData->pSysMem : nullptr,
                       desc->Usage == D3D10_USAGE_IMMUTABLE ? 0 : GL_DYNAMIC_STORAGE_BIT);
  if (ClearGlErrors() != GL_NO_ERROR) {
    result->Release();
    return Fail(E_OUTOFMEMORY, "CreateBuffer: GL could not allocate %u bytes", desc->ByteWidth);
  }
  *buffer = result;
  return S_OK;
}

// --- textures --------------------------------------------------------------------

Texture2D::Texture2D(Device* device, const D3D10_TEXTURE2D_DESC& desc) : DeviceChild(device), desc_(desc) {
  target = TargetFor(desc);
  glCreateTextures(target, 1, &name);
  CountGlObjects(1);
}

Texture2D::~Texture2D() {
  device_->MakeCurrent();
  glDeleteTextures(1, &name);
  CountGlObjects(-1);
}

HRESULT Device::CreateTexture2D(const D3D10_TEXTURE2D_DESC* descIn, const D3D10_SUBRESOURCE_DATA* initialData,
                                ID3D10Texture2D** texture) {
  if (!descIn) return Fail(E_INVALIDARG, "CreateTexture2D: the description is null");
  if (texture) *texture = nullptr;
  D3D10_TEXTURE2D_DESC desc = *descIn;
  const FormatInfo& info = GetFormatInfo(desc.Format);
  const UINT maxSize = D3D10_REQ_TEXTURE2D_U_OR_V_DIMENSION;
  if (desc.Width == 0 || desc.Height == 0 || desc.Width > maxSize || desc.Height > maxSize) {
    return Fail(E_INVALIDARG, "CreateTexture2D: size %ux%u is outside 1 to %u", desc.Width, desc.Height, maxSize);
  }
  if (desc.ArraySize == 0 || desc.ArraySize > D3D10_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION) {
    return Fail(E_INVALIDARG, "CreateTexture2D: array size %u is outside 1 to %u", desc.ArraySize,
                D3D10_REQ_TEXTURE2D_ARRAY_AXIS_DIMENSION);
  }
  if (info.kind == FormatKind::Unsupported) {
    return Fail(E_INVALIDARG, "CreateTexture2D: format %s (%u) cannot be held in a texture here", info.name,
                static_cast<unsigned>(desc.Format));
  }
  const UINT fullChain = FullMipCount(desc.Width, desc.Height);
  if (desc.MipLevels == 0) desc.MipLevels = fullChain;
  if (desc.MipLevels > fullChain) {
    return Fail(E_INVALIDARG, "CreateTexture2D: %u mip levels for %ux%u (at most %u)", desc.MipLevels, desc.Width,
                desc.Height, fullChain);
  }
  const UINT knownBinds = D3D10_BIND_SHADER_RESOURCE | D3D10_BIND_RENDER_TARGET | D3D10_BIND_DEPTH_STENCIL;
  if (desc.BindFlags & ~knownBinds) {
    return Fail(E_INVALIDARG, "CreateTexture2D: bind flags 0x%X cannot apply to a texture", desc.BindFlags);
  }
  const bool depthBind = (desc.BindFlags & D3D10_BIND_DEPTH_STENCIL) != 0;
  const DXGI_FORMAT storage = depthBind ? DepthFormatOfFamily(desc.Format) : desc.Format;
  const FormatInfo& storageInfo = GetFormatInfo(storage);
  if (depthBind && (storageInfo.kind != FormatKind::Depth || (desc.BindFlags & D3D10_BIND_RENDER_TARGET))) {
    return Fail(E_INVALIDARG, "CreateTexture2D: format %s cannot be a depth-stencil target%s", info.name,
                (desc.BindFlags & D3D10_BIND_RENDER_TARGET) ? " and a render target at once" : "");
  }
  if ((desc.BindFlags & D3D10_BIND_RENDER_TARGET) && info.kind != FormatKind::Color) {
    return Fail(E_INVALIDARG, "CreateTexture2D: format %s cannot be a render target", info.name);
  }
  const bool multisampled = desc.SampleDesc.Count > 1;
  if (desc.SampleDesc.Count == 0) return Fail(E_INVALIDARG, "CreateTexture2D: sample count 0");
  if (multisampled) {
    UINT levels = 0;
    CheckMultisampleQualityLevels(storage, desc.SampleDesc.Count, &levels);
    if (desc.SampleDesc.Quality >= levels) {
      return Fail(E_INVALIDARG, "CreateTexture2D: %u samples at quality %u are not supported for %s (GL_MAX_SAMPLES "
                  "and the driver's sample counts decide)", desc.SampleDesc.Count, desc.SampleDesc.Quality, info.name);
    }
    if (desc.MipLevels != 1 || initialData || (desc.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE) ||
        !(desc.BindFlags & (D3D10_BIND_RENDER_TARGET | D3D10_BIND_DEPTH_STENCIL))) {
      return Fail(E_INVALIDARG, "CreateTexture2D: a multisampled texture has one mip, no initial data, is no cube and "
                  "is bound as a render or depth target");
    }
  } else if (desc.SampleDesc.Quality != 0) {
    return Fail(E_INVALIDARG, "CreateTexture2D: quality %u without multisampling", desc.SampleDesc.Quality);
  }
  if ((desc.MiscFlags & D3D10_RESOURCE_MISC_TEXTURECUBE) && (desc.ArraySize % 6 != 0 || desc.Width != desc.Height)) {
    return Fail(E_INVALIDARG, "CreateTexture2D: a cube texture is square with six slices per cube (%ux%u, %u slices)",
                desc.Width, desc.Height, desc.ArraySize);
  }
  if (desc.Usage == D3D10_USAGE_IMMUTABLE && !initialData) {
    return Fail(E_INVALIDARG, "CreateTexture2D: an immutable texture needs its initial data");
  }
  if (desc.Usage == D3D10_USAGE_STAGING || desc.Usage == D3D10_USAGE_DYNAMIC) {
    return NotImplemented(desc.Usage == D3D10_USAGE_STAGING ? "ID3D10Device::CreateTexture2D (D3D10_USAGE_STAGING)"
                                                            : "ID3D10Device::CreateTexture2D (D3D10_USAGE_DYNAMIC)");
  }
  if (desc.Usage != D3D10_USAGE_DEFAULT && desc.Usage != D3D10_USAGE_IMMUTABLE) {
    return Fail(E_INVALIDARG, "CreateTexture2D: usage %d", desc.Usage);
  }
  if (desc.CPUAccessFlags) return Fail(E_INVALIDARG, "CreateTexture2D: CPU access needs a dynamic or staging texture");
  if (initialData) {
    for (UINT i = 0; i < desc.MipLevels * desc.ArraySize; ++i) {
      if (!initialData[i].pSysMem) return Fail(E_INVALIDARG, "CreateTexture2D: initial data %u has no memory", i);
    }
  }
  if (!texture) return S_FALSE;
  if (!MakeCurrent()) return Fail(E_FAIL, "CreateTexture2D: the GL context is lost");

  ClearGlErrors();
  auto* result = new Texture2D(this, desc);
  result->storageFormat = storage;
  const GLsizei levels = static_cast<GLsizei>(desc.MipLevels);
  const GLsizei width = static_cast<GLsizei>(desc.Width), height = static_cast<GLsizei>(desc.Height);
  switch (result->target) {
    case GL_TEXTURE_2D_MULTISAMPLE:
      glTextureStorage2DMultisample(result->name, static_cast<GLsizei>(desc.SampleDesc.Count), storageInfo.glInternal,
                                    width, height, GL_TRUE);
      break;
    case GL_TEXTURE_2D_MULTISAMPLE_ARRAY:
      glTextureStorage3DMultisample(result->name, static_cast<GLsizei>(desc.SampleDesc.Count), storageInfo.glInternal,
                                    width, height, static_cast<GLsizei>(desc.ArraySize), GL_TRUE);
      break;
    case GL_TEXTURE_2D:
    case GL_TEXTURE_CUBE_MAP:
      glTextureStorage2D(result->name, levels, storageInfo.glInternal, width, height);
      break;
    default:
      glTextureStorage3D(result->name, levels, storageInfo.glInternal, width, height,
                         static_cast<GLsizei>(desc.ArraySize));
  }
  if (ClearGlErrors() != GL_NO_ERROR) {
    result->Release();
    return Fail(E_OUTOFMEMORY, "CreateTexture2D: GL could not allocate %ux%u x%u of %s", desc.Width, desc.Height,
                desc.ArraySize, info.name);
  }
  if (!multisampled) {
    // Sampled without a sampler state, a texture reads as the API's default sampler
    // does: linear and clamped (integer textures can only be read unfiltered).
    const bool integer = IsIntegerFormat(info);
    glTextureParameteri(result->name, GL_TEXTURE_MIN_FILTER, integer ? GL_NEAREST : GL_LINEAR_MIPMAP_LINEAR);
    glTextureParameteri(result->name, GL_TEXTURE_MAG_FILTER, integer ? GL_NEAREST : GL_LINEAR);
    glTextureParameteri(result->name, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTextureParameteri(result->name, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTextureParameteri(result->name, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    if (info.swizzle == Swizzle::AlphaOne) glTextureParameteri(result->name, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    if (info.swizzle == Swizzle::AlphaOnly) {
      const GLint swizzle[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
      glTextureParameteriv(result->name, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
  }
  if (initialData) {
    for (UINT slice = 0; slice < desc.ArraySize; ++slice) {
      for (UINT mip = 0; mip < desc.MipLevels; ++mip) {
        const D3D10_SUBRESOURCE_DATA& data = initialData[mip + slice * desc.MipLevels];
        Upload(result, slice, mip, 0, 0, result->MipWidth(mip), result->MipHeight(mip), data.pSysMem, data.SysMemPitch);
      }
    }
  }
  *texture = result;
  return S_OK;
}

HRESULT Device::CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT sampleCount, UINT* levels) {
  if (!levels) return Fail(E_INVALIDARG, "CheckMultisampleQualityLevels: the out pointer is null");
  *levels = 0;
  const FormatInfo& info = GetFormatInfo(format);
  if (sampleCount == 0 || sampleCount > 32) {
    return Fail(E_FAIL, "CheckMultisampleQualityLevels: sample count %u is outside 1 to 32", sampleCount);
  }
  if (info.kind == FormatKind::Unsupported || info.kind == FormatKind::Compressed) return S_OK;
  if (sampleCount == 1) {
    *levels = 1;
    return S_OK;
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "CheckMultisampleQualityLevels: the GL context is lost");
  GLint count = 0;
  glGetInternalformativ(GL_TEXTURE_2D_MULTISAMPLE, info.glInternal, GL_NUM_SAMPLE_COUNTS, 1, &count);
  std::vector<GLint> counts(static_cast<std::size_t>(std::max(count, 0)));
  if (count > 0) glGetInternalformativ(GL_TEXTURE_2D_MULTISAMPLE, info.glInternal, GL_SAMPLES, count, counts.data());
  if (std::find(counts.begin(), counts.end(), static_cast<GLint>(sampleCount)) != counts.end()) *levels = 1;
  return S_OK;
}

// --- updates, copies, resolves ------------------------------------------------------

void Device::UpdateSubresource(ID3D10Resource* destination, UINT subresource, const D3D10_BOX* box, const void* data,
                               UINT rowPitch, UINT) {
  if (!destination || !data) {
    Report("UpdateSubresource: the %s is null", destination ? "source data" : "destination");
    return;
  }
  if (!MakeCurrent()) return;
  if (Buffer* buffer = AsBuffer(destination)) {
    const D3D10_BUFFER_DESC& desc = buffer->Desc();
    if (desc.Usage != D3D10_USAGE_DEFAULT) {
      Report("UpdateSubresource: only default-usage buffers can be updated");
      return;
    }
    if (subresource != 0) {
      Report("UpdateSubresource: a buffer has one subresource (asked for %u)", subresource);
      return;
    }
    UINT begin = 0, end = desc.ByteWidth;
    if (box) {
      if (desc.BindFlags & D3D10_BIND_CONSTANT_BUFFER) {
        Report("UpdateSubresource: a constant buffer is updated whole (no box)");
        return;
      }
      begin = box->left;
      end = box->right;
    }
    if (begin >= end || end > desc.ByteWidth) {
      Report("UpdateSubresource: bytes %u to %u of a %u-byte buffer", begin, end, desc.ByteWidth);
      return;
    }
    glNamedBufferSubData(buffer->name, begin, end - begin, data);
    return;
  }
  Texture2D* texture = AsTexture(destination);
  if (!texture || texture->OwnerDevice() != this) {
    Report("UpdateSubresource: the destination was not made by this device");
    return;
  }
  UpdateTexture(texture, subresource, box, data, rowPitch);
}

HRESULT Device::UpdateTexture(Texture2D* texture, UINT subresource, const D3D10_BOX* box, const void* data,
                              UINT rowPitch) {
  const D3D10_TEXTURE2D_DESC& desc = texture->Desc();
  if (desc.Usage != D3D10_USAGE_DEFAULT || texture->Multisampled()) {
    return Fail(E_INVALIDARG, "UpdateSubresource: only single-sampled default-usage textures can be updated");
  }
  if (subresource >= desc.MipLevels * desc.ArraySize) {
    return Fail(E_INVALIDARG, "UpdateSubresource: subresource %u of %u", subresource, desc.MipLevels * desc.ArraySize);
  }
  const UINT mip = subresource % desc.MipLevels, slice = subresource / desc.MipLevels;
  UINT left = 0, top = 0, right = texture->MipWidth(mip), bottom = texture->MipHeight(mip);
  if (box) {
    if (box->left >= box->right || box->top >= box->bottom || box->right > right || box->bottom > bottom ||
        box->front != 0 || box->back != 1) {
      return Fail(E_INVALIDARG, "UpdateSubresource: box (%u,%u)-(%u,%u) does not fit a %ux%u subresource", box->left,
                  box->top, box->right, box->bottom, right, bottom);
    }
    left = box->left, top = box->top, right = box->right, bottom = box->bottom;
  }
  const FormatInfo& info = GetFormatInfo(desc.Format);
  if (info.kind == FormatKind::Compressed && ((left | top) % 4 != 0)) {
    return Fail(E_INVALIDARG, "UpdateSubresource: a compressed box starts on a 4x4 block");
  }
  if (rowPitch != 0 && rowPitch < RowBytes(desc.Format, right - left)) {
    return Fail(E_INVALIDARG, "UpdateSubresource: row pitch %u is less than a row (%zu bytes)", rowPitch,
                RowBytes(desc.Format, right - left));
  }
  Upload(texture, slice, mip, left, top, right - left, bottom - top, data, rowPitch);
  return S_OK;
}

void Device::ResolveSubresource(ID3D10Resource* destination, UINT destinationSubresource, ID3D10Resource* source,
                                UINT sourceSubresource, DXGI_FORMAT format) {
  Texture2D* to = AsTexture(destination);
  Texture2D* from = AsTexture(source);
  if (!to || !from || to->OwnerDevice() != this || from->OwnerDevice() != this) {
    Report("ResolveSubresource: both resources must be textures of this device");
    return;
  }
  const D3D10_TEXTURE2D_DESC& dst = to->Desc();
  const D3D10_TEXTURE2D_DESC& src = from->Desc();
  const FormatInfo& info = GetFormatInfo(format);
  if (!from->Multisampled() || to->Multisampled()) {
    Report("ResolveSubresource: the source must be multisampled and the destination not");
    return;
  }
  if (info.kind != FormatKind::Color || info.family != GetFormatInfo(dst.Format).family ||
      info.family != GetFormatInfo(src.Format).family) {
    Report("ResolveSubresource: format %s does not fit both textures (%s, %s)", info.name,
           GetFormatInfo(src.Format).name, GetFormatInfo(dst.Format).name);
    return;
  }
  if (sourceSubresource >= src.ArraySize || destinationSubresource >= dst.MipLevels * dst.ArraySize) {
    Report("ResolveSubresource: subresource %u or %u is out of range", sourceSubresource, destinationSubresource);
    return;
  }
  const UINT dstMip = destinationSubresource % dst.MipLevels, dstSlice = destinationSubresource / dst.MipLevels;
  if (to->MipWidth(dstMip) != src.Width || to->MipHeight(dstMip) != src.Height) {
    Report("ResolveSubresource: sizes differ (%ux%u to %ux%u)", src.Width, src.Height, to->MipWidth(dstMip),
           to->MipHeight(dstMip));
    return;
  }
  if (!MakeCurrent()) return;
  const GLuint read = ScratchFramebuffer(0), draw = ScratchFramebuffer(1);
  AttachSubresource(read, GL_COLOR_ATTACHMENT0, from, 0, sourceSubresource);
  AttachSubresource(draw, GL_COLOR_ATTACHMENT0, to, dstMip, dstSlice);
  glNamedFramebufferReadBuffer(read, GL_COLOR_ATTACHMENT0);
  glNamedFramebufferDrawBuffer(draw, GL_COLOR_ATTACHMENT0);
  ResetMasksForClear();
  const GLint w = static_cast<GLint>(src.Width), h = static_cast<GLint>(src.Height);
  glBlitNamedFramebuffer(read, draw, 0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glNamedFramebufferTexture(read, GL_COLOR_ATTACHMENT0, 0, 0);
  glNamedFramebufferTexture(draw, GL_COLOR_ATTACHMENT0, 0, 0);
}

void Device::CopyResource(ID3D10Resource* destination, ID3D10Resource* source) {
  if (!destination || !source || destination == source) {
    Report("CopyResource: needs two different resources");
    return;
  }
  if (!MakeCurrent()) return;
  Buffer* toBuffer = AsBuffer(destination);
  Buffer* fromBuffer = AsBuffer(source);
  if (toBuffer && fromBuffer) {
    if (toBuffer->Desc().ByteWidth != fromBuffer->Desc().ByteWidth || toBuffer->Desc().Usage == D3D10_USAGE_IMMUTABLE) {
      Report("CopyResource: buffers differ in size or the destination is immutable");
      return;
    }
    glCopyNamedBufferSubData(fromBuffer->name, toBuffer->name, 0, 0, toBuffer->Desc().ByteWidth);
    return;
  }
  Texture2D* to = AsTexture(destination);
  Texture2D* from = AsTexture(source);
  if (!to || !from) {
    Report("CopyResource: the resources are of different kinds");
    return;
  }
  const D3D10_TEXTURE2D_DESC& a = to->Desc();
  const D3D10_TEXTURE2D_DESC& b = from->Desc();
  if (a.Width != b.Width || a.Height != b.Height || a.MipLevels != b.MipLevels || a.ArraySize != b.ArraySize ||
      a.SampleDesc.Count != b.SampleDesc.Count || GetFormatInfo(a.Format).family != GetFormatInfo(b.Format).family ||
      a.Usage == D3D10_USAGE_IMMUTABLE) {
    Report("CopyResource: the textures differ in size, mips, slices, samples or format family");
    return;
  }
  for (UINT mip = 0; mip < a.MipLevels; ++mip) {
    glCopyImageSubData(from->name, from->target, static_cast<GLint>(mip), 0, 0, 0, to->name, to->target,
                       static_cast<GLint>(mip), 0, 0, 0, static_cast<GLsizei>(to->MipWidth(mip)),
                       static_cast<GLsizei>(to->MipHeight(mip)), static_cast<GLsizei>(a.ArraySize));
  }
}

void Device::GenerateMips(ID3D10ShaderResourceView* view) {
  auto* ours = dynamic_cast<ShaderResourceView*>(view);
  if (!ours || !MakeCurrent()) {
    Report("GenerateMips: the view was not made by this device");
    return;
  }
  if (!ours->view.texture) {
    Report("GenerateMips: a view of a buffer has no mip levels");
    return;
  }
  const D3D10_TEXTURE2D_DESC& desc = ours->view.texture->Desc();
  if (!(desc.MiscFlags & D3D10_RESOURCE_MISC_GENERATE_MIPS) || ours->view.texture->Multisampled()) {
    Report("GenerateMips: the texture was not created with D3D10_RESOURCE_MISC_GENERATE_MIPS");
    return;
  }
  glGenerateTextureMipmap(ours->view.glTexture);
}

HRESULT Device::ReadSubresource(Texture2D* texture, UINT sub, GLenum glFormat, GLenum glType, std::size_t bytes,
                                void* out) {
  const D3D10_TEXTURE2D_DESC& desc = texture->Desc();
  if (texture->Multisampled()) return Fail(E_INVALIDARG, "reading a multisampled texture: resolve it first");
  if (sub >= desc.MipLevels * desc.ArraySize) return Fail(E_INVALIDARG, "reading subresource %u of %u", sub,
                                                          desc.MipLevels * desc.ArraySize);
  if (!MakeCurrent()) return Fail(E_FAIL, "reading a texture: the GL context is lost");
  const UINT mip = sub % desc.MipLevels, slice = sub / desc.MipLevels;
  ClearGlErrors();
  glGetTextureSubImage(texture->name, static_cast<GLint>(mip), 0, 0, static_cast<GLint>(slice),
                       static_cast<GLsizei>(texture->MipWidth(mip)), static_cast<GLsizei>(texture->MipHeight(mip)), 1,
                       glFormat, glType, static_cast<GLsizei>(bytes), out);
  const GLenum error = ClearGlErrors();
  if (error != GL_NO_ERROR) return Fail(E_FAIL, "reading a %s texture failed (GL error 0x%04X)",
                                        GetFormatInfo(desc.Format).name, error);
  return S_OK;
}

}  // namespace d3d
}  // namespace platform
