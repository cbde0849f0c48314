// DXGI: factory, adapter, output and swap chain, and the two device entry points.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio.h"
#include "platform/capture/session.h"
#include "platform/d3d10/device.h"
#include "platform/d3d10/report.h"
#include "platform/win32.h"
#include "platform/win32/display.h"

namespace platform {
namespace {

constexpr UINT DXGI_PRESENT_TEST = 0x1;

struct RendererInfo {
  std::string renderer;
  std::string vendor;
};

// Asked once per process through a throw-away headless context, so the adapter can
// be described before any device exists (the start-up reports it first).
const RendererInfo& QueryRenderer() {
  static RendererInfo info;
  static std::once_flag once;
  std::call_once(once, [] {
    GlSurface* previous = GlSurface::Current();
    std::string error;
    std::unique_ptr<GlSurface> surface = CreateHeadlessGlSurface(&error);
    if (surface && surface->EnsureCurrent()) {
      info.renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
      info.vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    } else {
      Report("IDXGIAdapter::GetDesc: no GL context to ask for the renderer: %s", error.c_str());
      info.renderer = "OpenGL (unavailable)";
    }
    surface.reset();
    if (previous) previous->EnsureCurrent();
  });
  return info;
}

UINT VendorIdOf(const std::string& vendor) {
  if (vendor.find("NVIDIA") != std::string::npos) return 0x10DE;
  if (vendor.find("AMD") != std::string::npos || vendor.find("ATI") != std::string::npos) return 0x1002;
  if (vendor.find("Intel") != std::string::npos) return 0x8086;
  if (vendor.find("Mesa") != std::string::npos) return 0x10005;  // the driver stack's own id
  return 0;
}

class Output final : public ComObject<IDXGIOutput> {
 public:
  HRESULT GetParent(REFIID, void** parent) override {
    if (parent) *parent = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT GetDesc(DXGI_OUTPUT_DESC* desc) override {
    if (!desc) return Fail(E_INVALIDARG, "IDXGIOutput::GetDesc: the out pointer is null");
    std::memset(desc, 0, sizeof *desc);
    const wchar_t name[] = L"\\\\.\\DISPLAY1";
    std::memcpy(desc->DeviceName, name, sizeof name);
    desc->AttachedToDesktop = TRUE;
    return S_OK;
  }
  HRESULT GetDisplayModeList(DXGI_FORMAT format, UINT, UINT* numModes, DXGI_MODE_DESC* desc) override {
    if (!numModes) return Fail(E_INVALIDARG, "IDXGIOutput::GetDisplayModeList: the count pointer is null");
    std::vector<DisplayMode> modes;
    if (IsDisplayFormat(format)) modes = DisplayModes();
    const UINT available = static_cast<UINT>(modes.size());
    if (!desc) {
      *numModes = available;
      return S_OK;
    }
    const UINT written = std::min(*numModes, available);
    for (UINT i = 0; i < written; ++i) {
      desc[i] = {};
      desc[i].Width = static_cast<UINT>(modes[i].width);
      desc[i].Height = static_cast<UINT>(modes[i].height);
      desc[i].RefreshRate = {static_cast<UINT>(modes[i].refreshNumerator),
                             static_cast<UINT>(modes[i].refreshDenominator)};
      desc[i].Format = format;
      desc[i].ScanlineOrdering = DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE;
      desc[i].Scaling = DXGI_MODE_SCALING_UNSPECIFIED;
    }
    *numModes = written;
    return written < available ? DXGI_ERROR_MORE_DATA : S_OK;
  }
};

class Adapter final : public ComObject<IDXGIAdapter> {
 public:
  HRESULT GetParent(REFIID, void** parent) override {
    if (parent) *parent = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT EnumOutputs(UINT index, IDXGIOutput** out) override {
    if (!out) return Fail(E_INVALIDARG, "IDXGIAdapter::EnumOutputs: the out pointer is null");
    *out = nullptr;
    if (index != 0) return DXGI_ERROR_NOT_FOUND;
    *out = new Output();
    return S_OK;
  }
  HRESULT GetDesc(DXGI_ADAPTER_DESC* desc) override {
    if (!desc) return Fail(E_INVALIDARG, "IDXGIAdapter::GetDesc: the out pointer is null");
    std::memset(desc, 0, sizeof *desc);
    const RendererInfo& info = QueryRenderer();
    const std::wstring name = WideFromUtf8(info.renderer);
    const std::size_t length = std::min<std::size_t>(name.size(), 127);
    std::wmemcpy(desc->Description, name.data(), length);
    desc->Description[length] = L'\0';
    desc->VendorId = VendorIdOf(info.vendor);
    // A software or integrated driver has no memory of its own; it shares half of the
    // machine's, as the API reports for such adapters.
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) desc->SharedSystemMemory = static_cast<SIZE_T>(pages) * pageSize / 2;
    return S_OK;
  }
};

class Factory final : public ComObject<IDXGIFactory> {
 public:
  HRESULT GetParent(REFIID, void** parent) override {
    if (parent) *parent = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT EnumAdapters(UINT index, IDXGIAdapter** out) override {
    if (!out) return Fail(E_INVALIDARG, "IDXGIFactory::EnumAdapters: the out pointer is null");
    *out = nullptr;
    if (index != 0) return DXGI_ERROR_NOT_FOUND;
    *out = new Adapter();
    return S_OK;
  }
  HRESULT MakeWindowAssociation(HWND, UINT) override { return S_OK; }
};

class SwapChain final : public ComObject<IDXGISwapChain> {
 public:
  SwapChain(d3d::Device* device, const DXGI_SWAP_CHAIN_DESC& desc, d3d::Texture2D* backBuffer,
            d3d::Texture2D* resolved)
      : device_(device), desc_(desc), backBuffer_(backBuffer), resolved_(resolved) {
    device_->AddChild();
  }
  ~SwapChain() override {
    // The frames this chain presented are on disk before its device can go.
    EndCapture();
    // The desktop gets its mode back with the chain that took the output.
    if (!desc_.Windowed) TakeOutput(false);
    SafeRelease(backBuffer_);
    SafeRelease(resolved_);
    device_->ReleaseChild();
  }

