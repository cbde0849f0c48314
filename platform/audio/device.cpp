// The output device, the streams and their clock. The main thread calls in; SDL's audio
// thread (or the silent device's own thread) mixes. One mutex guards everything both
// touch.

#include <dlfcn.h>

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

#include "platform/audio.h"
#include "platform/audio/music_lag.h"
#include "platform/capture/settings.h"
#include "platform/paths.h"
#include "platform/win32.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Stream {
  DecodedAudio audio;
  bool autoFree = false;
  enum class State { Stopped, Playing, Paused } state = State::Stopped;
  // Position in frames of the stream; fractional while a rate differs from the device's.
  double frame = 0.0;
  // The block the mixer handed out last: it is heard from blockStart at blockTime on,
  // so positions between mixes are interpolated, never beyond blockEnd.
  double blockStart = 0.0;
  double blockEnd = 0.0;
  Clock::time_point blockTime;
  double reported = 0.0;  // positions never go backwards while playing
  // Capture mode: position = captureBase + frames for the frames presented since.
  double captureBase = 0.0;
  std::int64_t captureStart = 0;

  double TotalFrames() const { return static_cast<double>(audio.Frames()); }
  int BytesPerFrame() const { return audio.channels * 2; }
};

struct Device {
  std::mutex mutex;
  bool initialized = false;
  int rate = 44100;
  float volume = 1.0f;
  SDL_AudioDeviceID sdlDevice = 0;
  std::thread silentThread;
  bool stopSilent = false;
  std::condition_variable wake;
  std::map<DWORD, Stream> streams;
  DWORD nextHandle = 0x10000;
  double startOffset = 0.0;
  double endOffset = -1.0;
  bool anyPlayed = false;  // since capture began
  // The position the clock read last, and of which stream: what the frame drawn from it
  // shows, for the present statistics.
  DWORD lastRead = 0;
  double lastReadFrame = 0.0;
  // Capture clock.
  bool capture = false;
  std::int64_t captureFrames = 0;
  int fpsNumerator = 60;
  int fpsDenominator = 1;
};

// Never destroyed: a program may leave without BASS_Free, and the mixing thread must not
// find its device gone (or a joinable thread be destroyed) while the process exits.
Device& TheDevice() {
  static Device* device = new Device;
  return *device;
}

thread_local int lastError = BASS_OK;

template <typename T>
T Fail(int code, T result) {
  lastError = code;
  return result;
}

template <typename T>
T Succeed(T result) {
  lastError = BASS_OK;
  return result;
}

double CaptureFramesFor(const Device& d, const Stream& s, std::int64_t presented) {
  // Whole samples, rounded from the exact time, so that N frames at an integral rate
  // land exactly on N frame times and no error accumulates at 59.94 fps.
  const double exact = static_cast<double>(presented) * s.audio.rate * d.fpsDenominator / d.fpsNumerator;
  return std::floor(exact + 0.5);
}

// Where the stream is being heard now. Called with the mutex held.
double CurrentFrame(Device& d, Stream& s) {
  if (s.state != Stream::State::Playing) return s.frame;
  if (d.capture) {
    return std::min(s.TotalFrames(), s.captureBase + CaptureFramesFor(d, s, d.captureFrames - s.captureStart));
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - s.blockTime).count();
  double position = std::min(s.blockStart + elapsed * s.audio.rate, s.blockEnd);
  position = std::max(position, s.reported);
  s.reported = position;
  return position;
}

void StartBlock(Stream& s, double at) {
  s.frame = at;
  s.blockStart = at;
  s.blockEnd = at;
  s.blockTime = Clock::now();
  s.reported = at;
}

