#pragma once

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/singleton.h"
#include "platform/audio.h"
#include "platform/d3d10.h"

namespace engine {
namespace core {

// The engine's only clock: the music's playback position. Animation advances by
// `sinceLast`, shaders read `time`, per-frame work keys on `frameCount`, and every pass
// uploads a smoothed 512-bin spectrum of the music into the "fft" texture.
// Added under registration key 7 just before the main loop, so the music starts then.
class ENGINE_API Timer : public Module, public pattern::Singleton<Timer> {
 public:
  static constexpr int kSpectrumBins = 512;

  Timer();
  ~Timer() override;

  bool Start() override;
  void Update() override;
  // Holds the clock and the music; sinceLast reads 0 until the next Resume.
  void Pause() override;
  bool Paused() const override;
  // Continues from the paused position; the first pass after it reports only the time
  // played since.
  void Resume() override;
  void Stop() override;

  // The smoothed spectrum of the last update.
  static const float* Spectrum();

  bool paused;                       // false
  double time;                       // seconds of music played at the last update; 0
  double sinceLast;                  // seconds between the last two updates; 0
  double previousTime;               // `time` of the update before; 0
  int frameCount;                    // updates since Start; 0
  HSTREAM channel;                   // the music stream, 0 when loading failed
  ID3D10Texture2D* spectrumTexture;  // the "fft" resource's texture, or null
};

}  // namespace core
}  // namespace engine
