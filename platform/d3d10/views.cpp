// Shader resource, render target and depth-stencil views of 2D textures. A view uses
// its texture's GL name when it sees all of it as stored; otherwise it gets a GL
// texture view with its own format, target and range.

#include <algorithm>
#include <iterator>
#include <string>

#include "platform/d3d10/device.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {
namespace {

constexpr UINT kAll = 0xFFFFFFFFu;

bool Layered(GLenum target) { return target != GL_TEXTURE_2D && target != GL_TEXTURE_2D_MULTISAMPLE; }

// The view format must be the texture's, or a member of its typeless family.
bool FormatFits(DXGI_FORMAT view, const Texture2D& texture) {
  const DXGI_FORMAT own = texture.Desc().Format;
  if (view == own) return true;
  const FormatInfo& ownInfo = GetFormatInfo(own);
  return ownInfo.typeless && GetFormatInfo(view).family == ownInfo.family && !GetFormatInfo(view).typeless;
}

const char* Name(DXGI_FORMAT format) { return GetFormatInfo(format).name; }

// The four ways a render target or depth view can see a 2D texture; both view kinds
// spell them with their own enums and unions of the same shape.
enum class AttachmentShape { Single, Array, Multisampled, MultisampledArray, Unknown };

struct AttachmentRange {
  GLenum target = 0;  // 0: the shape does not fit the texture
  UINT mip = 0;
  UINT first = 0;
  UINT count = 1;
};

AttachmentRange ResolveAttachment(AttachmentShape shape, UINT mip, UINT first, UINT count, const Texture2D& texture) {
  const UINT slices = texture.Desc().ArraySize;
  const bool multisampled = texture.Multisampled();
  AttachmentRange range;
  switch (shape) {
    case AttachmentShape::Single:
      if (!multisampled && slices == 1) range.target = GL_TEXTURE_2D, range.mip = mip;
      break;
    case AttachmentShape::Array:
      if (!multisampled) range.target = GL_TEXTURE_2D_ARRAY, range.mip = mip, range.first = first, range.count = count;
      break;
    case AttachmentShape::Multisampled:
      if (multisampled && slices == 1) range.target = GL_TEXTURE_2D_MULTISAMPLE;
      break;
    case AttachmentShape::MultisampledArray:
      if (multisampled) range.target = GL_TEXTURE_2D_MULTISAMPLE_ARRAY, range.first = first, range.count = count;
      break;
    case AttachmentShape::Unknown:
      break;
  }
  return range;
}

AttachmentShape ShapeOf(D3D10_RTV_DIMENSION dimension) {
  switch (dimension) {
    case D3D10_RTV_DIMENSION_TEXTURE2D: return AttachmentShape::Single;
    case D3D10_RTV_DIMENSION_TEXTURE2DARRAY: return AttachmentShape::Array;
    case D3D10_RTV_DIMENSION_TEXTURE2DMS: return AttachmentShape::Multisampled;
    case D3D10_RTV_DIMENSION_TEXTURE2DMSARRAY: return AttachmentShape::MultisampledArray;
    default: return AttachmentShape::Unknown;
  }
}

AttachmentShape ShapeOf(D3D10_DSV_DIMENSION dimension) {
  switch (dimension) {
    case D3D10_DSV_DIMENSION_TEXTURE2D: return AttachmentShape::Single;
    case D3D10_DSV_DIMENSION_TEXTURE2DARRAY: return AttachmentShape::Array;
    case D3D10_DSV_DIMENSION_TEXTURE2DMS: return AttachmentShape::Multisampled;
    case D3D10_DSV_DIMENSION_TEXTURE2DMSARRAY: return AttachmentShape::MultisampledArray;
    default: return AttachmentShape::Unknown;
  }
}

// Render target and depth view descriptions share their union's field names.
template <class ViewDesc>
AttachmentRange ResolveAttachment(const ViewDesc& desc, const Texture2D& texture) {
  switch (ShapeOf(desc.ViewDimension)) {
    case AttachmentShape::Single:
      return ResolveAttachment(AttachmentShape::Single, desc.Texture2D.MipSlice, 0, 1, texture);
    case AttachmentShape::Array:
      return ResolveAttachment(AttachmentShape::Array, desc.Texture2DArray.MipSlice,
                               desc.Texture2DArray.FirstArraySlice, desc.Texture2DArray.ArraySize, texture);
    case AttachmentShape::Multisampled:
      return ResolveAttachment(AttachmentShape::Multisampled, 0, 0, 1, texture);
    case AttachmentShape::MultisampledArray:
      return ResolveAttachment(AttachmentShape::MultisampledArray, 0, desc.Texture2DMSArray.FirstArraySlice,
                               desc.Texture2DMSArray.ArraySize, texture);
    case AttachmentShape::Unknown:
      break;
  }
  return AttachmentRange();
}

// Fills `out` for a view of mips [mip, mip + mipCount) and slices [first, first + count).
// Attachments (render target and depth views) can use one slice and one mip of the
// texture itself; shader views need a texture that starts at their first mip and slice.
HRESULT MakeView(const char* call, Texture2D* texture, GLenum viewTarget, GLenum internal, UINT mip, UINT mipCount,
                 UINT first, UINT count, bool forceOwn, bool attachment, Swizzle swizzle, ViewTarget* out) {
  const D3D10_TEXTURE2D_DESC& desc = texture->Desc();
  if (mipCount == kAll) mipCount = desc.MipLevels > mip ? desc.MipLevels - mip : 0;
  if (count == kAll) count = desc.ArraySize > first ? desc.ArraySize - first : 0;
  if (mip >= desc.MipLevels || mipCount == 0 || mipCount > desc.MipLevels - mip) {
    return Fail(E_INVALIDARG, "%s: mips %u+%u of a texture with %u", call, mip, mipCount, desc.MipLevels);
  }
  if (first >= desc.ArraySize || count == 0 || count > desc.ArraySize - first) {
    return Fail(E_INVALIDARG, "%s: slices %u+%u of a texture with %u", call, first, count, desc.ArraySize);
  }
  out->texture = texture;
  out->mip = mip;
  out->firstSlice = first;
  out->sliceCount = count;
  const bool whole = mip == 0 && mipCount == desc.MipLevels && first == 0 && count == desc.ArraySize;
  const bool sameStorage = internal == GetFormatInfo(texture->storageFormat).glInternal;
  const bool allSlices = first == 0 && count == desc.ArraySize;
  if (!forceOwn && sameStorage && viewTarget == texture->target && (whole || (attachment && allSlices))) {
    out->glTexture = texture->name;
    out->glTarget = texture->target;
    out->layered = Layered(viewTarget);
    return S_OK;
  }
  if (!forceOwn && sameStorage && attachment && count == 1) {
    out->glTexture = texture->name;
    out->glTarget = texture->target;
    out->layered = false;
    return S_OK;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glTextureView(name, viewTarget, texture->name, internal, mip, mipCount, first, count);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return Fail(E_INVALIDARG, "%s: GL cannot view this %s texture that way", call, Name(texture->Desc().Format));
  }
  CountGlObjects(1);
  if (swizzle == Swizzle::AlphaOne) glTextureParameteri(name, GL_TEXTURE_SWIZZLE_A, GL_ONE);
  if (swizzle == Swizzle::AlphaOnly) {
    const GLint rgba[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};
    glTextureParameteriv(name, GL_TEXTURE_SWIZZLE_RGBA, rgba);
  }
  out->glTexture = name;
  out->glTarget = viewTarget;
  out->ownsTexture = true;
  out->mip = 0;  // the view texture starts at the viewed mip and slice
  out->firstSlice = 0;
  out->layered = Layered(viewTarget);
  return S_OK;
}

void ReleaseView(ViewTarget& view) {
  if (view.ownsTexture) {
    glDeleteTextures(1, &view.glTexture);
    CountGlObjects(-1);
  }
  if (view.texture) view.texture->Release();
  if (view.buffer) view.buffer->Release();
}

Texture2D* TextureOf(Device* device, ID3D10Resource* resource, const char* call, UINT bind, const char* bindName) {
  if (!resource) {
    Report("%s: the resource is null", call);
    return nullptr;
  }
  Texture2D* texture = AsTexture(resource);
  if (!texture) {
    Report("%s: only 2D textures can be viewed here", call);
    return nullptr;
  }
  if (texture->OwnerDevice() != device) {
    Report("%s: the texture was made by another device", call);
    return nullptr;
  }
  if (!(texture->Desc().BindFlags & bind)) {
    Report("%s: the texture was not created with %s", call, bindName);
    return nullptr;
  }
  return texture;
}

}  // namespace