  HRESULT GetParent(REFIID riid, void** parent) override {
    if (!parent) return E_INVALIDARG;
    Factory* factory = new Factory();
    HRESULT hr = factory->QueryInterface(riid, parent);
    factory->Release();
    return hr;
  }
  HRESULT GetDevice(REFIID riid, void** device) override { return device_->QueryInterface(riid, device); }

  HRESULT Present(UINT syncInterval, UINT flags) override {
    if (syncInterval > 4) return Fail(E_INVALIDARG, "IDXGISwapChain::Present: sync interval %u (0 to 4)", syncInterval);
    if (flags & DXGI_PRESENT_TEST) return S_OK;
    if (!device_->MakeCurrent()) return Fail(E_FAIL, "IDXGISwapChain::Present: the GL context is lost");
    d3d::Texture2D* frame = backBuffer_;
    if (resolved_) {
      device_->ResolveSubresource(resolved_, 0, backBuffer_, 0, desc_.BufferDesc.Format);
      frame = resolved_;
    }
    // A capture never waits for a vertical blank: its clock is the frame count.
    const bool capturing = CaptureRequested();
    device_->Surface()->Present(frame->name, static_cast<int>(desc_.BufferDesc.Width),
                                static_cast<int>(desc_.BufferDesc.Height), capturing ? 0u : syncInterval);
    if (capturing && !CaptureMusicEnded()) {
      if (CaptureDiscardsFrames()) {
        AdvanceCaptureClock();
      } else {
        Capture(frame);
      }
    }
    NotePresent();
    return S_OK;
  }

