#pragma once

// Ogg Vorbis, FLAC, WAV and AIFF through libsndfile, held in memory. Internal to the
// audio layer; the stream call reaches it through DecodeMusic.

#include <cstddef>
#include <string>

#include "platform/audio.h"
#include "platform/audio/music_format.h"

namespace platform {

// Decodes data that SniffMusic found to be `format` into 16-bit samples at the file's own
// rate and channel count, as the MP3 decoder does. False, with the reason in *error, for
// a container the library cannot read, more than two channels, a rate outside 8 to
// 192 kHz, no audio, a file shorter than its own header says, or more decoded audio
// than the layer holds.
bool DecodeWithSndfile(const unsigned char* data, std::size_t size, MusicFormat format, DecodedAudio* out,
                       std::string* error);

// The length in seconds that the file's header gives, without decoding; negative when
// the header gives none or cannot be read.
double SndfileSeconds(const unsigned char* data, std::size_t size, MusicFormat format);

}  // namespace platform
