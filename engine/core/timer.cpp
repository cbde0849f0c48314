#include "engine/core/timer.h"

namespace engine {
namespace core {

Timer::Timer() : paused(false), time(0.0), sinceLast(0.0), previousTime(0.0), frameCount(0), channel(0) {
  name = L"Timer";
  priority = 10;
}

Timer::~Timer() = default;

// The music itself arrives with the audio layer; until then the clock stands still and
// counts passes, so everything driven by it sees a consistent, stopped time.
bool Timer::Start() {
  frameCount = 0;
  sinceLast = 0.0;
  return true;
}

void Timer::Update() {
  if (paused) return;
  ++frameCount;
}

void Timer::Pause() {
  paused = true;
  sinceLast = 0.0;
}

bool Timer::Paused() const { return paused; }

void Timer::Resume() { paused = false; }

void Timer::Stop() {}

}  // namespace core
}  // namespace engine
