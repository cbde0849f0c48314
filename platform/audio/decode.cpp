// MP3 to 16-bit samples through libmpg123, from memory, with the checks libmpg123 leaves
// to its caller: it opens data with no MPEG audio in it as an empty track and stops
// quietly at the end of a cut-off file.

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/audio.h"

namespace platform {
namespace {

struct MemoryReader {
  const unsigned char* data;
  std::size_t size;
  std::size_t position;
};

mpg123_ssize_t Read(void* handle, void* buffer, size_t bytes) {
  auto* reader = static_cast<MemoryReader*>(handle);
  const std::size_t count = std::min(bytes, reader->size - reader->position);
  std::memcpy(buffer, reader->data + reader->position, count);
  reader->position += count;
  return static_cast<mpg123_ssize_t>(count);
}

off_t Seek(void* handle, off_t offset, int whence) {
  auto* reader = static_cast<MemoryReader*>(handle);
  off_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<off_t>(reader->position);
  if (whence == SEEK_END) base = static_cast<off_t>(reader->size);
  const off_t target = base + offset;
  if (target < 0 || target > static_cast<off_t>(reader->size)) return -1;
  reader->position = static_cast<std::size_t>(target);
  return target;
}

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};

}  // namespace

bool DecodeMp3(const void* data, std::size_t size, DecodedAudio* out, std::string* error) {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
  auto fail = [error](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  if (!data || size == 0) return fail("no data");

  int status = MPG123_OK;
  std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, &status));
  if (!handle) return fail(std::string("mpg123: ") + mpg123_plain_strerror(status));
  mpg123_handle* mh = handle.get();
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  // Keep the file's own rate and channels, always as 16-bit samples.
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

  MemoryReader reader{static_cast<const unsigned char*>(data), size, 0};
  if (mpg123_replace_reader_handle(mh, Read, Seek, nullptr) != MPG123_OK || mpg123_open_handle(mh, &reader) != MPG123_OK) {
    return fail(std::string("mpg123: ") + mpg123_strerror(mh));
  }
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0) {
    return fail("no MPEG audio found");
  }
  int accurate = 0;
  long accurateValue = 0;
  if (mpg123_getstate(mh, MPG123_ACCURATE, &accurateValue, nullptr) == MPG123_OK) accurate = accurateValue != 0;
  const off_t expected = mpg123_length(mh);

  DecodedAudio audio;
  audio.rate = static_cast<int>(rate);
  audio.channels = channels;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    size_t done = 0;
    status = mpg123_read(mh, buffer.data(), buffer.size(), &done);
    const auto* samples = reinterpret_cast<const std::int16_t*>(buffer.data());
    audio.samples.insert(audio.samples.end(), samples, samples + done / sizeof(std::int16_t));
    if (status == MPG123_DONE) break;
    if (status == MPG123_NEW_FORMAT) {
      long newRate = 0;
      int newChannels = 0;
      mpg123_getformat(mh, &newRate, &newChannels, &encoding);
      if (newRate != rate || newChannels != channels) return fail("the audio format changes midway");
      continue;
    }
    if (status != MPG123_OK) return fail(std::string("mpg123: ") + mpg123_strerror(mh));
  }
  const std::size_t frames = audio.Frames();
  if (frames == 0) return fail("no audio frames");
  // Without a length tag the expected length is mpg123's estimate from the frame size,
  // which can run a fraction of a frame over what a whole file decodes to (seen: 16 to
  // 204 samples for lame's mono and layer 2 files): only a shortfall of more than a frame
  // is a cut file.
  constexpr off_t kSamplesPerFrameAtMost = 1152;
  if (accurate && expected > 0 && static_cast<off_t>(frames) + kSamplesPerFrameAtMost < expected) {
    return fail("truncated: " + std::to_string(frames) + " of " + std::to_string(expected) + " samples");
  }
  *out = std::move(audio);
  return true;
}

double Mp3FileSeconds(const std::string& path) {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
  int status = MPG123_OK;
  std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, &status));
  if (!handle) return -1.0;
  mpg123_handle* mh = handle.get();
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) return -1.0;
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) return -1.0;
  // Without a scan the length is estimated from the first frame's bit rate.
  if (mpg123_scan(mh) != MPG123_OK) return -1.0;
  const off_t samples = mpg123_length(mh);
  return samples > 0 ? static_cast<double>(samples) / static_cast<double>(rate) : -1.0;
}

}  // namespace platform
