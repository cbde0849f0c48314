#pragma once

// What a music file holds, told from its bytes: the stream call picks its decoder by
// content, never by the file's name (the demo's Ogg or FLAC soundtrack may still be
// called soundtrack.mp3). Also the facts a container states about its own length, so
// that a file cut short is refused whatever decodes it. Internal to the audio layer.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class MusicFormat { Unknown, Mp3, Wav, Aiff, Flac, OggVorbis };

// The refusal for anything else, after the file's name.
constexpr const char kNotMusic[] = "not a music file this program reads (MP3, Ogg Vorbis, FLAC, WAV, AIFF)";

struct SniffedMusic {
  MusicFormat format = MusicFormat::Unknown;
  // Where the container starts: past any ID3v2 tags in front of a FLAC stream, which its
  // decoder does not expect. An MP3 is always decoded whole, tags and all.
  std::size_t offset = 0;
};

SniffedMusic SniffMusic(const unsigned char* data, std::size_t size);

// "WAV", "Ogg Vorbis" and so on, for messages.
const char* MusicFormatName(MusicFormat format);

// A WAV or AIFF container's chunks all within the data, its audio chunk ("data",
// "SSND") holding the bytes its header declares. False, with the reason in *problem,
// where one runs past the end: a file cut short, or a damaged length, which the library
// would otherwise follow through gigabytes that are not there. A writer that cannot
// seek back (a pipe) leaves the audio chunk's length 0 or all ones: it runs to the end.
bool ChunksFit(const unsigned char* data, std::size_t size, MusicFormat format, std::string* problem);

// True when the last whole Ogg page of the data closes its stream. A cut-off Ogg file
// still decodes up to the cut, and nothing else in it says how long it should be.
bool OggStreamEnds(const unsigned char* data, std::size_t size);

}  // namespace platform
