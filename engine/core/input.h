#pragma once

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/singleton.h"

namespace engine {
namespace core {

// Keyboard and mouse state for per-pass queries. The window procedure writes events as
// they arrive; InputUpdate, the last module of every pass, rolls the current state into
// the previous one, so a query compares this pass with the end of the last one.
class ENGINE_API Input : public pattern::Singleton<Input> {
 public:
  static constexpr int kKeyCount = 256;

  Input();
  ~Input() override;

  // Writers, called from the window procedure. Codes outside 0 to 255 are ignored.
  void KeyDown(int virtualKey);
  void KeyUp(int virtualKey);
  void Button(int index, bool down);  // 0 left, 1 middle, 2 right
  // Stores the position; every move but the first of the run also sets the motion.
  void MouseMove(int x, int y);

  // Went down since the last pass / down now and at the last roll-over / went up since
  // the last pass. False for codes outside 0 to 255.
  bool Pressed(int virtualKey) const;
  bool Held(int virtualKey) const;
  bool Released(int virtualKey) const;

  int mouseX;                        // 0
  int mouseY;                        // 0
  int mouseDeltaX;                   // the largest int until InputUpdate starts
  int mouseDeltaY;                   // the largest int until InputUpdate starts
  bool keys[kKeyCount];              // true while down; all false
  bool previousKeys[kKeyCount];      // `keys` at the end of the last pass; all false
  bool previousButtons[3];           // left, middle, right
  bool buttons[3];                   // left, middle, right; the middle one is never set
  bool mouseMoved;                   // false until the first move of the run
};

// The module that rolls the input state over, last in every pass (priority 14000).
class ENGINE_API InputUpdate : public Module {
 public:
  InputUpdate();
  ~InputUpdate() override;

  bool Start() override;
  void Update() override;
  // Deletes the Input singleton.
  void Stop() override;
};

}  // namespace core
}  // namespace engine