// Mixes `frames` device frames of every playing stream into `out` (stereo 16-bit), or
// only advances them when out is null (the silent device). Called with the mutex held.
void Mix(Device& d, std::int16_t* out, int frames) {
  std::vector<float> mix(out ? static_cast<std::size_t>(frames) * 2 : 0, 0.0f);
  const auto now = Clock::now();
  for (auto it = d.streams.begin(); it != d.streams.end();) {
    Stream& s = it->second;
    if (s.state != Stream::State::Playing || d.capture) {
      ++it;
      continue;
    }
    const double step = static_cast<double>(s.audio.rate) / d.rate;
    const double total = s.TotalFrames();
    if (out) {
      const int channels = s.audio.channels;
      const std::int16_t* samples = s.audio.samples.data();
      for (int i = 0; i < frames; ++i) {
        const double position = s.frame + i * step;
        if (position >= total) break;
        const std::size_t index = static_cast<std::size_t>(position);
        const double t = position - static_cast<double>(index);
        const std::size_t next = std::min(index + 1, s.audio.Frames() - 1);
        for (int c = 0; c < 2; ++c) {
          const int source = channels == 1 ? 0 : c;
          const double a = samples[index * channels + source];
          const double b = samples[next * channels + source];
          mix[static_cast<std::size_t>(i) * 2 + c] += static_cast<float>(a + (b - a) * t);
        }
      }
    }
    s.blockStart = std::max(s.frame, s.reported);
    s.frame = std::min(total, s.frame + frames * step);
    s.blockEnd = s.frame;
    s.blockTime = now;
    if (s.frame >= total) {
      s.state = Stream::State::Stopped;
      if (s.autoFree) {
        it = d.streams.erase(it);
        continue;
      }
    }
    ++it;
  }
  if (out) {
    for (std::size_t i = 0; i < mix.size(); ++i) {
      out[i] = static_cast<std::int16_t>(std::clamp(mix[i] * d.volume, -32768.0f, 32767.0f));
    }
  }
}

void SdlCallback(void* user, Uint8* stream, int bytes) {
  auto* d = static_cast<Device*>(user);
  std::lock_guard<std::mutex> lock(d->mutex);
  Mix(*d, reinterpret_cast<std::int16_t*>(stream), bytes / 4);
}

// Consumes the streams at the device rate, in real time, without a sound card.
void SilentLoop(Device* d) {
  std::unique_lock<std::mutex> lock(d->mutex);
  auto last = Clock::now();
  double owed = 0.0;
  while (!d->stopSilent) {
    d->wake.wait_for(lock, std::chrono::milliseconds(5));
    const auto now = Clock::now();
    owed += std::chrono::duration<double>(now - last).count() * d->rate;
    last = now;
    const int frames = static_cast<int>(owed);
    owed -= frames;
    if (frames > 0) Mix(*d, nullptr, frames);
  }
}

// The sound library SDL loads on Linux writes its configuration complaints straight to
// standard error (eight lines on a machine without a sound card). Our own "no output
// device" line says all a user needs, so its error handler is replaced by a silent one.
// Loaded by name, not linked, so a machine without that library loses nothing; the
// handle is kept so SDL's own load finds the same, silenced library.
void SilentSoundLibraryError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                             const char* /*fmt*/, ...) {}

void SilenceSoundLibrary() {
  static const bool done = [] {
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!library) return true;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler"));
    if (set) set(SilentSoundLibraryError);
    return true;
  }();
  (void)done;
}

bool OpenSdl(Device& d) {
  SilenceSoundLibrary();
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "platform: audio: %s\n", SDL_GetError());
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = d.rate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = SdlCallback;
  want.userdata = &d;
  SDL_AudioSpec have{};
  d.sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (d.sdlDevice == 0) {
    std::fprintf(stderr, "platform: audio: no output device (%s); playing silently at %d Hz in real time\n",
                 SDL_GetError(), d.rate);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(d.sdlDevice, 0);
  return true;
}

Stream* FindStream(Device& d, DWORD handle) {
  auto it = d.streams.find(handle);
  return it == d.streams.end() ? nullptr : &it->second;
}

bool ReadFile(const std::string& path, DWORD offset, DWORD length, std::vector<unsigned char>* bytes) {
  // A FIFO would block the start for good, and a folder reads as nothing.
  if (!IsRegularFile(NativePath(path))) return false;
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (offset > bytes->size()) {
    bytes->clear();
    return true;
  }
  bytes->erase(bytes->begin(), bytes->begin() + offset);
  if (length && length < bytes->size()) bytes->resize(length);
  return true;
}

}  // namespace