ShaderResourceView::ShaderResourceView(Device* device, const D3D10_SHADER_RESOURCE_VIEW_DESC& desc,
                                       const ViewTarget& target)
    : DeviceChild(device), view(target), desc_(desc) {
  if (view.texture) view.texture->AddRef();
  if (view.buffer) view.buffer->AddRef();
}
ShaderResourceView::~ShaderResourceView() {
  device_->MakeCurrent();
  ReleaseView(view);
}
void ShaderResourceView::GetResource(ID3D10Resource** resource) {
  if (view.buffer) {
    view.buffer->AddRef();
    *resource = view.buffer;
    return;
  }
  view.texture->AddRef();
  *resource = view.texture;
}

RenderTargetView::RenderTargetView(Device* device, const D3D10_RENDER_TARGET_VIEW_DESC& desc, const ViewTarget& target)
    : DeviceChild(device), view(target), desc_(desc) {
  view.texture->AddRef();
}
RenderTargetView::~RenderTargetView() {
  device_->MakeCurrent();
  if (clearFramebuffer) {
    glDeleteFramebuffers(1, &clearFramebuffer);
    CountGlObjects(-1);
  }
  ReleaseView(view);
}
void RenderTargetView::GetResource(ID3D10Resource** resource) {
  view.texture->AddRef();
  *resource = view.texture;
}

