// Feeds arbitrary bytes to the stream call's decoder as a music file in memory, whose
// content picks MP3, Ogg Vorbis, FLAC, WAV or AIFF. A refusal is fine if it says why;
// a crash, a hang, an allocation a header talked it into, or decoded audio the device
// cannot play is a bug.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/audio.h"

// libsndfile's Ogg reader leaves the Vorbis decoder's setup (5784 bytes) behind when a
// stream's setup header is malformed: a bounded leak per refused file, inside the
// libraries, which must not hide ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbis.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::DecodedAudio audio;
  std::string error;
  if (!platform::DecodeMusic(data, size, &audio, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  const bool playable = (audio.channels == 1 || audio.channels == 2) && audio.rate >= 8000 && audio.rate <= 192000 &&
                        audio.Frames() > 0 && audio.samples.size() % static_cast<std::size_t>(audio.channels) == 0;
  if (!playable) std::abort();
  return 0;
}
