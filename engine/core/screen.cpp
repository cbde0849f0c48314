#include "engine/core/screen.h"

#include "engine/core/Window.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"

namespace engine {
namespace core {

CScreen::CScreen() : msg() {
  name = L"Screen";
  priority = 1;
}

CScreen::~CScreen() = default;

void CScreen::Init(const WindowSettings& settings) {
  if (CWin32Window::Get()->Create(settings) < 0) NEBLU_ERROR("Failed to create window");
  msg = MSG();
  if (CWin32Window::Get()->Init() < 0) NEBLU_ERROR("Failed to initialize");
}

void CScreen::SetWindowTitle(const std::wstring& text) { SetWindowTextW(CWin32Window::Get()->hWnd, text.c_str()); }

bool CScreen::Start() { return true; }

void CScreen::Update() {
  if (msg.message == WM_QUIT) {
    Kernel::Get()->Quit();
    return;
  }
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void CScreen::Stop() {
  CWin32Window* window = CWin32Window::Get();
  window->ReleaseDevice();
  UnregisterClassW(CWin32Window::kClassName, window->hInstance);
}

}  // namespace core
}  // namespace engine
