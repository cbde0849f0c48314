#include "platform/audio/music_format.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

bool Starts(const unsigned char* data, std::size_t size, std::size_t at, const char* magic) {
  const std::size_t length = std::strlen(magic);
  return at <= size && size - at >= length && std::memcmp(data + at, magic, length) == 0;
}

std::uint32_t Read32(const unsigned char* p, bool littleEndian) {
  if (littleEndian) return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// ID3v2 tags (several, in files that were tagged more than once) sit in front of MP3
// and, from some taggers, FLAC streams. The size is "synchsafe": seven bits a byte.
std::size_t SkipId3Tags(const unsigned char* data, std::size_t size) {
  std::size_t at = 0;
  for (int tag = 0; tag < 8 && Starts(data, size, at, "ID3") && size - at >= 10; ++tag) {
    const unsigned char* p = data + at;
    if (p[3] == 0xFF || p[4] == 0xFF || ((p[6] | p[7] | p[8] | p[9]) & 0x80)) break;
    const std::size_t body = static_cast<std::size_t>(p[6]) << 21 | p[7] << 14 | p[8] << 7 | p[9];
    const std::size_t footer = (p[5] & 0x10) ? 10 : 0;
    at += std::min(size - at, 10 + body + footer);
  }
  return at;
}

struct MpegHeader {
  int version;    // 3: MPEG 1, 2: MPEG 2, 0: MPEG 2.5
  int layer;      // 1 to 3
  int rateIndex;
  std::size_t frameBytes;  // 0 for a free-format stream, whose frames state no length
};

bool ParseMpegHeader(const unsigned char* p, MpegHeader* header) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int version = (p[1] >> 3) & 3;
  const int layer = 4 - ((p[1] >> 1) & 3);
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  if (version == 1 || layer == 4 || bitrateIndex == 15 || rateIndex == 3) return false;
  static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  static const int kKilobits[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  const int rate = kRates[version][rateIndex];
  const int kilobits = kKilobits[version == 3 ? 0 : 1][layer - 1][bitrateIndex];
  const int padding = (p[2] >> 1) & 1;
  header->version = version;
  header->layer = layer;
  header->rateIndex = rateIndex;
  if (kilobits == 0) {
    header->frameBytes = 0;
  } else if (layer == 1) {
    header->frameBytes = static_cast<std::size_t>((12000 * kilobits / rate + padding) * 4);
  } else {
    const int perKilobit = layer == 3 && version != 3 ? 72000 : 144000;
    header->frameBytes = static_cast<std::size_t>(perKilobit * kilobits / rate + padding);
  }
  return true;
}

bool SameStream(const MpegHeader& a, const MpegHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.rateIndex == b.rateIndex;
}

// An MPEG audio frame whose successor starts where its length says, with the same
// version, layer and rate. One frame header alone is no evidence: any four bytes in
// 4000 of random data pass for one. Encoders may leave a little junk before the first
// frame, and the decoder looks past it, so the first frame is searched for.
bool HoldsMpegAudio(const unsigned char* data, std::size_t size, std::size_t start) {
  constexpr std::size_t kSearch = 64 * 1024;
  // The longest free-format frame (layer 1 at 448 kbit/s and 32 kHz is 672 bytes; layer
  // 2 and 3 free format go up to 640 kbit/s, 2880 bytes at 32 kHz) with room to spare.
  constexpr std::size_t kLongestFreeFrame = 8192;
  const std::size_t end = std::min(size, start + kSearch);
  for (std::size_t at = start; at + 4 <= end; ++at) {
    MpegHeader first;
    if (!ParseMpegHeader(data + at, &first)) continue;
    MpegHeader next;
    if (first.frameBytes == 0) {
      const std::size_t last = std::min(size, at + kLongestFreeFrame);
      for (std::size_t q = at + 4; q + 4 <= last; ++q) {
        if (ParseMpegHeader(data + q, &next) && next.frameBytes == 0 && SameStream(first, next)) return true;
      }
      continue;
    }
    const std::size_t second = at + first.frameBytes;
    if (second == size) return true;  // a file of one whole frame
    if (second + 4 <= size && ParseMpegHeader(data + second, &next) && SameStream(first, next)) return true;
  }
  return false;
}

// The first page of an Ogg Vorbis stream carries the Vorbis identification packet.
bool IsOggVorbis(const unsigned char* data, std::size_t size) {
  if (size < 27 || data[4] != 0) return false;
  const std::size_t packet = 27 + static_cast<std::size_t>(data[26]);
  return Starts(data, size, packet, "\x01vorbis");
}

}  // namespace

