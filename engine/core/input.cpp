#include "engine/core/input.h"

#include <algorithm>
#include <limits>

namespace engine {
namespace core {

namespace {

bool ValidKey(int virtualKey) { return virtualKey >= 0 && virtualKey < Input::kKeyCount; }

}  // namespace

Input::Input()
    : mouseX(0),
      mouseY(0),
      mouseDeltaX(std::numeric_limits<int>::max()),
      mouseDeltaY(std::numeric_limits<int>::max()),
      keys{},
      previousKeys{},
      previousButtons{},
      buttons{},
      mouseMoved(false) {}

Input::~Input() = default;

void Input::KeyDown(int virtualKey) {
  if (ValidKey(virtualKey)) keys[virtualKey] = true;
}

void Input::KeyUp(int virtualKey) {
  if (ValidKey(virtualKey)) keys[virtualKey] = false;
}

void Input::Button(int index, bool down) {
  if (index >= 0 && index < 3) buttons[index] = down;
}

void Input::MouseMove(int x, int y) {
  if (mouseMoved) {
    mouseDeltaX = x - mouseX;
    mouseDeltaY = y - mouseY;
  }
  mouseMoved = true;
  mouseX = x;
  mouseY = y;
}

bool Input::Pressed(int k) const { return ValidKey(k) && keys[k] && !previousKeys[k]; }
bool Input::Held(int k) const { return ValidKey(k) && keys[k] && previousKeys[k]; }
bool Input::Released(int k) const { return ValidKey(k) && !keys[k] && previousKeys[k]; }

InputUpdate::InputUpdate() {
  name = L"Input";
  priority = 14000;
}

InputUpdate::~InputUpdate() = default;

bool InputUpdate::Start() {
  Input* input = Input::Get();
  std::fill(std::begin(input->keys), std::end(input->keys), false);
  std::fill(std::begin(input->previousKeys), std::end(input->previousKeys), false);
  std::fill(std::begin(input->buttons), std::end(input->buttons), false);
  std::fill(std::begin(input->previousButtons), std::end(input->previousButtons), false);
  input->mouseX = input->mouseY = 0;
  input->mouseDeltaX = input->mouseDeltaY = 0;
  return true;
}

void InputUpdate::Update() {
  Input* input = Input::Get();
  std::copy(std::begin(input->keys), std::end(input->keys), std::begin(input->previousKeys));
  std::copy(std::begin(input->buttons), std::end(input->buttons), std::begin(input->previousButtons));
  input->mouseDeltaX = input->mouseDeltaY = 0;
}

void InputUpdate::Stop() { delete Input::Get(); }

}  // namespace core
}  // namespace engine