DepthStencilView::DepthStencilView(Device* device, const D3D10_DEPTH_STENCIL_VIEW_DESC& desc, const ViewTarget& target)
    : DeviceChild(device), view(target), desc_(desc) {
  view.texture->AddRef();
}
DepthStencilView::~DepthStencilView() {
  device_->MakeCurrent();
  if (clearFramebuffer) {
    glDeleteFramebuffers(1, &clearFramebuffer);
    CountGlObjects(-1);
  }
  ReleaseView(view);
}
void DepthStencilView::GetResource(ID3D10Resource** resource) {
  view.texture->AddRef();
  *resource = view.texture;
}

// A buffer read by shaders as Buffer<T>: a GL buffer texture over the view's elements.
HRESULT Device::CreateBufferView(Buffer* buffer, const D3D10_SHADER_RESOURCE_VIEW_DESC* desc,
                                 ID3D10ShaderResourceView** out) {
  const char* call = "CreateShaderResourceView";
  if (!(buffer->Desc().BindFlags & D3D10_BIND_SHADER_RESOURCE))
    return Fail(E_INVALIDARG, "%s: the buffer was not created with D3D10_BIND_SHADER_RESOURCE", call);
  if (!desc || desc->ViewDimension != D3D10_SRV_DIMENSION_BUFFER)
    return Fail(E_INVALIDARG, "%s: a view of a buffer needs a description with D3D10_SRV_DIMENSION_BUFFER", call);
  const FormatInfo& info = GetFormatInfo(desc->Format);
  // The formats a GL buffer texture holds.
  static const GLenum kBufferFormats[] = {
      GL_R8,      GL_R16,     GL_R16F,    GL_R32F,     GL_R8I,     GL_R16I,    GL_R32I,     GL_R8UI,
      GL_R16UI,   GL_R32UI,   GL_RG8,     GL_RG16,     GL_RG16F,   GL_RG32F,   GL_RG8I,     GL_RG16I,
      GL_RG32I,   GL_RG8UI,   GL_RG16UI,  GL_RG32UI,   GL_RGB32F,  GL_RGB32I,  GL_RGB32UI,  GL_RGBA8,
      GL_RGBA16,  GL_RGBA16F, GL_RGBA32F, GL_RGBA8I,   GL_RGBA16I, GL_RGBA32I, GL_RGBA8UI,  GL_RGBA16UI,
      GL_RGBA32UI};
  // Blue-first orders would need a swizzle, which buffer textures do not have.
  const bool fits = !info.typeless && info.kind == FormatKind::Color && info.swizzle == Swizzle::None &&
                    info.glFormat != GL_BGRA && info.glFormat != GL_BGRA_INTEGER &&
                    std::find(std::begin(kBufferFormats), std::end(kBufferFormats), info.glInternal) !=
                        std::end(kBufferFormats);
  if (!fits) return Fail(E_INVALIDARG, "%s: a buffer cannot be read as %s", call, info.name);
  const std::uint64_t first = desc->Buffer.FirstElement, count = desc->Buffer.NumElements;
  const std::uint64_t offset = first * info.bytes, size = count * info.bytes;
  if (count == 0 || offset + size > buffer->Desc().ByteWidth)
    return Fail(E_INVALIDARG, "%s: elements %llu to %llu lie outside the buffer's %u bytes", call,
                static_cast<unsigned long long>(first), static_cast<unsigned long long>(first + count),
                buffer->Desc().ByteWidth);
  if (!MakeCurrent()) return Fail(E_FAIL, "%s: the GL context is lost", call);
  GLint alignment = 1;
  glGetIntegerv(GL_TEXTURE_BUFFER_OFFSET_ALIGNMENT, &alignment);
  if (alignment > 0 && offset % static_cast<std::uint64_t>(alignment) != 0)
    return Fail(E_INVALIDARG, "%s: the first element starts at byte %llu, which is not a multiple of %d", call,
                static_cast<unsigned long long>(offset), alignment);
  ViewTarget view;
  view.buffer = buffer;
  view.glTarget = GL_TEXTURE_BUFFER;
  view.ownsTexture = true;
  glCreateTextures(GL_TEXTURE_BUFFER, 1, &view.glTexture);
  CountGlObjects(1);
  glTextureBufferRange(view.glTexture, info.glInternal, buffer->name, static_cast<GLintptr>(offset),
                       static_cast<GLsizeiptr>(size));
  if (!out) {
    glDeleteTextures(1, &view.glTexture);
    CountGlObjects(-1);
    return S_FALSE;
  }
  *out = new ShaderResourceView(this, *desc, view);
  return S_OK;
}

