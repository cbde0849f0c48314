#include "platform/overlay/input.h"

#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <iterator>

namespace platform {
namespace {

static_assert(SDL_NUM_SCANCODES <= 512, "io.KeysDown has 512 entries, indexed by scancode");

// SDL numbers buttons left, middle, right, X1, X2; ImGui left, right, middle, then extras.
int ButtonIndex(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
  }
}

void SetModifiers(ImGuiIO& io, Uint16 mod) {
  io.KeyCtrl = (mod & KMOD_CTRL) != 0;
  io.KeyShift = (mod & KMOD_SHIFT) != 0;
  io.KeyAlt = (mod & KMOD_ALT) != 0;
  io.KeySuper = (mod & KMOD_GUI) != 0;
}

}  // namespace

OverlayInput::OverlayInput() {
  ImGuiIO& io = ImGui::GetIO();
  io.BackendPlatformName = "neblu overlay (SDL2)";
  // Scancodes, not key codes: shortcuts stay where the fingers are on any layout, as the
  // program's own keys do.
  const struct {
    ImGuiKey key;
    SDL_Scancode scancode;
  } map[] = {
      {ImGuiKey_Tab, SDL_SCANCODE_TAB},         {ImGuiKey_LeftArrow, SDL_SCANCODE_LEFT},
      {ImGuiKey_RightArrow, SDL_SCANCODE_RIGHT}, {ImGuiKey_UpArrow, SDL_SCANCODE_UP},
      {ImGuiKey_DownArrow, SDL_SCANCODE_DOWN},   {ImGuiKey_PageUp, SDL_SCANCODE_PAGEUP},
      {ImGuiKey_PageDown, SDL_SCANCODE_PAGEDOWN}, {ImGuiKey_Home, SDL_SCANCODE_HOME},
      {ImGuiKey_End, SDL_SCANCODE_END},          {ImGuiKey_Insert, SDL_SCANCODE_INSERT},
      {ImGuiKey_Delete, SDL_SCANCODE_DELETE},    {ImGuiKey_Backspace, SDL_SCANCODE_BACKSPACE},
      {ImGuiKey_Space, SDL_SCANCODE_SPACE},      {ImGuiKey_Enter, SDL_SCANCODE_RETURN},
      {ImGuiKey_Escape, SDL_SCANCODE_ESCAPE},    {ImGuiKey_KeyPadEnter, SDL_SCANCODE_KP_ENTER},
      {ImGuiKey_A, SDL_SCANCODE_A},              {ImGuiKey_C, SDL_SCANCODE_C},
      {ImGuiKey_V, SDL_SCANCODE_V},              {ImGuiKey_X, SDL_SCANCODE_X},
      {ImGuiKey_Y, SDL_SCANCODE_Y},              {ImGuiKey_Z, SDL_SCANCODE_Z},
  };
  for (const auto& m : map) io.KeyMap[m.key] = m.scancode;
}

namespace {

bool IsButton(const SDL_Event& event) {
  return event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP;
}

bool IsPointer(const SDL_Event& event) { return IsButton(event) || event.type == SDL_MOUSEMOTION; }

}  // namespace

OverlayInput::~OverlayInput() = default;

bool OverlayInput::HoldsBack(const SDL_Event& event) const {
  if (!IsPointer(event)) return false;
  // After a press or a release, nothing more of the pointer this frame: a drag's moves
  // would otherwise hide where it was pressed. A release after moves with the button held
  // waits too, so the held button is seen where the moves took it.
  return buttonChanged_ || (IsButton(event) && movedWhileHeld_);
}

bool OverlayInput::Feed(const SDL_Event& event) {
  // ImGui 1.86 reads the pointer as state, once a frame: a whole click and drag between
  // two slow frames would reach it as one position. What a frame cannot show in order
  // waits for the next ones.
  if (IsPointer(event) && (!deferred_.empty() || HoldsBack(event))) {
    deferred_.push_back(event);
    return ImGui::GetIO().WantCaptureMouse;
  }
  return Apply(event);
}

