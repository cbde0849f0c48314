#include "engine/core/Window.h"

namespace engine {
namespace core {

CWin32Window::CWin32Window()
    : hWnd(nullptr),
      hInstance(nullptr),
      clearColor{0.0f, 0.0f, 0.0f, 0.0f},
      fieldOfView(0.7853982f),
      nearPlane(0.5f),
      farPlane(400.0f),
      projection(math::Matrix4x4::Identity) {}

CWin32Window::~CWin32Window() = default;

}  // namespace core
}  // namespace engine