void EnableCaptureClock(int fpsNumerator, int fpsDenominator) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (fpsNumerator <= 0 || fpsDenominator <= 0) return;
  for (auto& entry : d.streams) {
    Stream& s = entry.second;
    if (s.state == Stream::State::Playing && !d.capture) s.frame = CurrentFrame(d, s);
  }
  d.capture = true;
  d.captureFrames = 0;
  d.anyPlayed = false;
  d.fpsNumerator = fpsNumerator;
  d.fpsDenominator = fpsDenominator;
  for (auto& entry : d.streams) {
    entry.second.captureBase = entry.second.frame;
    entry.second.captureStart = 0;
  }
}

void AdvanceCaptureClock() {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (!d.capture) return;
  ++d.captureFrames;
  // A stream that reaches its end stops (and goes, with BASS_STREAM_AUTOFREE), as
  // it would in real time.
  for (auto it = d.streams.begin(); it != d.streams.end();) {
    Stream& s = it->second;
    if (s.state == Stream::State::Playing && CurrentFrame(d, s) >= s.TotalFrames()) {
      s.frame = s.TotalFrames();
      s.state = Stream::State::Stopped;
      if (s.autoFree) {
        it = d.streams.erase(it);
        continue;
      }
    }
    ++it;
  }
}

void DisableCaptureClock() {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (!d.capture) return;
  for (auto& entry : d.streams) {
    Stream& s = entry.second;
    if (s.state == Stream::State::Playing) StartBlock(s, CurrentFrame(d, s));
  }
  d.capture = false;
}

bool CaptureClockEnabled() {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  return d.capture;
}

void SetAudioStartOffset(double seconds) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.startOffset = std::max(0.0, seconds);
}

void SetAudioEnd(double end) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.endOffset = end;
}

bool CaptureMusicEnded() {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (!d.capture || !d.anyPlayed) return false;
  for (const auto& entry : d.streams) {
    if (entry.second.state == Stream::State::Playing) return false;
  }
  return true;
}

double CaptureMusicSecondsLeft() {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  double left = -1.0;
  for (auto& entry : d.streams) {
    Stream& s = entry.second;
    if (s.state != Stream::State::Playing) continue;
    left = std::max(left, (s.TotalFrames() - CurrentFrame(d, s)) / s.audio.rate);
  }
  return left;
}

}  // namespace platform

using platform::Device;
using platform::Fail;
using platform::Stream;
using platform::Succeed;

DWORD BASS_GetVersion() { return 0x02030000; }

int BASS_ErrorGetCode() { return platform::lastError; }

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, HWND /*win*/, const void* /*clsid*/) {
  Device& d = platform::TheDevice();
  std::unique_lock<std::mutex> lock(d.mutex);
  if (d.initialized) return Fail(BASS_ERROR_ALREADY, FALSE);
  if (device < -1 || device > 1) return Fail(BASS_ERROR_DEVICE, FALSE);
  d.rate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : 44100;
  d.volume = 1.0f;
  lock.unlock();
  bool opened = false;
  // Device 0 asks for silence, so only it says so; a failed real device has already
  // said why it plays silently, in one line.
  if (device == 0) std::fprintf(stderr, "platform: audio: silent device at %d Hz, playing in real time\n", d.rate);
  if (device != 0) {
    opened = platform::OpenSdl(d);
    if (!opened && device == 1) return Fail(BASS_ERROR_DRIVER, FALSE);
  }
  lock.lock();
  if (!opened) {
    d.stopSilent = false;
    d.silentThread = std::thread(platform::SilentLoop, &d);
  }
  d.initialized = true;
  lock.unlock();
  // Before any stream exists: a capture's music starts on the capture clock, not on wall
  // time that has already run while the first frames rendered.
  const platform::CaptureSwitches& capture = platform::ProcessCaptureSwitches();
  if (capture.Capturing()) platform::EnableCaptureClock(capture.fpsNumerator, capture.fpsDenominator);
  if (capture.start > 0.0) platform::SetAudioStartOffset(capture.start);
  if (capture.end >= 0.0) platform::SetAudioEnd(capture.end);
  return Succeed(TRUE);
}

