#pragma once

// The audio library's calls the music clock makes, in the shape of that library's
// version 2.3: one output device, music streams made from a file or from memory, play,
// pause and stop, the playing position in bytes of the decoded stream, and a spectrum.
//
// A stream's format is told from its content, never from the file's name: MP3 (MPEG
// layers 1 to 3), Ogg Vorbis, FLAC, WAV and AIFF. Streams are decoded whole when they
// are made (16-bit samples at the file's own rate and channel count, whatever the
// format), so a broken file is refused then rather than playing silence.
// Output goes through SDL2; where no output device opens, or for device 0, a silent
// device consumes the streams in real time so that positions still advance. In capture
// mode positions advance only by whole frame times, when the capture says so.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/win32/types.h"

typedef std::uint64_t QWORD;
typedef DWORD HSTREAM;
typedef DWORD HCHANNEL;

// BASS_StreamCreateFile flags.
constexpr DWORD BASS_STREAM_AUTOFREE = 0x40000;   // freed by the library when playback ends
constexpr DWORD BASS_UNICODE = 0x80000000;        // the file name is a wide string

// BASS_ChannelGetData: 512 spectrum magnitudes (2048 bytes) of the 1024 samples ending
// at the playing position.
constexpr DWORD BASS_DATA_FFT1024 = 0x80000001;

// BASS_ChannelIsActive
constexpr DWORD BASS_ACTIVE_STOPPED = 0;  // also for a handle that is gone
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// BASS_ErrorGetCode values.
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_DRIVER = 3;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_UNKNOWN = -1;

// 0x02030000: version 2.3 in the high word.
PLATFORM_API DWORD BASS_GetVersion();
// The error of the last call that failed on this thread, or BASS_OK.
PLATFORM_API int BASS_ErrorGetCode();

// device -1: the default output, falling back to the silent device when none opens;
// 0: the silent device; 1: the default output only. freq: output sample rate. win and
// clsid are accepted and ignored. FALSE (BASS_ERROR_ALREADY) when already initialised.
PLATFORM_API BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
// Stops and frees every stream and closes the device.
PLATFORM_API BOOL BASS_Free();
// Output volume, 0 to 100.
PLATFORM_API BOOL BASS_SetVolume(DWORD volume);

// mem FALSE: `file` names a file (narrow UTF-8, or wide with BASS_UNICODE), read from
// `offset` for `length` bytes (0: to the end). mem TRUE: `file` points at `length` bytes.
// Returns 0 (BASS_ERROR_FILEOPEN, BASS_ERROR_FILEFORM) for a missing file, for data that
// DecodeMusic refuses, and for a stream that ends before its header says it should.
PLATFORM_API HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);

// restart TRUE starts from the beginning; FALSE continues from the current position.
PLATFORM_API BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// Keeps the position; BASS_ChannelPlay continues from it.
PLATFORM_API BOOL BASS_ChannelPause(DWORD handle);
PLATFORM_API BOOL BASS_ChannelStop(DWORD handle);
PLATFORM_API DWORD BASS_ChannelIsActive(DWORD handle);
// Bytes of the decoded stream played so far; (QWORD)-1 for an invalid handle.
PLATFORM_API QWORD BASS_ChannelGetPosition(DWORD handle);
// Moves a stream to `position` bytes of its decoded audio (clamped to its length); a
// playing stream goes on from there, a paused one continues there on the next play.
PLATFORM_API BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
// Bytes of decoded audio in the whole stream; (QWORD)-1 for an invalid handle.
PLATFORM_API QWORD BASS_ChannelGetLength(DWORD handle);
// Bytes of the decoded stream in `seconds`, whole frames; (QWORD)-1 for an invalid handle.
PLATFORM_API QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double seconds);
// Negative for an invalid handle. Returned as double where the original returned float:
// the callers store it in a double, and positions late in a track keep their precision.
PLATFORM_API double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
// Only BASS_DATA_FFT1024: fills 512 floats, each about 1.0 for a full-scale sine centred
// on its bin (Hann window). Returns the bytes written, or (DWORD)-1.
PLATFORM_API DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

namespace platform {

// Decoded audio: interleaved 16-bit samples.
struct DecodedAudio {
  int rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;
  std::size_t Frames() const { return channels ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

// Decodes a whole MP3 held in memory. False, with the reason in *error, for data that
// has no MPEG audio format, decodes to nothing, changes format midway, or is shorter
// than its own header says.
PLATFORM_API bool DecodeMp3(const void* data, std::size_t size, DecodedAudio* out, std::string* error);

// The length in seconds of the MP3 file at `path` (a native path), from its frame headers
// without decoding; negative when the file cannot be opened or holds no MPEG audio.
PLATFORM_API double Mp3FileSeconds(const std::string& path);

// Decodes a whole music file held in memory with the decoder its content calls for: MP3
// through DecodeMp3, Ogg Vorbis, FLAC, WAV and AIFF through libsndfile, all to 16-bit
// samples at the file's own rate and channel count (mono or stereo). False, with the
// reason in *error, for anything else ("not a music file this program reads (MP3, Ogg
// Vorbis, FLAC, WAV, AIFF)"), a header the decoder cannot read, no audio, a file shorter
// than its own header says, or, where a small file may decode to a huge one (FLAC, Ogg
// Vorbis, WAV, AIFF), more than 2^29 samples: about 100 minutes of 44.1 kHz stereo.
PLATFORM_API bool DecodeMusic(const void* data, std::size_t size, DecodedAudio* out, std::string* error);

// The length in seconds of the music file at `path` (a native path) from its headers,
// told by content as DecodeMusic does; negative when the file cannot be opened, is no
// music file this layer reads, or its headers give no length.
PLATFORM_API double MusicFileSeconds(const std::string& path);

// Capture mode: from now on playing streams advance by exactly one frame time
// (rate * denominator / numerator samples, rounded to the nearest sample from the
// start of capture) per AdvanceCaptureClock, and never by wall time; nothing is heard.
PLATFORM_API void EnableCaptureClock(int fpsNumerator, int fpsDenominator);
PLATFORM_API void AdvanceCaptureClock();
PLATFORM_API void DisableCaptureClock();
PLATFORM_API bool CaptureClockEnabled();

// Streams made after this call start this many seconds in (the -start switch), and end
// `end` seconds in when that is not negative (-end): they stop there as at their end.
PLATFORM_API void SetAudioStartOffset(double seconds);
PLATFORM_API void SetAudioEnd(double end);

// Seconds of music still to play on the longest playing stream, negative while none
// plays: what is left of a capture whose program ends with its music.
PLATFORM_API double CaptureMusicSecondsLeft();
// Capture mode: music was played and none plays any more. The pass that finds the music
// over still draws a frame before its program can quit; the capture leaves it out, so
// that a range ends with its music.
PLATFORM_API bool CaptureMusicEnded();

// 512 magnitudes of 1024 mono samples (Hann window), scaled so that a full-scale sine
// centred on a bin reads 1.0 there.
PLATFORM_API void Spectrum1024(const float* samples, float* magnitudes);

}  // namespace platform
