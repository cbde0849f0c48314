#include <kiss_fftr.h>

#include <cmath>
#include <mutex>

#include "platform/audio.h"

namespace platform {

void Spectrum1024(const float* samples, float* magnitudes) {
  constexpr int N = 1024;
  static std::mutex mutex;
  static kiss_fftr_cfg config = kiss_fftr_alloc(N, 0, nullptr, nullptr);
  static float window[N];
  static bool windowReady = false;
  std::lock_guard<std::mutex> lock(mutex);
  if (!windowReady) {
    const double pi = std::acos(-1.0);
    for (int n = 0; n < N; ++n) window[n] = static_cast<float>(0.5 * (1.0 - std::cos(2.0 * pi * n / N)));
    windowReady = true;
  }
  kiss_fft_scalar in[N];
  kiss_fft_cpx out[N / 2 + 1];
  for (int n = 0; n < N; ++n) in[n] = samples[n] * window[n];
  kiss_fftr(config, in, out);
  // A sine of amplitude A on bin k gives |X[k]| = A * N / 2 before windowing, and the
  // Hann window's mean of 1/2 halves that again.
  const float scale = 4.0f / N;
  for (int k = 0; k < N / 2; ++k) magnitudes[k] = std::hypot(out[k].r, out[k].i) * scale;
}

}  // namespace platform