  // The frame goes to the writer and the music moves on by exactly one frame time, so
  // what the next frame shows depends on its number, never on how long this one took.
  void Capture(d3d::Texture2D* frame) {
    const int width = static_cast<int>(desc_.BufferDesc.Width), height = static_cast<int>(desc_.BufferDesc.Height);
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    std::vector<std::uint8_t> rgba = CaptureBuffer(bytes);
    if (SUCCEEDED(device_->ReadSubresource(frame, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes, rgba.data()))) {
      CapturePresentedFrame(width, height, std::move(rgba));
    } else {
      Report("IDXGISwapChain::Present: the back buffer could not be read for the capture");
    }
    AdvanceCaptureClock();
  }

  HRESULT GetBuffer(UINT buffer, REFIID riid, void** surface) override {
    if (!surface) return Fail(E_INVALIDARG, "IDXGISwapChain::GetBuffer: the out pointer is null");
    *surface = nullptr;
    if (buffer != 0) {
      return Fail(DXGI_ERROR_INVALID_CALL, "IDXGISwapChain::GetBuffer: buffer %u (a discarding chain shows buffer 0)",
                  buffer);
    }
    return backBuffer_->QueryInterface(riid, surface);
  }
  HRESULT SetFullscreenState(BOOL fullscreen, IDXGIOutput*) override {
    // Headless there is no output to take: the state is kept for GetFullscreenState.
    TakeOutput(fullscreen != FALSE);
    desc_.Windowed = !fullscreen;
    return S_OK;
  }

  // A fullscreen chain's window covers the output at the chain's mode.
  void TakeOutput(bool fullscreen) {
    const DXGI_RATIONAL& rate = desc_.BufferDesc.RefreshRate;
    const int hertz = rate.Denominator ? static_cast<int>((rate.Numerator + rate.Denominator / 2) / rate.Denominator) : 0;
    device_->Surface()->SetFullscreen(fullscreen, static_cast<int>(desc_.BufferDesc.Width),
                                      static_cast<int>(desc_.BufferDesc.Height), hertz);
  }
  HRESULT GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) override {
    if (fullscreen) *fullscreen = !desc_.Windowed;
    if (target) *target = nullptr;
    return S_OK;
  }
  HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* desc) override {
    if (!desc) return Fail(E_INVALIDARG, "IDXGISwapChain::GetDesc: the out pointer is null");
    *desc = desc_;
    return S_OK;
  }

