#include "engine/core/Window.h"

#include <boost/make_shared.hpp>
#include <cstring>
#include <sstream>

#include "engine/core/input.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"
#include "engine/core/textConversion.h"
#include "engine/math/projection.h"

namespace engine {
namespace core {

namespace {

constexpr UINT kSdkVersion = 29;

// "1280x720x60hz fullscreen: true Backbuffer: 28"; the refresh rate prints as a float in
// default notation, so 60000/1001 reads 59.94.
std::string ModeText(const WindowSettings& s) {
  std::ostringstream text;
  text << s.width << "x" << s.height << "x"
       << static_cast<float>(s.refreshNumerator) / static_cast<float>(s.refreshDenominator)
       << "hz fullscreen: " << (s.fullscreen ? "true" : "false") << " Backbuffer: " << s.backBufferFormat;
  return text.str();
}

}  // namespace

CWin32Window::CWin32Window()
    : hWnd(nullptr),
      hInstance(nullptr),
      device(nullptr),
      swapChain(nullptr),
      swapChainDesc(),
      renderTargetView(nullptr),
      clearColor{0.0f, 0.0f, 0.0f, 0.0f},
      fieldOfView(0.7853982f),
      nearPlane(0.5f),
      farPlane(400.0f),
      projection(math::Matrix4x4::Identity) {}

CWin32Window::~CWin32Window() = default;

int CWin32Window::Create(const WindowSettings& settings_) {
  wchar_t directory[260] = {};
  if (GetCurrentDirectoryW(260, directory) == 0) NEBLU_ERROR("Could not get working directory");
  NEBLU_MESSAGE(std::wstring(L"Working from ") + directory);

  settings = settings_;

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(WNDCLASSEXW);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &CWin32Window::WindowProcedure;
  windowClass.hInstance = hInstance = GetModuleHandleW(nullptr);
  windowClass.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass)) NEBLU_ERROR("Could not register window class");

  RECT outer = {0, 0, settings.width, settings.height};
  if (!settings.fullscreen) AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
  const int outerWidth = outer.right - outer.left;
  const int outerHeight = outer.bottom - outer.top;

  hWnd = CreateWindowExW(0, kClassName, settings.title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         outerWidth, outerHeight, nullptr, nullptr, hInstance, nullptr);
  if (settings.alwaysOnTop) SetWindowPos(hWnd, HWND_TOPMOST, 100, 100, outerWidth, outerHeight, 0);

  NEBLU_MESSAGE("Creating window \"" + ToNarrow(settings.title) + "\" " + ModeText(settings));
  if (!hWnd) NEBLU_ERROR("Could not create window handle");
  return 0;
}

int CWin32Window::Init() {
  if (CreateDevice() < 0) NEBLU_ERROR("Could not create d3d Device");
  if (InitUserStuff() < 0) NEBLU_ERROR("Could not initialize user stuff");
  ShowWindow(hWnd, SW_SHOWDEFAULT);
  UpdateWindow(hWnd);
  return 0;
}

