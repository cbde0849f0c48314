#include "engine/core/timer.h"

#include <algorithm>

#include "engine/core/Window.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/resourceTypes.h"

namespace engine {
namespace core {

namespace {

// One engine-wide spectrum: only the Timer reads and writes it.
float spectrum[Timer::kSpectrumBins];

constexpr DWORD kExpectedVersion = 0x0203;
constexpr UINT kSpectrumBytes = Timer::kSpectrumBins * sizeof(float);

}  // namespace

Timer::Timer()
    : paused(false),
      time(0.0),
      sinceLast(0.0),
      previousTime(0.0),
      frameCount(0),
      channel(0),
      spectrumTexture(nullptr) {
  name = L"Timer";
  priority = 10;
}

Timer::~Timer() = default;

const float* Timer::Spectrum() { return spectrum; }

bool Timer::Start() {
  frameCount = 0;
  sinceLast = 0.0;
  // A run without an "fft" texture still plays its music: a name-only custom texture
  // would fail its Create, so a missing one simply means no upload.
  auto fft = boost::dynamic_pointer_cast<resources::CustomTexture>(ResourceManager::Get()->GetResource(L"fft"));
  spectrumTexture = fft ? fft->DeviceTexture() : nullptr;

  if ((BASS_GetVersion() >> 16) != kExpectedVersion) NEBLU_ERROR("An incorrect version of BASS.DLL was loaded");
  BASS_Init(-1, 44100, 0, nullptr, nullptr);
  channel = BASS_StreamCreateFile(FALSE, "data\\soundtrack.mp3", 0, 0, BASS_STREAM_AUTOFREE);
  if (channel == 0) NEBLU_ERROR("Failed to load music file. Sorry.");
  BASS_SetVolume(100);
  BASS_ChannelPlay(channel, FALSE);
  return true;
}

void Timer::Update() {
  if (paused) return;
  previousTime = time;
  ++frameCount;
  const QWORD position = BASS_ChannelGetPosition(channel);
  // A stream freed at its end, or never made, has no position: the clock holds where
  // the music stopped instead of jumping to the error value -1 and running animations
  // backwards for the passes before the program notices.
  if (position != static_cast<QWORD>(-1)) time = BASS_ChannelBytes2Seconds(channel, position);
  sinceLast = time - previousTime;
  previousTime = time;

  float buffer[kSpectrumBins] = {};
  BASS_ChannelGetData(channel, buffer, BASS_DATA_FFT1024);
  // At 60 passes a second each bin moves about 5% of the way to the new reading; a
  // stall of a third of a second or more replaces it outright.
  const float k = static_cast<float>(std::min(3.0 * sinceLast, 1.0));
  for (int i = 0; i < kSpectrumBins; ++i) buffer[i] = (1.0f - k) * spectrum[i] + k * buffer[i];

  ID3D10Device* device = CWin32Window::Get()->device;
  if (device && spectrumTexture) {
    device->UpdateSubresource(spectrumTexture, 0, nullptr, buffer, kSpectrumBytes, kSpectrumBytes);
  }
  std::copy(buffer, buffer + kSpectrumBins, spectrum);
}

void Timer::Pause() {
  sinceLast = 0.0;
  paused = true;
  BASS_ChannelPause(channel);
}

bool Timer::Paused() const { return paused; }

void Timer::Resume() {
  if (!paused) return;
  paused = false;
  // The stream is still paused: both passes see the same position, leaving sinceLast at
  // 0 while the spectrum is refreshed.
  Update();
  Update();
  BASS_ChannelPlay(channel, FALSE);
}

void Timer::Stop() {
  BASS_ChannelStop(channel);
  BASS_Free();
}

}  // namespace core
}  // namespace engine