BOOL BASS_Free() {
  Device& d = platform::TheDevice();
  std::unique_lock<std::mutex> lock(d.mutex);
  if (!d.initialized) return Fail(BASS_ERROR_INIT, FALSE);
  d.initialized = false;
  d.streams.clear();
  const SDL_AudioDeviceID sdlDevice = d.sdlDevice;
  d.sdlDevice = 0;
  d.stopSilent = true;
  lock.unlock();
  d.wake.notify_all();
  if (d.silentThread.joinable()) d.silentThread.join();
  if (sdlDevice) {
    SDL_CloseAudioDevice(sdlDevice);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  return Succeed(TRUE);
}

BOOL BASS_SetVolume(DWORD volume) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  if (!d.initialized) return Fail(BASS_ERROR_INIT, FALSE);
  if (volume > 100) return Fail(BASS_ERROR_ILLPARAM, FALSE);
  d.volume = static_cast<float>(volume) / 100.0f;
  return Succeed(TRUE);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  Device& d = platform::TheDevice();
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    if (!d.initialized) return Fail(BASS_ERROR_INIT, HSTREAM{0});
  }
  if (!file) return Fail(BASS_ERROR_FILEOPEN, HSTREAM{0});
  std::vector<unsigned char> bytes;
  std::string name = "memory";
  if (mem) {
    const auto* begin = static_cast<const unsigned char*>(file) + offset;
    bytes.assign(begin, begin + length);
  } else {
    name = (flags & BASS_UNICODE) ? platform::Utf8FromWide(static_cast<const wchar_t*>(file))
                                  : std::string(static_cast<const char*>(file));
    if (!platform::ReadFile(name, offset, length, &bytes)) {
      std::fprintf(stderr, "platform: audio: %s: cannot open\n", platform::NativePath(name).c_str());
      return Fail(BASS_ERROR_FILEOPEN, HSTREAM{0});
    }
  }
  Stream stream;
  std::string error;
  if (!platform::DecodeMusic(bytes.data(), bytes.size(), &stream.audio, &error)) {
    std::fprintf(stderr, "platform: audio: %s: %s\n", platform::NativePath(name).c_str(), error.c_str());
    return Fail(BASS_ERROR_FILEFORM, HSTREAM{0});
  }
  stream.autoFree = (flags & BASS_STREAM_AUTOFREE) != 0;
  std::lock_guard<std::mutex> lock(d.mutex);
  // Nearest samples: 4.4 s is 194040 samples at 44.1 kHz, though 4.4 * 44100 is a hair less.
  if (d.endOffset >= 0.0) {
    const double end = std::round(d.endOffset * stream.audio.rate);
    if (end < stream.TotalFrames()) stream.audio.samples.resize(static_cast<std::size_t>(end) * stream.audio.channels);
  }
  const double start = std::min(std::round(d.startOffset * stream.audio.rate), stream.TotalFrames());
  platform::StartBlock(stream, start);
  const DWORD handle = d.nextHandle++;
  d.streams.emplace(handle, std::move(stream));
  return Succeed(handle);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (s->state == Stream::State::Playing && !restart) return Succeed(TRUE);
  const double at = restart ? 0.0 : s->frame;
  platform::StartBlock(*s, at >= s->TotalFrames() ? 0.0 : at);
  s->captureBase = s->frame;
  s->captureStart = d.captureFrames;
  s->state = Stream::State::Playing;
  d.anyPlayed = true;
  return Succeed(TRUE);
}

BOOL BASS_ChannelPause(DWORD handle) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
  if (s->state != Stream::State::Playing) return Fail(BASS_ERROR_NOTAVAIL, FALSE);
  // The position stays where the listener heard it, not where the mixer had got to.
  s->frame = platform::CurrentFrame(d, *s);
  s->state = Stream::State::Paused;
  return Succeed(TRUE);
}

