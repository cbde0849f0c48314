// Feeds arbitrary bytes to the audio layer as an MP3 in memory, then plays with the
// stream the way the music clock does. A refusal is fine; a crash, a hang or a stream
// that opens with nothing in it is a bug.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool initialized = BASS_Init(0, 44100, 0, nullptr, nullptr) != FALSE;
  if (!initialized) return 0;
  const HSTREAM stream = BASS_StreamCreateFile(TRUE, data, 0, static_cast<DWORD>(size), BASS_STREAM_AUTOFREE);
  if (!stream) return 0;
  platform::EnableCaptureClock(60, 1);
  BASS_ChannelPlay(stream, FALSE);
  float spectrum[512];
  for (int frame = 0; frame < 4; ++frame) {
    platform::AdvanceCaptureClock();
    const QWORD position = BASS_ChannelGetPosition(stream);
    if (position == static_cast<QWORD>(-1)) break;  // ended and freed
    if (BASS_ChannelBytes2Seconds(stream, position) < 0.0) std::abort();
    BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT1024);
  }
  BASS_ChannelStop(stream);
  platform::DisableCaptureClock();
  // Streams that never reached their end are freed with the device's next use; free
  // them here so the fuzzer's memory stays flat.
  BASS_Free();
  BASS_Init(0, 44100, 0, nullptr, nullptr);
  return 0;
}