HRESULT Device::CreateShaderResourceView(ID3D10Resource* resource, const D3D10_SHADER_RESOURCE_VIEW_DESC* descIn,
                                         ID3D10ShaderResourceView** out) {
  const char* call = "CreateShaderResourceView";
  if (out) *out = nullptr;
  if (Buffer* buffer = resource ? AsBuffer(resource) : nullptr) return CreateBufferView(buffer, descIn, out);
  Texture2D* texture = TextureOf(this, resource, call, D3D10_BIND_SHADER_RESOURCE, "D3D10_BIND_SHADER_RESOURCE");
  if (!texture) return E_INVALIDARG;
  const D3D10_TEXTURE2D_DESC& t = texture->Desc();
  D3D10_SHADER_RESOURCE_VIEW_DESC desc = {};
  if (descIn) {
    desc = *descIn;
  } else {
    desc.Format = t.Format;
    if (texture->Multisampled()) {
      desc.ViewDimension = t.ArraySize > 1 ? D3D10_SRV_DIMENSION_TEXTURE2DMSARRAY : D3D10_SRV_DIMENSION_TEXTURE2DMS;
      desc.Texture2DMSArray = {0, t.ArraySize};
    } else if (texture->Cube() && t.ArraySize == 6) {
      desc.ViewDimension = D3D10_SRV_DIMENSION_TEXTURECUBE;
      desc.TextureCube = {0, t.MipLevels};
    } else if (t.ArraySize > 1) {
      desc.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
      desc.Texture2DArray = {0, t.MipLevels, 0, t.ArraySize};
    } else {
      desc.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2D;
      desc.Texture2D = {0, t.MipLevels};
    }
  }
  const FormatInfo& viewInfo = GetFormatInfo(desc.Format);
  const FormatInfo& storageInfo = GetFormatInfo(texture->storageFormat);
  if (viewInfo.typeless || viewInfo.kind == FormatKind::Unsupported) {
    return Fail(E_INVALIDARG, "%s: %s (%u) cannot be read by a shader; name a typed format", call, viewInfo.name,
                static_cast<unsigned>(desc.Format));
  }
  // Depth textures are read through the family's colour or depth member: R32_FLOAT
  // of an R32_TYPELESS depth buffer reads depth, X24_TYPELESS_G8_UINT reads stencil.
  if (!FormatFits(desc.Format, *texture)) {
    return Fail(E_INVALIDARG, "%s: format %s does not fit a %s texture", call, viewInfo.name, Name(t.Format));
  }
  const bool depthStorage = storageInfo.kind == FormatKind::Depth;
  const bool readStencil = desc.Format == DXGI_FORMAT_X24_TYPELESS_G8_UINT ||
                           desc.Format == DXGI_FORMAT_X32_TYPELESS_G8X24_UINT;
  const GLenum internal = depthStorage ? storageInfo.glInternal : viewInfo.glInternal;

  GLenum target = 0;
  UINT mip = 0, mips = 1, first = 0, count = 1;
  switch (desc.ViewDimension) {
    case D3D10_SRV_DIMENSION_TEXTURE2D:
      if (texture->Multisampled() || t.ArraySize != 1) break;
      target = GL_TEXTURE_2D, mip = desc.Texture2D.MostDetailedMip, mips = desc.Texture2D.MipLevels;
      break;
    case D3D10_SRV_DIMENSION_TEXTURE2DARRAY:
      if (texture->Multisampled()) break;
      target = GL_TEXTURE_2D_ARRAY, mip = desc.Texture2DArray.MostDetailedMip, mips = desc.Texture2DArray.MipLevels;
      first = desc.Texture2DArray.FirstArraySlice, count = desc.Texture2DArray.ArraySize;
      break;
    case D3D10_SRV_DIMENSION_TEXTURE2DMS:
      if (!texture->Multisampled() || t.ArraySize != 1) break;
      target = GL_TEXTURE_2D_MULTISAMPLE;
      break;
    case D3D10_SRV_DIMENSION_TEXTURE2DMSARRAY:
      if (!texture->Multisampled()) break;
      target = GL_TEXTURE_2D_MULTISAMPLE_ARRAY;
      first = desc.Texture2DMSArray.FirstArraySlice, count = desc.Texture2DMSArray.ArraySize;
      break;
    case D3D10_SRV_DIMENSION_TEXTURECUBE:
      if (!texture->Cube() || t.ArraySize != 6) break;
      target = GL_TEXTURE_CUBE_MAP, mip = desc.TextureCube.MostDetailedMip, mips = desc.TextureCube.MipLevels;
      first = 0, count = 6;
      break;
    default:
      break;
  }
  if (!target) {
    return Fail(E_INVALIDARG, "%s: view dimension %d does not fit a %ux%u texture of %u slice(s)%s%s", call,
                desc.ViewDimension, t.Width, t.Height, t.ArraySize, texture->Multisampled() ? ", multisampled" : "",
                texture->Cube() ? ", cube" : "");
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "%s: the GL context is lost", call);
  ViewTarget view;
  const Swizzle swizzle = depthStorage ? Swizzle::None : viewInfo.swizzle;
  const bool forceOwn = readStencil || swizzle != storageInfo.swizzle;
  HRESULT hr = MakeView(call, texture, target, internal, mip, mips, first, count, forceOwn, false, swizzle, &view);
  if (FAILED(hr)) return hr;
  if (readStencil) glTextureParameteri(view.glTexture, GL_DEPTH_STENCIL_TEXTURE_MODE, GL_STENCIL_INDEX);
  if (!out) {
    if (view.ownsTexture) glDeleteTextures(1, &view.glTexture), CountGlObjects(-1);
    return S_FALSE;
  }
  *out = new ShaderResourceView(this, desc, view);
  return S_OK;
}