SniffedMusic SniffMusic(const unsigned char* data, std::size_t size) {
  SniffedMusic music;
  if (!data || size == 0) return music;
  const bool riff = Starts(data, size, 0, "RIFF") || Starts(data, size, 0, "RIFX") || Starts(data, size, 0, "RF64");
  if (riff && Starts(data, size, 8, "WAVE")) {
    music.format = MusicFormat::Wav;
  } else if (Starts(data, size, 0, "FORM") && (Starts(data, size, 8, "AIFF") || Starts(data, size, 8, "AIFC"))) {
    music.format = MusicFormat::Aiff;
  } else if (Starts(data, size, 0, "OggS")) {
    // Ogg holds other codecs too (Opus, FLAC, Speex, video): only Vorbis is music here.
    if (IsOggVorbis(data, size)) music.format = MusicFormat::OggVorbis;
  } else {
    const std::size_t start = SkipId3Tags(data, size);
    if (Starts(data, size, start, "fLaC")) {
      music.format = MusicFormat::Flac;
      music.offset = start;
    } else if (HoldsMpegAudio(data, size, start)) {
      music.format = MusicFormat::Mp3;
    }
  }
  return music;
}

const char* MusicFormatName(MusicFormat format) {
  switch (format) {
    case MusicFormat::Mp3: return "MP3";
    case MusicFormat::Wav: return "WAV";
    case MusicFormat::Aiff: return "AIFF";
    case MusicFormat::Flac: return "FLAC";
    case MusicFormat::OggVorbis: return "Ogg Vorbis";
    case MusicFormat::Unknown: break;
  }
  return "unknown";
}

bool ChunksFit(const unsigned char* data, std::size_t size, MusicFormat format, std::string* problem) {
  const bool littleEndian = format == MusicFormat::Wav && !Starts(data, size, 0, "RIFX");
  const char* audio = format == MusicFormat::Wav ? "data" : "SSND";
  std::size_t at = 12;
  while (at <= size && size - at >= 8) {
    const std::uint32_t length = Read32(data + at + 4, littleEndian);
    const bool isAudio = std::memcmp(data + at, audio, 4) == 0;
    if (isAudio && (length == 0 || length == 0xFFFFFFFFu)) return true;
    const std::uint64_t held = size - at - 8;
    if (length > held) {
      if (isAudio) {
        *problem = "cut short: its audio data holds " + std::to_string(held) + " of the " + std::to_string(length) +
                   " bytes its header gives";
      } else {
        std::string id(reinterpret_cast<const char*>(data + at), 4);
        for (char& c : id) c = c >= ' ' && c <= '~' ? c : '?';
        *problem = "cut short or damaged: its \"" + id + "\" chunk runs past the end of the file";
      }
      return false;
    }
    at += 8 + static_cast<std::size_t>(length) + (length & 1);
  }
  return true;
}

bool OggStreamEnds(const unsigned char* data, std::size_t size) {
  if (size < 27) return false;
  for (std::size_t at = size - 27;; --at) {
    if (std::memcmp(data + at, "OggS", 4) == 0) {
      const std::size_t segments = data[at + 26];
      if (size - at - 27 >= segments) {
        std::size_t body = 0;
        for (std::size_t i = 0; i < segments; ++i) body += data[at + 27 + i];
        if (size - at - 27 - segments >= body) return (data[at + 5] & 0x04) != 0;
      }
    }
    if (at == 0) return false;
  }
}

}  // namespace platform
