#pragma once

#include "engine/api.h"
#include "engine/core/singleton.h"
#include "engine/math/matrix.h"
#include "engine/windowSettings.h"
#include "platform/d3d10.h"
#include "platform/dxgi.h"
#include "platform/win32.h"

namespace engine {
namespace core {

// The engine's window with its device, swap chain and back-buffer target, the clear
// colour and the camera projection. Everything that draws reaches the device through
// Get(). The device must be released (ReleaseDevice) before the object is deleted.
class ENGINE_API CWin32Window : public pattern::Singleton<CWin32Window> {
 public:
  // The window class every engine window is registered under.
  static constexpr const wchar_t* kClassName = L"neblu";

  CWin32Window();
  ~CWin32Window() override;

  // Registers the class and creates the window; 0 on success, errors raise.
  int Create(const WindowSettings& settings);
  // Device, swap chain, projection; shows the window.
  int Init();
  int CreateDevice();
  void ReleaseDevice();
  // Builds `projection` from the field of view, the aspect ratio and the planes.
  virtual int InitUserStuff();
  // Consulted by ReleaseDevice: a negative result leaves the device alone.
  virtual int ReleaseUserStuff();

  // The window class's procedure: forwards every message to the instance.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hWnd;                           // null until the window exists
  HINSTANCE hInstance;                 // the executable's module handle
  WindowSettings settings;             // as the window was created with
  ID3D10Device* device;                // null until created and after release
  IDXGISwapChain* swapChain;           // null until created and after release
  DXGI_SWAP_CHAIN_DESC swapChainDesc;  // as the swap chain was created with
  ID3D10RenderTargetView* renderTargetView;  // the back buffer
  float clearColor[4];                 // 0, 0, 0, 0
  float fieldOfView;                   // pi / 4
  float nearPlane;                     // 0.5
  float farPlane;                      // 400
  math::Matrix4x4 projection;          // identity until InitUserStuff
};

}  // namespace core
}  // namespace engine
