#pragma once

// What the engine's window, resource and clock tests share: a scratch working folder, a
// headless window with its device (skipped, saying why, where none can be made), the
// message boxes caught instead of shown, and the log read back as text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "platform/win32.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/sceneInfo.h"
#include "support/effect_content.h"
#include "support/scratch_dir.h"

namespace enginetest {

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ForceHeadless(true);
    testing_support::WriteEffectBasics(dir);
    platform::SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring&, UINT) {
      messageBoxes.push_back(text);
    });
  }

  void TearDown() override {
    CloseWindow();
    delete engine::gfx::SceneInfo::mInstance;
    delete engine::core::Timer::mInstance;
    delete engine::gfx::EffectPool::mInstance;
    delete engine::core::ResourceManager::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Input::mInstance;
    delete engine::core::Kernel::mInstance;
    delete engine::core::Logging::mInstance;
    platform::SetMessageBoxHook(nullptr);
    engine::core::SetLoggingSwitch(true);
  }

  // Destroys the window (which releases the device and unregisters the class, as a
  // close does), drops the quit message it leaves, and deletes the screen.
  void CloseWindow() {
    if (engine::core::CWin32Window::mInstance && IsWindow(engine::core::CWin32Window::mInstance->hWnd)) {
      DestroyWindow(engine::core::CWin32Window::mInstance->hWnd);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (screen) {
      screen->Stop();
      delete screen;
      screen = nullptr;
    }
  }

  // Creates the window and device as start-up does; skips where no device can be made.
  void OpenWindow(const engine::WindowSettings& settings) {
    screen = new engine::core::CScreen();
    try {
      screen->Init(settings);
    } catch (const engine::core::Exception& e) {
      const std::wstring text = e.GetText();
      if (text == L"Failed to create device and swap chain.") GTEST_SKIP() << "no GL device can be made here";
      FAIL() << "window creation failed: " << engine::core::ToNarrow(text);
    }
  }

  engine::WindowSettings Settings(int width, int height) const {
    engine::WindowSettings settings;
    settings.title = L"Orv";
    settings.width = width;
    settings.height = height;
    return settings;
  }

  // Closes the log and returns its text.
  std::string Log() {
    delete engine::core::Logging::mInstance;
    return dir.Read("data/log.html");
  }

  // The messages of the log's rows, in order.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    const std::string log = Log();
    const std::string open = "</td><td>";
    for (size_t at = log.find("<tr"); at != std::string::npos; at = log.find("<tr", at + 1)) {
      const size_t end = log.find("</td></tr>", at);
      const size_t message = log.rfind(open, end);
      if (end == std::string::npos || message == std::string::npos || message < at) continue;
      rows.push_back(log.substr(message + open.size(), end - message - open.size()));
    }
    return rows;
  }

  testing_support::ScratchDir dir;
  engine::core::CScreen* screen = nullptr;
  std::vector<std::wstring> messageBoxes;
};

}  // namespace enginetest
