#pragma once

#include <string>

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/windowSettings.h"
#include "platform/win32.h"

namespace engine {
namespace core {

// The first module of every pass: pumps the window's messages, turns the quit message
// into a Kernel quit request, and releases the device when the modules stop.
class ENGINE_API CScreen : public Module {
 public:
  CScreen();
  ~CScreen() override;

  // Creates the window and its device; errors raise.
  void Init(const WindowSettings& settings);
  void SetWindowTitle(const std::wstring& text);

  bool Start() override;
  void Update() override;
  void Stop() override;

 private:
  MSG msg;  // the last message taken; a WM_QUIT left here ends the run at the next pass
};

}  // namespace core
}  // namespace engine