BOOL BASS_ChannelStop(DWORD handle) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
  s->frame = platform::CurrentFrame(d, *s);
  s->state = Stream::State::Stopped;
  return Succeed(TRUE);
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, BASS_ACTIVE_STOPPED);
  switch (s->state) {
    case Stream::State::Playing: return Succeed(BASS_ACTIVE_PLAYING);
    case Stream::State::Paused: return Succeed(BASS_ACTIVE_PAUSED);
    case Stream::State::Stopped: break;
  }
  return Succeed(BASS_ACTIVE_STOPPED);
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, static_cast<QWORD>(-1));
  const QWORD frame = static_cast<QWORD>(platform::CurrentFrame(d, *s));
  d.lastRead = handle;
  d.lastReadFrame = static_cast<double>(frame);
  return Succeed(frame * static_cast<QWORD>(s->BytesPerFrame()));
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, FALSE);
  const double at = std::min(static_cast<double>(position / static_cast<QWORD>(s->BytesPerFrame())), s->TotalFrames());
  platform::StartBlock(*s, at);
  // The capture clock counts from here, so the next frame is one frame time past `at`.
  s->captureBase = at;
  s->captureStart = d.captureFrames;
  return Succeed(TRUE);
}

QWORD BASS_ChannelGetLength(DWORD handle) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, static_cast<QWORD>(-1));
  return Succeed(static_cast<QWORD>(s->TotalFrames()) * static_cast<QWORD>(s->BytesPerFrame()));
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double seconds) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, static_cast<QWORD>(-1));
  if (!(seconds >= 0.0)) return Fail(BASS_ERROR_ILLPARAM, static_cast<QWORD>(-1));
  const double frames = std::min(std::floor(seconds * s->audio.rate + 0.5), s->TotalFrames());
  return Succeed(static_cast<QWORD>(frames) * static_cast<QWORD>(s->BytesPerFrame()));
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
  Device& d = platform::TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = platform::FindStream(d, handle);
  if (!s) return Fail(BASS_ERROR_HANDLE, -1.0);
  if (position == static_cast<QWORD>(-1)) return Fail(BASS_ERROR_ILLPARAM, -1.0);
  return Succeed(static_cast<double>(position) / (static_cast<double>(s->audio.rate) * s->BytesPerFrame()));
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  constexpr int N = 1024;
  float mono[N];
  {
    Device& d = platform::TheDevice();
    std::lock_guard<std::mutex> lock(d.mutex);
    Stream* s = platform::FindStream(d, handle);
    if (!s) return Fail(BASS_ERROR_HANDLE, static_cast<DWORD>(-1));
    if (length != BASS_DATA_FFT1024 || !buffer) {
      std::fprintf(stderr, "platform: BASS_ChannelGetData: only BASS_DATA_FFT1024 is implemented\n");
      return Fail(BASS_ERROR_NOTAVAIL, static_cast<DWORD>(-1));
    }
    // The 1024 frames ending at the position, zeros before the start of the stream.
    const std::int64_t end = static_cast<std::int64_t>(platform::CurrentFrame(d, *s));
    const int channels = s->audio.channels;
    const std::int16_t* samples = s->audio.samples.data();
    const std::int64_t frames = static_cast<std::int64_t>(s->audio.Frames());
    for (int i = 0; i < N; ++i) {
      const std::int64_t frame = end - N + i;
      float sum = 0.0f;
      if (frame >= 0 && frame < frames) {
        for (int c = 0; c < channels; ++c) sum += samples[frame * channels + c];
      }
      mono[i] = sum / (32768.0f * static_cast<float>(channels));
    }
  }
  platform::Spectrum1024(mono, static_cast<float*>(buffer));
  return Succeed(static_cast<DWORD>(N / 2 * sizeof(float)));
}

namespace platform {

bool MusicLagNow(double* shownSeconds, double* heardSeconds) {
  Device& d = TheDevice();
  std::lock_guard<std::mutex> lock(d.mutex);
  Stream* s = d.lastRead ? FindStream(d, d.lastRead) : nullptr;
  // On the capture clock the music follows the frames: there is no lag to measure.
  if (!s || d.capture || s->state != Stream::State::Playing) return false;
  const double rate = static_cast<double>(s->audio.rate);
  *shownSeconds = d.lastReadFrame / rate;
  *heardSeconds = CurrentFrame(d, *s) / rate;
  return true;
}

}  // namespace platform
