#pragma once

// Feeds the current ImGui context's input from SDL events, and says which events the
// overlay takes for itself.
//
// ImGui 1.86 reads input as state at the start of each frame (io.MousePos, MouseDown,
// KeysDown indexed by SDL scancode through io.KeyMap, KeyCtrl..., MouseWheel) with text
// and focus queued. A press and release that fall between two frames would cancel out
// there, so presses are held until the next frame has seen them, and pointer events
// that one frame cannot show in order wait for the next.
//
// An event is taken (swallowed) when ImGui wants that kind of input (io.WantCaptureMouse,
// WantCaptureKeyboard as of the last frame); a release is taken exactly when its press
// was, so the program never sees a release without its press or keeps a key it saw
// pressed. Window events are never taken.

#include <vector>

union SDL_Event;

namespace platform {

class OverlayInput {
 public:
  // Maps ImGui's navigation and editing keys to SDL scancodes in the current context.
  OverlayInput();
  ~OverlayInput();

  // Updates the current context's input; true when the program should not see the event.
  bool Feed(const SDL_Event& event);

  // Just before ImGui::NewFrame: buttons and keys that went down since the last frame
  // count as down for this one even if they are up again; the wheel's turns since the
  // last frame are handed over. Pointer events come to ImGui in order, at most one press
  // or release a frame and no moves after it: a press, moves and a release that all came
  // between two frames reach ImGui over three.
  void BeginFrame();

  // Forgets every button and key and where the mouse is: for when the overlay is shown
  // again after events went past it.
  void Reset();

 private:
  static constexpr int kButtons = 5;
  static constexpr int kKeys = 512;
  void ApplyButtons() const;
  bool Apply(const SDL_Event& event);
  // True when `event` must wait for a later frame to be seen in order.
  bool HoldsBack(const SDL_Event& event) const;

  bool buttonHeld_[kButtons] = {};
  bool buttonPressed_[kButtons] = {};  // went down since the last frame
  bool buttonTaken_[kButtons] = {};    // its press was swallowed
  bool keyHeld_[kKeys] = {};
  bool keyPressed_[kKeys] = {};
  bool keyTaken_[kKeys] = {};
  float wheelX_ = 0.0f, wheelY_ = 0.0f;
  bool buttonChanged_ = false;   // a press or a release reached ImGui this frame
  bool movedWhileHeld_ = false;  // the pointer moved with a button held this frame
  std::vector<SDL_Event> deferred_;  // pointer events waiting for a later frame
};

}  // namespace platform
