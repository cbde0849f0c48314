#include "engine/core/screen.h"

#include <string>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "platform/win32/display.h"

namespace engine {
namespace core {

namespace {

// The layer ends the run when the display goes away under the window, as a lost device
// would; the log says why first, in an ERROR row like any failure the run cannot go on
// from. Nothing may throw back into the window system's error handler.
void LogLostDisplay(const char* reason) {
  try {
    NEBLU_ERROR(std::string("Lost the display: ") + reason);
  } catch (const Exception&) {
  }
}

}  // namespace

CScreen::CScreen() : msg() {
  name = L"Screen";
  priority = 1;
}

CScreen::~CScreen() = default;

void CScreen::Init(const WindowSettings& settings) {
  platform::SetDisplayLostReport(LogLostDisplay);
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
