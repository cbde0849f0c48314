// The stream call's decoder: what the bytes hold picks it, not the file's name. MP3 keeps
// its own decoder (libmpg123, exactly as before); the other formats go to libsndfile,
// whose MP3 support is left unused so that MP3 streams decode as they always have.

#include <fstream>
#include <vector>

#include "platform/audio.h"
#include "platform/audio/music_format.h"
#include "platform/audio/sndfile_decoder.h"

namespace platform {

bool DecodeMusic(const void* data, std::size_t size, DecodedAudio* out, std::string* error) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const SniffedMusic music = SniffMusic(bytes, size);
  switch (music.format) {
    case MusicFormat::Mp3: return DecodeMp3(data, size, out, error);
    case MusicFormat::Wav:
    case MusicFormat::Aiff:
    case MusicFormat::Flac:
    case MusicFormat::OggVorbis:
      return DecodeWithSndfile(bytes + music.offset, size - music.offset, music.format, out, error);
    case MusicFormat::Unknown: break;
  }
  if (error) *error = kNotMusic;
  return false;
}

double MusicFileSeconds(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return -1.0;
  const std::streamoff length = in.tellg();
  // A file over a gigabyte decodes to more than a stream holds, unless it is MP3, whose
  // length mpg123 reads from the file itself: then its head is enough to tell which.
  constexpr std::streamoff kWhole = std::streamoff{1} << 30, kHead = std::streamoff{16} << 20;
  if (length < 0) return -1.0;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(length <= kWhole ? length : kHead));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return -1.0;
  const SniffedMusic music = SniffMusic(bytes.data(), bytes.size());
  switch (music.format) {
    case MusicFormat::Mp3: return Mp3FileSeconds(path);
    case MusicFormat::Wav:
    case MusicFormat::Aiff:
    case MusicFormat::Flac:
    case MusicFormat::OggVorbis:
      if (length > kWhole) return -1.0;
      return SndfileSeconds(bytes.data() + music.offset, bytes.size() - music.offset, music.format);
    case MusicFormat::Unknown: break;
  }
  return -1.0;
}

}  // namespace platform
