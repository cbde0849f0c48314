#pragma once

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/singleton.h"
#include "platform/win32.h"

namespace engine {
namespace core {

// The engine's only clock: the music's playback position. Animation advances by
// `sinceLast`, shaders read `time`, and per-frame work keys on `frameCount`.
// Added under registration key 7 just before the main loop, so the music starts then.
class ENGINE_API Timer : public Module, public pattern::Singleton<Timer> {
 public:
  Timer();
  ~Timer() override;

  bool Start() override;
  void Update() override;
  void Pause() override;
  bool Paused() const override;
  void Resume() override;
  void Stop() override;

  bool paused;          // false
  double time;          // seconds of music played at the last update; 0
  double sinceLast;     // seconds between the last two updates; 0
  double previousTime;  // `time` of the update before; 0
  int frameCount;       // updates since Start; 0
  DWORD channel;        // the music stream, 0 when none is playing
};

}  // namespace core
}  // namespace engine
