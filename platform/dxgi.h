#pragma once

// DXGI in its Windows shape: factory, adapter, output (display modes) and swap chain.
// The adapter is the GL driver; the output's modes are the window layer's
// platform::DisplayModes() (the display's modes, or a fixed list when headless).

#include "platform/d3d10/com.h"
#include "platform/dxgi_format.h"

typedef std::uint32_t DXGI_USAGE;
constexpr DXGI_USAGE DXGI_USAGE_SHADER_INPUT = 0x10;
constexpr DXGI_USAGE DXGI_USAGE_RENDER_TARGET_OUTPUT = 0x20;

constexpr UINT DXGI_ENUM_MODES_INTERLACED = 1;
constexpr UINT DXGI_ENUM_MODES_SCALING = 2;

struct DXGI_RATIONAL {
  UINT Numerator;
  UINT Denominator;
};

enum DXGI_MODE_SCANLINE_ORDER {
  DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED = 0,
  DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE = 1,
  DXGI_MODE_SCANLINE_ORDER_UPPER_FIELD_FIRST = 2,
  DXGI_MODE_SCANLINE_ORDER_LOWER_FIELD_FIRST = 3,
};

enum DXGI_MODE_SCALING {
  DXGI_MODE_SCALING_UNSPECIFIED = 0,
  DXGI_MODE_SCALING_CENTERED = 1,
  DXGI_MODE_SCALING_STRETCHED = 2,
};

struct DXGI_MODE_DESC {
  UINT Width;
  UINT Height;
  DXGI_RATIONAL RefreshRate;
  DXGI_FORMAT Format;
  DXGI_MODE_SCANLINE_ORDER ScanlineOrdering;
  DXGI_MODE_SCALING Scaling;
};

struct DXGI_SAMPLE_DESC {
  UINT Count;    // 1: not multisampled
  UINT Quality;  // below CheckMultisampleQualityLevels' answer; always 0 here
};

enum DXGI_SWAP_EFFECT { DXGI_SWAP_EFFECT_DISCARD = 0, DXGI_SWAP_EFFECT_SEQUENTIAL = 1 };

struct DXGI_SWAP_CHAIN_DESC {
  DXGI_MODE_DESC BufferDesc;  // Width/Height 0 are refused: there may be no window to ask
  DXGI_SAMPLE_DESC SampleDesc;
  DXGI_USAGE BufferUsage;
  UINT BufferCount;
  HWND OutputWindow;          // null: headless (our extension; the window layer always has one)
  BOOL Windowed;
  DXGI_SWAP_EFFECT SwapEffect;
  UINT Flags;
};

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};

struct DXGI_ADAPTER_DESC {
  WCHAR Description[128];  // the GL renderer string
  UINT VendorId;
  UINT DeviceId;
  UINT SubSysId;
  UINT Revision;
  SIZE_T DedicatedVideoMemory;
  SIZE_T DedicatedSystemMemory;
  SIZE_T SharedSystemMemory;
  LUID AdapterLuid;
};

struct DXGI_OUTPUT_DESC {
  WCHAR DeviceName[32];
  BOOL AttachedToDesktop;
};

struct IDXGIObject : IUnknown {
  using Parent = IUnknown;
  virtual HRESULT GetParent(REFIID riid, void** parent) = 0;
};

struct IDXGIOutput : IDXGIObject {
  using Parent = IDXGIObject;
  virtual HRESULT GetDesc(DXGI_OUTPUT_DESC* desc) = 0;
  // Count query with desc null; otherwise fills up to *numModes entries and returns
  // DXGI_ERROR_MORE_DATA when there are more. Formats that cannot be displayed have no
  // modes. flags: DXGI_ENUM_MODES_*, which change nothing here (no interlaced modes).
  virtual HRESULT GetDisplayModeList(DXGI_FORMAT format, UINT flags, UINT* numModes, DXGI_MODE_DESC* desc) = 0;
};

struct IDXGIAdapter : IDXGIObject {
  using Parent = IDXGIObject;
  virtual HRESULT EnumOutputs(UINT output, IDXGIOutput** out) = 0;
  virtual HRESULT GetDesc(DXGI_ADAPTER_DESC* desc) = 0;
};

struct IDXGIFactory : IDXGIObject {
  using Parent = IDXGIObject;
  virtual HRESULT EnumAdapters(UINT adapter, IDXGIAdapter** out) = 0;
  virtual HRESULT MakeWindowAssociation(HWND window, UINT flags) = 0;
};

struct IDXGIDeviceSubObject : IDXGIObject {
  using Parent = IDXGIObject;
  virtual HRESULT GetDevice(REFIID riid, void** device) = 0;
};

// Holds the back buffer, an offscreen texture: Present resolves it when multisampled
// and hands it to the device's GL surface, which shows it in the window if any.
struct IDXGISwapChain : IDXGIDeviceSubObject {
  using Parent = IDXGIDeviceSubObject;
  virtual HRESULT Present(UINT syncInterval, UINT flags) = 0;
  virtual HRESULT GetBuffer(UINT buffer, REFIID riid, void** surface) = 0;
  virtual HRESULT SetFullscreenState(BOOL fullscreen, IDXGIOutput* target) = 0;
  virtual HRESULT GetFullscreenState(BOOL* fullscreen, IDXGIOutput** target) = 0;
  virtual HRESULT GetDesc(DXGI_SWAP_CHAIN_DESC* desc) = 0;
};

NEBLU_INTERFACE_ID(IDXGIObject, 0x00000101)
NEBLU_INTERFACE_ID(IDXGIOutput, 0x00000102)
NEBLU_INTERFACE_ID(IDXGIAdapter, 0x00000103)
NEBLU_INTERFACE_ID(IDXGIFactory, 0x00000104)
NEBLU_INTERFACE_ID(IDXGIDeviceSubObject, 0x00000105)
NEBLU_INTERFACE_ID(IDXGISwapChain, 0x00000106)

PLATFORM_API HRESULT CreateDXGIFactory(REFIID riid, void** factory);
