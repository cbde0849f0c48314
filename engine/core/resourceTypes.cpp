#include "engine/core/resourceTypes.h"

#include <boost/make_shared.hpp>
#include <filesystem>
#include <system_error>

#include "engine/core/Window.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/safeRelease.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/effectPool.h"
#include "platform/d3dx10.h"
#include "platform/paths.h"

namespace engine {
namespace core {
namespace resources {

namespace {

constexpr int kDefaultFormat = DXGI_FORMAT_R8G8B8A8_UNORM;

ID3D10Device* Device() { return CWin32Window::Get()->device; }

// Multisample mode 0 follows the swap chain; every other mode is one sample.
DXGI_SAMPLE_DESC Samples(int multisampleMode) {
  if (multisampleMode == 0) return CWin32Window::Get()->swapChainDesc.SampleDesc;
  DXGI_SAMPLE_DESC single = {1, 0};
  return single;
}

// The file's modification time, or false when it cannot be read.
bool FileWriteTime(const std::wstring& name, std::int64_t* time) {
  std::error_code error;
  const auto stamp = std::filesystem::last_write_time(platform::NativePath(name), error);
  if (error) return false;
  *time = static_cast<std::int64_t>(stamp.time_since_epoch().count());
  return true;
}

// The view formats of a depth target's stored format. Depth views accept R32_TYPELESS
// (as D32_FLOAT) and D24_UNORM_S8_UINT; shader views accept R32_TYPELESS (as R32_FLOAT)
// and, for arrays only, D24_UNORM_S8_UINT as itself.
DXGI_FORMAT DepthViewFormat(int format) {
  if (format == DXGI_FORMAT_R32_TYPELESS) return DXGI_FORMAT_D32_FLOAT;
  if (format == DXGI_FORMAT_D24_UNORM_S8_UINT) return DXGI_FORMAT_D24_UNORM_S8_UINT;
  NEBLU_ERROR("Format not yet supported. Please add format support.");
}

DXGI_FORMAT DepthShaderViewFormat(int format, bool acceptD24) {
  if (format == DXGI_FORMAT_R32_TYPELESS) return DXGI_FORMAT_R32_FLOAT;
  if (acceptD24 && format == DXGI_FORMAT_D24_UNORM_S8_UINT) return DXGI_FORMAT_D24_UNORM_S8_UINT;
  NEBLU_ERROR("Format not yet supported. Please add format support.");
}

}  // namespace

Texture::Texture(const std::wstring& name_, int format_) : Resource(name_), format(format_) {}
Texture::Texture(const std::wstring& name_) : Texture(name_, kDefaultFormat) {}
Texture::~Texture() { SafeRelease(pointer); }

void Texture::Create() {
  NEBLU_MESSAGE("Creating texture " + ToNarrow(name));
  D3DX10_IMAGE_LOAD_INFO info = {};
  info.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  info.Format = static_cast<DXGI_FORMAT>(format);
  if (FAILED(D3DX10CreateShaderResourceViewFromFileW(Device(), name.c_str(), &info, nullptr, &pointer, nullptr))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create texture " + name);
  }
}

void Texture::Destroy() { ReleaseView("Destroying managed texture "); }

void Texture::Reload() {
  ID3D10ShaderResourceView* old = pointer;
  pointer = nullptr;
  try {
    Create();
  } catch (...) {
    pointer = old;
    throw;
  }
  SafeRelease(old);
}

void Texture::ReleaseView(const char* message) {
  NEBLU_MESSAGE(message + ToNarrow(name));
  SafeRelease(pointer);
}

CubeTexture::CubeTexture(const std::wstring& name_) : Texture(name_, kDefaultFormat) {}

void CubeTexture::Create() {
  NEBLU_MESSAGE("Creating cube texture " + ToNarrow(name));
  D3DX10_IMAGE_LOAD_INFO info = {};
  info.MiscFlags = D3D10_RESOURCE_MISC_TEXTURECUBE;
  if (FAILED(D3DX10CreateShaderResourceViewFromFileW(Device(), name.c_str(), &info, nullptr, &pointer, nullptr))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create texture " + name);
  }
}

void CubeTexture::Destroy() { ReleaseView("Destroying managed cube texture "); }

CustomTexture::CustomTexture(const std::wstring& name_, ID3D10Texture2D* texture_, int format_)
    : Texture(name_, format_), texture(texture_) {}
CustomTexture::CustomTexture(const std::wstring& name_) : CustomTexture(name_, nullptr, kDefaultFormat) {}

// A custom texture that was never registered still holds the reference it took over.
CustomTexture::~CustomTexture() { SafeRelease(texture); }

void CustomTexture::Create() {
  NEBLU_MESSAGE("Creating custom texture " + ToNarrow(name));
  if (!texture) NEBLU_ERROR("Texture pointer is NULL");
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  view.Format = static_cast<DXGI_FORMAT>(format);
  view.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2D;
  view.Texture2D.MostDetailedMip = 0;
  view.Texture2D.MipLevels = 1;
  if (!Device() || FAILED(Device()->CreateShaderResourceView(texture, &view, &pointer))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create shader resource view of " + name);
  }
}

void CustomTexture::Destroy() {
  ReleaseView("Destroying custom texture ");
  SafeRelease(texture);
}

RenderTargetTexture::RenderTargetTexture(const std::wstring& name_, int width_, int height_, int format_,
                                         int multisampleMode_)
    : Texture(name_, format_),
      width(width_),
      height(height_),
      renderTargetView(nullptr),
      texture(nullptr),
      clearPending(false),
      multisampleMode(multisampleMode_) {}

RenderTargetTexture::~RenderTargetTexture() {
  SafeRelease(renderTargetView);
  SafeRelease(texture);
}

void RenderTargetTexture::Create() {
  NEBLU_MESSAGE("Creating render target texture " + ToNarrow(name));
  const bool multisampled = multisampleMode == 0;

  D3D10_TEXTURE2D_DESC desc = {};
  desc.Width = static_cast<UINT>(width);
  desc.Height = static_cast<UINT>(height);
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Format = static_cast<DXGI_FORMAT>(format);
  desc.SampleDesc = Samples(multisampleMode);
  desc.Usage = D3D10_USAGE_DEFAULT;
  desc.BindFlags = D3D10_BIND_RENDER_TARGET | D3D10_BIND_SHADER_RESOURCE;
  if (!Device() || FAILED(Device()->CreateTexture2D(&desc, nullptr, &texture))) {
    texture = nullptr;
    NEBLU_ERROR(L"Failed to create render target texture " + name);
  }

  D3D10_RENDER_TARGET_VIEW_DESC target = {};
  target.Format = desc.Format;
  target.ViewDimension = multisampled ? D3D10_RTV_DIMENSION_TEXTURE2DMS : D3D10_RTV_DIMENSION_TEXTURE2D;
  if (!Device() || FAILED(Device()->CreateRenderTargetView(texture, &target, &renderTargetView))) {
    renderTargetView = nullptr;
    NEBLU_ERROR(L"Failed to create render target view of " + name);
  }

  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  view.Format = desc.Format;
  view.ViewDimension = multisampled ? D3D10_SRV_DIMENSION_TEXTURE2DMS : D3D10_SRV_DIMENSION_TEXTURE2D;
  if (!multisampled) view.Texture2D.MipLevels = 1;
  if (!Device() || FAILED(Device()->CreateShaderResourceView(texture, &view, &pointer))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create shader resource view of " + name);
  }
}

void RenderTargetTexture::Destroy() {
  ReleaseView("Destroying render target texture ");
  SafeRelease(renderTargetView);
  SafeRelease(texture);
}

DepthTargetTexture::DepthTargetTexture(const std::wstring& name_, bool shaderReadable_, int width_, int height_,
                                       int format_, int multisampleMode_)
    : Texture(name_, format_),
      width(width_),
      height(height_),
      depthStencilView(nullptr),
      texture(nullptr),
      multisampleMode(multisampleMode_),
      shaderReadable(shaderReadable_),
      clearPending(false) {}
DepthTargetTexture::DepthTargetTexture(const std::wstring& name_)
    : DepthTargetTexture(name_, false, 512, 512, DXGI_FORMAT_D24_UNORM_S8_UINT, 2) {}

DepthTargetTexture::~DepthTargetTexture() {
  SafeRelease(depthStencilView);
  SafeRelease(texture);
}

void DepthTargetTexture::CreateTexture(UINT arraySize) {
  NEBLU_MESSAGE("Creating depth stencil texture " + ToNarrow(name));
  D3D10_TEXTURE2D_DESC desc = {};
  desc.Width = static_cast<UINT>(width);
  desc.Height = static_cast<UINT>(height);
  desc.MipLevels = 1;
  desc.ArraySize = arraySize;
  desc.Format = static_cast<DXGI_FORMAT>(format);
  desc.SampleDesc = Samples(multisampleMode);
  desc.Usage = D3D10_USAGE_DEFAULT;
  desc.BindFlags = D3D10_BIND_DEPTH_STENCIL | (shaderReadable ? D3D10_BIND_SHADER_RESOURCE : 0);
  if (!Device() || FAILED(Device()->CreateTexture2D(&desc, nullptr, &texture))) {
    texture = nullptr;
    NEBLU_ERROR(L"Failed to create depth stencil texture " + name);
  }
}

void DepthTargetTexture::Create() {
  CreateTexture(1);
  const bool multisampled = multisampleMode == 0;

  D3D10_DEPTH_STENCIL_VIEW_DESC depth = {};
  depth.Format = DepthViewFormat(format);
  depth.ViewDimension = multisampled ? D3D10_DSV_DIMENSION_TEXTURE2DMS : D3D10_DSV_DIMENSION_TEXTURE2D;
  if (!Device() || FAILED(Device()->CreateDepthStencilView(texture, &depth, &depthStencilView))) {
    depthStencilView = nullptr;
    NEBLU_ERROR(L"Failed to create depth stencil view of " + name);
  }

  if (!shaderReadable) return;
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  view.Format = DepthShaderViewFormat(format, false);
  view.ViewDimension = multisampled ? D3D10_SRV_DIMENSION_TEXTURE2DMS : D3D10_SRV_DIMENSION_TEXTURE2D;
  if (!multisampled) view.Texture2D.MipLevels = 1;
  if (!Device() || FAILED(Device()->CreateShaderResourceView(texture, &view, &pointer))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create shader resource view of " + name);
  }
}

void DepthTargetTexture::Destroy() {
  ReleaseView("Destroying depth stencil texture ");
  SafeRelease(depthStencilView);
  SafeRelease(texture);
}

DepthTargetArray::DepthTargetArray(const std::wstring& name_, int arraySize_, bool shaderReadable_, int width_,
                                   int height_, int format_, int multisampleMode_)
    : DepthTargetTexture(name_, shaderReadable_, width_, height_, format_, multisampleMode_), arraySize(arraySize_) {}

void DepthTargetArray::Create() {
  const UINT slices = static_cast<UINT>(arraySize);
  CreateTexture(slices);
  const bool multisampled = multisampleMode == 0;

  D3D10_DEPTH_STENCIL_VIEW_DESC depth = {};
  depth.Format = DepthViewFormat(format);
  if (multisampled) {
    depth.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DMSARRAY;
    depth.Texture2DMSArray.FirstArraySlice = 0;
    depth.Texture2DMSArray.ArraySize = slices;
  } else {
    depth.ViewDimension = D3D10_DSV_DIMENSION_TEXTURE2DARRAY;
    depth.Texture2DArray.MipSlice = 0;
    depth.Texture2DArray.FirstArraySlice = 0;
    depth.Texture2DArray.ArraySize = slices;
  }
  if (!Device() || FAILED(Device()->CreateDepthStencilView(texture, &depth, &depthStencilView))) {
    depthStencilView = nullptr;
    NEBLU_ERROR(L"Failed to create depth stencil view of " + name);
  }

  if (!shaderReadable) return;
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  view.Format = DepthShaderViewFormat(format, true);
  if (multisampled) {
    view.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DMSARRAY;
    view.Texture2DMSArray.FirstArraySlice = 0;
    view.Texture2DMSArray.ArraySize = slices;
  } else {
    view.ViewDimension = D3D10_SRV_DIMENSION_TEXTURE2DARRAY;
    view.Texture2DArray.MostDetailedMip = 0;
    view.Texture2DArray.MipLevels = 1;
    view.Texture2DArray.FirstArraySlice = 0;
    view.Texture2DArray.ArraySize = slices;
  }
  if (!Device() || FAILED(Device()->CreateShaderResourceView(texture, &view, &pointer))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create shader resource view of " + name);
  }
}

FXEffect::FXEffect(const std::wstring& name_) : Resource(name_), lastWriteTime(0) {}
FXEffect::FXEffect(const std::wstring& name_, ID3D10Effect* effect) : Resource(name_), lastWriteTime(0) {
  pointer = effect;
  if (pointer) pointer->AddRef();
}
FXEffect::~FXEffect() { SafeRelease(pointer); }

void FXEffect::Create() {
  SafeRelease(pointer);
  NEBLU_MESSAGE("Creating .fx effect " + ToNarrow(name));
  ID3D10EffectPool* pool = gfx::EffectPool::Get()->pool;
  const UINT flags = D3D10_EFFECT_COMPILE_CHILD_EFFECT;
  if (FAILED(D3DX10CreateEffectFromFileW(name.c_str(), nullptr, nullptr, "fx_4_0", 0, flags, Device(), pool, nullptr,
                                         &pointer, nullptr, nullptr))) {
    pointer = nullptr;
    NEBLU_ERROR(L"Failed to create effect " + name);
  }
  if (!FileWriteTime(name, &lastWriteTime)) NEBLU_ERROR("Could not get file attributes");
}

void FXEffect::Destroy() {
  NEBLU_MESSAGE("Destroying .fx effect " + ToNarrow(name));
  SafeRelease(pointer);
}

void FXEffect::Update() {
  std::int64_t time = 0;
  if (!FileWriteTime(name, &time)) NEBLU_ERROR("Could not get file attributes");
  if (time == lastWriteTime) return;
  lastWriteTime = time;
  NEBLU_MESSAGE(L"Updating " + name);
  Create();
}

void FXEffect::KeepCurrentEffect() {
  std::int64_t time = 0;
  if (FileWriteTime(name, &time)) lastWriteTime = time;
}

}  // namespace resources

void CreateTexture2D(const std::wstring& name, const D3D10_TEXTURE2D_DESC* description,
                     const D3D10_SUBRESOURCE_DATA* initialData) {
  ID3D10Texture2D* texture = nullptr;
  ID3D10Device* device = CWin32Window::Get()->device;
  if (!description || !device || FAILED(device->CreateTexture2D(description, initialData, &texture))) {
    NEBLU_ERROR("Failed to create 2D texture");
  }
  ResourceManager::Get()->AddResource(
      name, boost::make_shared<resources::CustomTexture>(name, texture, static_cast<int>(description->Format)));
}

}  // namespace core
}  // namespace engine