bool OverlayInput::Apply(const SDL_Event& event) {
  ImGuiIO& io = ImGui::GetIO();
  switch (event.type) {
    case SDL_MOUSEMOTION:
      io.MousePos = ImVec2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
      if (std::find(std::begin(buttonHeld_), std::end(buttonHeld_), true) != std::end(buttonHeld_)) {
        movedWhileHeld_ = true;
      }
      return io.WantCaptureMouse;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      io.MousePos = ImVec2(static_cast<float>(event.button.x), static_cast<float>(event.button.y));
      const int b = ButtonIndex(event.button.button);
      if (b < 0) return io.WantCaptureMouse;
      if (event.type == SDL_MOUSEBUTTONDOWN) {
        buttonHeld_[b] = buttonPressed_[b] = true;
        buttonTaken_[b] = io.WantCaptureMouse;
      } else {
        buttonHeld_[b] = false;
      }
      buttonChanged_ = true;
      ApplyButtons();
      return buttonTaken_[b];
    }
    case SDL_MOUSEWHEEL: {
      const float sign = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
      wheelX_ += sign * event.wheel.preciseX;
      wheelY_ += sign * event.wheel.preciseY;
      io.MouseWheelH = wheelX_;
      io.MouseWheel = wheelY_;
      return io.WantCaptureMouse;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      SetModifiers(io, event.key.keysym.mod);
      const int k = event.key.keysym.scancode;
      if (k < 0 || k >= kKeys) return io.WantCaptureKeyboard;
      if (event.type == SDL_KEYDOWN) {
        // A held key's repeats go where its press went.
        if (!event.key.repeat || !keyHeld_[k]) keyTaken_[k] = io.WantCaptureKeyboard;
        keyHeld_[k] = keyPressed_[k] = true;
        io.KeysDown[k] = true;
      } else {
        keyHeld_[k] = false;
        io.KeysDown[k] = keyPressed_[k];
      }
      return keyTaken_[k];
    }
    case SDL_TEXTINPUT:
      io.AddInputCharactersUTF8(event.text.text);
      return io.WantCaptureKeyboard || io.WantTextInput;
    case SDL_TEXTEDITING:
      return io.WantCaptureKeyboard || io.WantTextInput;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
        io.AddFocusEvent(true);
      } else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        // Whatever is held now will be released elsewhere.
        io.AddFocusEvent(false);
        deferred_.clear();
        std::fill(std::begin(keyHeld_), std::end(keyHeld_), false);
        std::fill(std::begin(buttonHeld_), std::end(buttonHeld_), false);
      } else if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
        io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
      }
      return false;
    default:
      return false;
  }
}

void OverlayInput::ApplyButtons() const {
  ImGuiIO& io = ImGui::GetIO();
  for (int b = 0; b < kButtons; ++b) io.MouseDown[b] = buttonHeld_[b] || buttonPressed_[b];
}

void OverlayInput::BeginFrame() {
  ImGuiIO& io = ImGui::GetIO();
  // The pointer events held back, in order, as far as this frame can show them; they
  // came before anything fed since, which waits behind them.
  while (!deferred_.empty() && !HoldsBack(deferred_.front())) {
    Apply(deferred_.front());
    deferred_.erase(deferred_.begin());
  }
  ApplyButtons();
  std::fill(std::begin(buttonPressed_), std::end(buttonPressed_), false);
  for (int k = 0; k < kKeys; ++k) io.KeysDown[k] = keyHeld_[k] || keyPressed_[k];
  std::fill(std::begin(keyPressed_), std::end(keyPressed_), false);
  io.MouseWheelH = wheelX_;
  io.MouseWheel = wheelY_;
  wheelX_ = wheelY_ = 0.0f;
  // What comes from now on is for the next frame.
  buttonChanged_ = movedWhileHeld_ = false;
}

void OverlayInput::Reset() {
  ImGuiIO& io = ImGui::GetIO();
  deferred_.clear();
  buttonChanged_ = movedWhileHeld_ = false;
  std::fill(std::begin(buttonHeld_), std::end(buttonHeld_), false);
  std::fill(std::begin(buttonPressed_), std::end(buttonPressed_), false);
  std::fill(std::begin(keyHeld_), std::end(keyHeld_), false);
  std::fill(std::begin(keyPressed_), std::end(keyPressed_), false);
  wheelX_ = wheelY_ = 0.0f;
  ApplyButtons();
  std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
  io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
  io.MouseWheel = io.MouseWheelH = 0.0f;
  io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
}

}  // namespace platform