HRESULT Device::CreateRenderTargetView(ID3D10Resource* resource, const D3D10_RENDER_TARGET_VIEW_DESC* descIn,
                                       ID3D10RenderTargetView** out) {
  const char* call = "CreateRenderTargetView";
  if (out) *out = nullptr;
  Texture2D* texture = TextureOf(this, resource, call, D3D10_BIND_RENDER_TARGET, "D3D10_BIND_RENDER_TARGET");
  if (!texture) return E_INVALIDARG;
  const D3D10_TEXTURE2D_DESC& t = texture->Desc();
  D3D10_RENDER_TARGET_VIEW_DESC desc = {};
  if (descIn) {
    desc = *descIn;
  } else {
    desc.Format = t.Format;
    if (texture->Multisampled()) {
      desc.ViewDimension = t.ArraySize > 1 ? D3D10_RTV_DIMENSION_TEXTURE2DMSARRAY : D3D10_RTV_DIMENSION_TEXTURE2DMS;
      desc.Texture2DMSArray = {0, t.ArraySize};
    } else if (t.ArraySize > 1) {
      desc.ViewDimension = D3D10_RTV_DIMENSION_TEXTURE2DARRAY;
      desc.Texture2DArray = {0, 0, t.ArraySize};
    } else {
      desc.ViewDimension = D3D10_RTV_DIMENSION_TEXTURE2D;
    }
  }
  const FormatInfo& viewInfo = GetFormatInfo(desc.Format);
  if (viewInfo.typeless || viewInfo.kind != FormatKind::Color) {
    return Fail(E_INVALIDARG, "%s: %s (%u) is not a render target format", call, viewInfo.name,
                static_cast<unsigned>(desc.Format));
  }
  if (!FormatFits(desc.Format, *texture)) {
    return Fail(E_INVALIDARG, "%s: format %s does not fit a %s texture", call, viewInfo.name, Name(t.Format));
  }
  const AttachmentRange range = ResolveAttachment(desc, *texture);
  GLenum target = range.target;
  const UINT mip = range.mip, first = range.first, count = range.count;
  if (!target) {
    return Fail(E_INVALIDARG, "%s: view dimension %d does not fit a %ux%u texture of %u slice(s)%s", call,
                desc.ViewDimension, t.Width, t.Height, t.ArraySize, texture->Multisampled() ? ", multisampled" : "");
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "%s: the GL context is lost", call);
  // A single slice of an array attaches as that layer of the array itself.
  if (count == 1 && target == GL_TEXTURE_2D_ARRAY) target = texture->target;
  if (count == 1 && target == GL_TEXTURE_2D_MULTISAMPLE_ARRAY) target = texture->target;
  if (count == 1 && texture->Cube()) target = texture->target;
  ViewTarget view;
  HRESULT hr = MakeView(call, texture, target, viewInfo.glInternal, mip, 1, first, count, false, true, Swizzle::None, &view);
  if (FAILED(hr)) return hr;
  if (!out) {
    if (view.ownsTexture) glDeleteTextures(1, &view.glTexture), CountGlObjects(-1);
    return S_FALSE;
  }
  *out = new RenderTargetView(this, desc, view);
  return S_OK;
}