int CWin32Window::CreateDevice() {
  IDXGIFactory* factory = nullptr;
  IDXGIAdapter* adapter = nullptr;
  if (FAILED(CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)))) {
    factory = nullptr;
    NEBLU_WARNING("CreateDXGIFactory failed");
  }
  if (factory && FAILED(factory->EnumAdapters(0, &adapter))) {
    adapter = nullptr;
    NEBLU_WARNING("Failed to enum adapter 0");
  }
  if (adapter) {
    DXGI_ADAPTER_DESC desc = {};
    if (FAILED(adapter->GetDesc(&desc))) NEBLU_WARNING("Failed to get adapter 0 description");
    std::wostringstream report;
    report << L"Adapter description: " << desc.Description << L"<br />Vendor ID: " << desc.VendorId
           << L"<br />Device ID: " << desc.DeviceId << L"<br />SubSys ID: " << desc.SubSysId
           << L"<br />Revision: " << desc.Revision << L"<br />Dedicated video memory: " << desc.DedicatedVideoMemory
           << L"<br />Dedicated system memory: " << desc.DedicatedSystemMemory
           << L"<br />Shared system memory: " << desc.SharedSystemMemory;
    NEBLU_MESSAGE(report.str());
    adapter->Release();
  }
  if (factory) factory->Release();

  swapChainDesc = DXGI_SWAP_CHAIN_DESC();
  swapChainDesc.BufferDesc.Width = static_cast<UINT>(settings.width);
  swapChainDesc.BufferDesc.Height = static_cast<UINT>(settings.height);
  swapChainDesc.BufferDesc.RefreshRate.Numerator = static_cast<UINT>(settings.refreshNumerator);
  swapChainDesc.BufferDesc.RefreshRate.Denominator = static_cast<UINT>(settings.refreshDenominator);
  swapChainDesc.BufferDesc.Format = static_cast<DXGI_FORMAT>(settings.backBufferFormat);
  swapChainDesc.SampleDesc.Count = static_cast<UINT>(settings.sampleCount);
  swapChainDesc.SampleDesc.Quality = static_cast<UINT>(settings.sampleQuality);
  swapChainDesc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  swapChainDesc.BufferCount = 1;
  swapChainDesc.OutputWindow = hWnd;
  swapChainDesc.Windowed = settings.fullscreen ? FALSE : TRUE;
  swapChainDesc.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;

  if (FAILED(D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, kSdkVersion,
                                           &swapChainDesc, &swapChain, &device))) {
    NEBLU_ERROR("Failed to create device and swap chain.");
  }
  if (!device) NEBLU_ERROR("device is null.");

  ID3D10Texture2D* backBuffer = nullptr;
  if (FAILED(swapChain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(&backBuffer)))) {
    NEBLU_ERROR("Failed to get backbuffer");
  }

  auto depthBuffer = boost::make_shared<resources::DepthTargetTexture>(
      L"_depthbuffer", false, settings.width, settings.height, DXGI_FORMAT_D24_UNORM_S8_UINT,
      settings.sampleCount > 1 ? 0 : 2);
  // The back buffer is known by name but holds no resource: an empty reference is how
  // passes and the priority file say "the screen".
  ResourceManager::Get()->AddResource(L"_framebuffer", boost::shared_ptr<Resource>());
  ResourceManager::Get()->AddResource(L"_depthbuffer", depthBuffer);

  const HRESULT created = device->CreateRenderTargetView(backBuffer, nullptr, &renderTargetView);
  backBuffer->Release();
  if (FAILED(created)) NEBLU_ERROR("Failed to create render target view");

  ID3D10DepthStencilView* depthView = depthBuffer->DepthStencilView();
  device->OMSetRenderTargets(1, &renderTargetView, depthView);

  D3D10_VIEWPORT viewport = {};
  viewport.Width = static_cast<UINT>(settings.width);
  viewport.Height = static_cast<UINT>(settings.height);
  viewport.MinDepth = 0.0f;
  viewport.MaxDepth = 1.0f;
  device->RSSetViewports(1, &viewport);

  NEBLU_MESSAGE("Successfully created " + ModeText(settings));
  return 0;
}

int CWin32Window::InitUserStuff() {
  projection = math::PerspectiveFovLH(fieldOfView, settings.aspect, nearPlane, farPlane);
  return 0;
}

int CWin32Window::ReleaseUserStuff() { return 0; }

void CWin32Window::ReleaseDevice() {
  if (ReleaseUserStuff() < 0) return;
  if (device) device->ClearState();
  if (renderTargetView) {
    renderTargetView->Release();
    renderTargetView = nullptr;
  }
  if (swapChain) {
    swapChain->Release();
    swapChain = nullptr;
  }
  NEBLU_MESSAGE("Releasing D3DDevice");
  if (device) {
    device->Release();
    device = nullptr;
  }
}

LRESULT CALLBACK CWin32Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Get()->HandleMessage(window, message, wParam, lParam);
}

LRESULT CWin32Window::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      NEBLU_MESSAGE("Destroy message received");
      ReleaseDevice();
      UnregisterClassW(kClassName, hInstance);
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      Input::Get()->KeyDown(static_cast<int>(wParam));
      return 0;
    case WM_KEYUP:
      Input::Get()->KeyUp(static_cast<int>(wParam));
      return 0;
    case WM_MOUSEMOVE: {
      int x = GET_X_LPARAM(lParam);
      int y = GET_Y_LPARAM(lParam);
      if (settings.fullscreen) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        x = cursor.x;
        y = cursor.y;
      }
      Input::Get()->MouseMove(x, y);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      Input::Get()->Button(0, message == WM_LBUTTONDOWN);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      Input::Get()->Button(2, message == WM_RBUTTONDOWN);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace core
}  // namespace engine
