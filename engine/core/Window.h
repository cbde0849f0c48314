#pragma once

#include "engine/api.h"
#include "engine/core/singleton.h"
#include "engine/math/matrix.h"
#include "engine/windowSettings.h"
#include "platform/win32.h"

namespace engine {
namespace core {

// The engine's window: handle, camera projection and clear colour. Everything that
// draws or owns a dialog reaches it through Get(). Until the window is created the
// handle is null, which message boxes read as "no owner".
class ENGINE_API CWin32Window : public pattern::Singleton<CWin32Window> {
 public:
  CWin32Window();
  ~CWin32Window() override;

  HWND hWnd;                  // null until the window exists
  HINSTANCE hInstance;        // the executable's module handle
  WindowSettings settings;    // as the window was created with
  float clearColor[4];        // 0, 0, 0, 0
  float fieldOfView;          // pi / 4
  float nearPlane;            // 0.5
  float farPlane;             // 400
  math::Matrix4x4 projection; // identity until the window builds it from its aspect ratio
};

}  // namespace core
}  // namespace engine