HRESULT Device::CreateDepthStencilView(ID3D10Resource* resource, const D3D10_DEPTH_STENCIL_VIEW_DESC* descIn,
                                       ID3D10DepthStencilView** out) {
  const char* call = "CreateDepthStencilView";
  if (out) *out = nullptr;
  Texture2D* texture = TextureOf(this, resource, call, D3D10_BIND_DEPTH_STENCIL, "D3D10_BIND_DEPTH_STENCIL");
  if (!texture) return E_INVALIDARG;
  const D3D10_TEXTURE2D_DESC& t = texture->Desc();
  D3D10_DEPTH_STENCIL_VIEW_DESC desc = {};
  if (descIn) {
    desc = *descIn;
  } else {
    desc.Format = t.Format;
    if (texture->Multisampled()) {
      desc.ViewDimension = t.ArraySize > 1 ? D3D10_DSV_DIMENSION_TEXTURE2DMSARRAY : D3D10_DSV_DIMENSION_TEXTURE2DMS;
      desc.Texture2DMSArray = {0, t.ArraySize};
    } else if (t.ArraySize > 1) {
      desc.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
      desc.Texture2DArray = {0, 0, t.ArraySize};
    } else {
      desc.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2D;
    }
  }
  const FormatInfo& viewInfo = GetFormatInfo(desc.Format);
  if (viewInfo.typeless || desc.Format != DepthFormatOfFamily(desc.Format) || viewInfo.kind != FormatKind::Depth ||
      desc.Format == DXGI_FORMAT_R24_UNORM_X8_TYPELESS || desc.Format == DXGI_FORMAT_X24_TYPELESS_G8_UINT ||
      desc.Format == DXGI_FORMAT_R32_FLOAT_X8X24_TYPELESS || desc.Format == DXGI_FORMAT_X32_TYPELESS_G8X24_UINT) {
    return Fail(E_INVALIDARG, "%s: %s (%u) is not a depth-stencil format", call, viewInfo.name,
                static_cast<unsigned>(desc.Format));
  }
  if (!FormatFits(desc.Format, *texture)) {
    return Fail(E_INVALIDARG, "%s: format %s does not fit a %s texture", call, viewInfo.name, Name(t.Format));
  }
  const AttachmentRange range = ResolveAttachment(desc, *texture);
  GLenum target = range.target;
  const UINT mip = range.mip, first = range.first, count = range.count;
  if (!target) {
    return Fail(E_INVALIDARG, "%s: view dimension %d does not fit a %ux%u texture of %u slice(s)%s", call,
                desc.ViewDimension, t.Width, t.Height, t.ArraySize, texture->Multisampled() ? ", multisampled" : "");
  }
  if (!MakeCurrent()) return Fail(E_FAIL, "%s: the GL context is lost", call);
  if (count == 1 && (target == GL_TEXTURE_2D_ARRAY || target == GL_TEXTURE_2D_MULTISAMPLE_ARRAY)) target = texture->target;
  ViewTarget view;
  HRESULT hr = MakeView(call, texture, target, GetFormatInfo(texture->storageFormat).glInternal, mip, 1, first, count,
                        false, true, Swizzle::None, &view);
  if (FAILED(hr)) return hr;
  if (!out) {
    if (view.ownsTexture) glDeleteTextures(1, &view.glTexture), CountGlObjects(-1);
    return S_FALSE;
  }
  *out = new DepthStencilView(this, desc, view);
  return S_OK;
}

}  // namespace d3d
}  // namespace platform