 private:
  d3d::Device* device_;
  DXGI_SWAP_CHAIN_DESC desc_;
  d3d::Texture2D* backBuffer_;
  d3d::Texture2D* resolved_;
};

HRESULT CheckVersion(const char* call, UINT sdkVersion) {
  if (sdkVersion != D3D10_SDK_VERSION) {
    return Fail(E_INVALIDARG, "%s: SDK version %u (this layer is version %u)", call, sdkVersion, D3D10_SDK_VERSION);
  }
  return S_OK;
}

void LogSurfaceOnce(d3d::Device* device) {
  static std::once_flag once;
  std::call_once(once, [device] {
    std::fprintf(stderr, "platform: drawing through %s on %s\n", device->Surface()->Describe().c_str(),
                 reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  });
}

}  // namespace
}  // namespace platform

using platform::Fail;

HRESULT CreateDXGIFactory(REFIID riid, void** factory) {
  if (!factory) return Fail(E_INVALIDARG, "CreateDXGIFactory: the out pointer is null");
  auto* object = new platform::Factory();
  HRESULT hr = object->QueryInterface(riid, factory);
  object->Release();
  if (FAILED(hr)) return Fail(hr, "CreateDXGIFactory: the factory does not offer the interface asked for");
  return S_OK;
}

HRESULT D3D10CreateDevice(IDXGIAdapter*, D3D10_DRIVER_TYPE, HMODULE, UINT, UINT sdkVersion, ID3D10Device** device) {
  if (FAILED(platform::CheckVersion("D3D10CreateDevice", sdkVersion))) return E_INVALIDARG;
  if (!device) return S_FALSE;
  *device = nullptr;
  platform::d3d::Device* created = nullptr;
  HRESULT hr = platform::d3d::Device::Create(nullptr, &created);
  if (FAILED(hr)) return hr;
  platform::LogSurfaceOnce(created);
  *device = created;
  return S_OK;
}

HRESULT D3D10CreateDeviceAndSwapChain(IDXGIAdapter*, D3D10_DRIVER_TYPE, HMODULE, UINT, UINT sdkVersion,
                                      DXGI_SWAP_CHAIN_DESC* desc, IDXGISwapChain** swapChain, ID3D10Device** device) {
  const char* call = "D3D10CreateDeviceAndSwapChain";
  if (swapChain) *swapChain = nullptr;
  if (device) *device = nullptr;
  if (FAILED(platform::CheckVersion(call, sdkVersion))) return E_INVALIDARG;
  if (!desc || !swapChain || !device) return Fail(E_INVALIDARG, "%s: a null description or out pointer", call);
  const DXGI_MODE_DESC& mode = desc->BufferDesc;
  if (mode.Width == 0 || mode.Height == 0) {
    return Fail(E_INVALIDARG, "%s: back buffer size %ux%u (name the size; there may be no window to take it from)",
                call, mode.Width, mode.Height);
  }
  if (!platform::IsDisplayFormat(mode.Format)) {
    return Fail(E_INVALIDARG, "%s: format %s (%u) cannot be displayed", call, platform::GetFormatInfo(mode.Format).name,
                static_cast<unsigned>(mode.Format));
  }
  if (!(desc->BufferUsage & DXGI_USAGE_RENDER_TARGET_OUTPUT) || desc->BufferCount == 0) {
    return Fail(E_INVALIDARG, "%s: the buffers must be render target output and there must be at least one", call);
  }
  platform::d3d::Device* created = nullptr;
  HRESULT hr = platform::d3d::Device::Create(desc->OutputWindow, &created);
  if (FAILED(hr)) return hr;
  platform::LogSurfaceOnce(created);

  D3D10_TEXTURE2D_DESC textureDesc = {};
  textureDesc.Width = mode.Width;
  textureDesc.Height = mode.Height;
  textureDesc.MipLevels = 1;
  textureDesc.ArraySize = 1;
  textureDesc.Format = mode.Format;
  textureDesc.SampleDesc = desc->SampleDesc;
  textureDesc.Usage = D3D10_USAGE_DEFAULT;
  textureDesc.BindFlags = static_cast<UINT>(D3D10_BIND_RENDER_TARGET) |
                          ((desc->BufferUsage & DXGI_USAGE_SHADER_INPUT) ? static_cast<UINT>(D3D10_BIND_SHADER_RESOURCE) : 0u);
  ID3D10Texture2D* backBuffer = nullptr;
  ID3D10Texture2D* resolved = nullptr;
  hr = created->CreateTexture2D(&textureDesc, nullptr, &backBuffer);
  if (SUCCEEDED(hr) && desc->SampleDesc.Count > 1) {
    textureDesc.SampleDesc = {1, 0};
    hr = created->CreateTexture2D(&textureDesc, nullptr, &resolved);
  }
  if (FAILED(hr)) {
    if (backBuffer) backBuffer->Release();
    created->Release();
    return Fail(hr, "%s: the back buffer (%ux%u, %u samples) cannot be made", call, mode.Width, mode.Height,
                desc->SampleDesc.Count);
  }
  auto* chain = new platform::SwapChain(created, *desc, platform::d3d::AsTexture(backBuffer),
                                        resolved ? platform::d3d::AsTexture(resolved) : nullptr);
  if (!desc->Windowed) chain->TakeOutput(true);
  *swapChain = chain;
  *device = created;
  return S_OK;
}
