// Ogg Vorbis, FLAC, WAV and AIFF through libsndfile, with the checks the library leaves
// to its caller: it plays a WAV or AIFF cut short as a shorter file, a FLAC stream that
// loses its sync as one that ends there, and an Ogg file cut between pages as complete;
// and it follows a damaged chunk length through gigabytes that are not there (a WAV of
// 154 bytes whose LIST chunk claims 437 MB kept it busy for minutes).

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/audio/sndfile_decoder.h"

namespace platform {
namespace {

// A whole stream lives in memory as 16-bit samples. 2^29 of them (1 GiB) is an hour and
// a half of 44.1 kHz stereo: far more than a demo plays, and a bound on what a header's
// claim or a highly compressed stream can make the layer allocate.
constexpr std::size_t kMaxSamples = std::size_t{1} << 29;
// What may be set aside from a header's claim before decoding, in samples a byte of the
// file: more than any of these codecs yields from a byte of real music.
constexpr std::size_t kReservePerByte = 16;

struct MemoryFile {
  const unsigned char* data;
  sf_count_t size;
  sf_count_t position;
};

sf_count_t Length(void* user) { return static_cast<MemoryFile*>(user)->size; }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = file->position;
  if (whence == SEEK_END) base = file->size;
  if (offset < -base || offset > file->size - base) return -1;
  file->position = base + offset;
  return file->position;
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  const sf_count_t n = std::max<sf_count_t>(0, std::min(count, file->size - file->position));
  std::memcpy(buffer, file->data + file->position, static_cast<std::size_t>(n));
  file->position += n;
  return n;
}

sf_count_t Write(const void* /*buffer*/, sf_count_t /*count*/, void* /*user*/) { return 0; }

sf_count_t Tell(void* user) { return static_cast<MemoryFile*>(user)->position; }

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

// Opens the data as `format` and nothing else: the library guesses from content too, and
// must agree with what the bytes were sniffed to be.
Sndfile Open(MemoryFile* file, MusicFormat format, SF_INFO* info, std::string* error) {
  static SF_VIRTUAL_IO io = {Length, Seek, Read, Write, Tell};
  *info = SF_INFO{};
  if ((format == MusicFormat::Wav || format == MusicFormat::Aiff) &&
      !ChunksFit(file->data, static_cast<std::size_t>(file->size), format, error)) {
    return nullptr;
  }
  Sndfile sf(sf_open_virtual(&io, SFM_READ, info, file));
  const std::string what = std::string("cannot read this ") + MusicFormatName(format) + " file";
  if (!sf) {
    *error = what + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  const int type = info->format & SF_FORMAT_TYPEMASK;
  bool agrees = false;
  switch (format) {
    case MusicFormat::Wav: agrees = type == SF_FORMAT_WAV || type == SF_FORMAT_WAVEX || type == SF_FORMAT_RF64; break;
    case MusicFormat::Aiff: agrees = type == SF_FORMAT_AIFF; break;
    case MusicFormat::Flac: agrees = type == SF_FORMAT_FLAC; break;
    case MusicFormat::OggVorbis:
      agrees = type == SF_FORMAT_OGG && (info->format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS;
      break;
    case MusicFormat::Mp3:
    case MusicFormat::Unknown: break;
  }
  if (!agrees) {
    *error = what;
    return nullptr;
  }
  return sf;
}

// Rounded and clipped as the MP3 decoder's own output is: full scale is 32768, and the
// peaks a lossy codec overshoots by stop at the rails instead of wrapping round.
std::int16_t ToSample16(float value) {
  const double scaled = static_cast<double>(value) * 32768.0;
  if (scaled >= 32767.0) return 32767;
  if (scaled <= -32768.0) return -32768;
  if (!(scaled == scaled)) return 0;  // NaN, from a damaged float WAV
  return static_cast<std::int16_t>(std::lrint(scaled));
}

bool HeaderFramesKnown(sf_count_t frames) { return frames > 0 && frames != SF_COUNT_MAX; }

}  // namespace

bool DecodeWithSndfile(const unsigned char* data, std::size_t size, MusicFormat format, DecodedAudio* out,
                       std::string* error) {
  auto fail = [error](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  MemoryFile file{data, static_cast<sf_count_t>(size), 0};
  SF_INFO info;
  std::string reason;
  Sndfile sf = Open(&file, format, &info, &reason);
  if (!sf) return fail(reason);
  // The stream plays at its own rate and the device resamples, as for MP3; the rates
  // are those the device itself opens at.
  if (info.channels < 1 || info.channels > 2) {
    return fail(std::to_string(info.channels) + " channels: only mono and stereo music is read");
  }
  if (info.samplerate < 8000 || info.samplerate > 192000) {
    return fail("a sample rate of " + std::to_string(info.samplerate) + " Hz: rates from 8000 to 192000 Hz are read");
  }
  if (format == MusicFormat::OggVorbis && !OggStreamEnds(data, size)) {
    return fail("cut short: its Ogg stream stops before its last page");
  }
  sf_command(sf.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

  const std::size_t channels = static_cast<std::size_t>(info.channels);
  DecodedAudio audio;
  audio.rate = info.samplerate;
  audio.channels = info.channels;
  if (HeaderFramesKnown(info.frames)) {
    const std::size_t claimed = static_cast<std::uint64_t>(info.frames) > kMaxSamples / channels
                                    ? kMaxSamples
                                    : static_cast<std::size_t>(info.frames) * channels;
    audio.samples.reserve(std::min({claimed, kMaxSamples, size * kReservePerByte}));
  }
  constexpr sf_count_t kBlock = 4096;
  std::vector<float> block(static_cast<std::size_t>(kBlock) * channels);
  for (;;) {
    const sf_count_t frames = sf_readf_float(sf.get(), block.data(), kBlock);
    if (frames <= 0) break;
    const std::size_t count = static_cast<std::size_t>(frames) * channels;
    if (count > kMaxSamples - audio.samples.size()) {
      return fail("longer than the " + std::to_string(kMaxSamples / channels / static_cast<std::size_t>(audio.rate)) +
                  " seconds of music this program holds");
    }
    std::transform(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count),
                   std::back_inserter(audio.samples), ToSample16);
  }
  // Only FLAC's header states its length in samples that the library passes on. A
  // stream cut short also loses its sync, which the library reports as its error.
  const std::size_t frames = audio.Frames();
  if (format == MusicFormat::Flac && HeaderFramesKnown(info.frames) &&
      static_cast<std::uint64_t>(frames) < static_cast<std::uint64_t>(info.frames)) {
    return fail("cut short: " + std::to_string(frames) + " of the " + std::to_string(info.frames) +
                " samples its header gives");
  }
  if (sf_error(sf.get()) != SF_ERR_NO_ERROR) {
    return fail(std::string("cannot read this ") + MusicFormatName(format) + " file: " + sf_strerror(sf.get()));
  }
  if (frames == 0) return fail("no audio frames");
  *out = std::move(audio);
  return true;
}

double SndfileSeconds(const unsigned char* data, std::size_t size, MusicFormat format) {
  MemoryFile file{data, static_cast<sf_count_t>(size), 0};
  SF_INFO info;
  std::string reason;
  Sndfile sf = Open(&file, format, &info, &reason);
  if (!sf || info.samplerate <= 0 || !HeaderFramesKnown(info.frames)) return -1.0;
  return static_cast<double>(info.frames) / static_cast<double>(info.samplerate);
}

}  // namespace platform
