// The stream call reads music by content: one bar of the demo's score, synthesised to
// WAV and encoded by ffmpeg (FLAC, AIFF, Ogg Vorbis) and lame (MP3, as the build encodes
// the soundtrack), must play with the WAV's positions and spectrum from a file still
// named data\soundtrack.mp3. Anything else is refused with one clear line.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "support/scratch_dir.h"

namespace {

constexpr char kNotMusic[] = "not a music file this program reads (MP3, Ogg Vorbis, FLAC, WAV, AIFF)";

std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// A tenth of a second of silence, for what the device cannot play whatever the format.
std::string SilentWav(int channels, int rate) {
  const std::uint32_t bytes = static_cast<std::uint32_t>(rate / 10 * channels * 2);
  return "RIFF" + Le(36 + bytes, 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) +
         Le(rate * channels * 2, 4) + Le(channels * 2, 2) + Le(16, 2) + "data" + Le(bytes, 4) +
         std::string(bytes, '\0');
}

class MusicFormatsTest : public ::testing::Test {
 public:
  static void SetUpTestSuite() { scratch = new testing_support::ScratchDir(); }
  static void TearDownTestSuite() { delete scratch; }

  // score.* is a bar of the score, mono.* the same at 22.05 kHz mono; each is made on
  // first use, since ctest runs every test in a process of its own.
  static std::string Path(const std::string& name) {
    if (!scratch->Exists(name)) Make(name);
    return scratch->Path(name);
  }
  static std::string Bytes(const std::string& name) { return scratch->ReadFile(Path(name)); }

  static void Run(const std::string& command) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command << " (scripts/setup.sh installs ffmpeg and lame)";
  }
  static void Make(const std::string& name) {
    const std::string ffmpeg = "ffmpeg -nostdin -hide_banner -loglevel error -y -i ";
    const std::string base = name.substr(0, name.find('.')), kind = name.substr(name.find('.') + 1);
    if (name == "score.wav")
      return Run(std::string(NEBLU_SYNTH_SOUNDTRACK) + " " + scratch->Path(name) + " --bars 0 1");
    if (name == "mono.wav") return Run(ffmpeg + Path("score.wav") + " -ac 1 -ar 22050 " + scratch->Path(name));
    if (name == "untagged.mp3") return Run("lame --quiet " + Path("mono.wav") + " " + scratch->Path(name));
    if (name == "layer2.mp2") return Run(ffmpeg + Path("score.wav") + " -c:a mp2 " + scratch->Path(name));
    const std::string wav = Path(base + ".wav"), out = " " + scratch->Path(name);
    // lame's default for 22.05 kHz mono (32 kbit/s) leaves its first frame no room for
    // the tag that states the encoder's delay and the length; without it the delay stays
    // in, and the MP3 decoder takes the estimated length for a claim and refuses the file.
    // So mono is made at 64 kbit/s.
    if (kind == "mp3") return Run("lame --quiet -b " + std::string(base == "mono" ? "64 " : "192 ") + wav + out);
    if (kind == "ogg") return Run(ffmpeg + wav + " -c:a libvorbis -q:a 6" + out);
    if (kind == "opus") return Run(ffmpeg + wav + " -c:a libopus" + out);
    Run(ffmpeg + wav + out);  // FLAC and AIFF, by the name
  }
  static platform::DecodedAudio Decode(const std::string& bytes, std::string* error = nullptr) {
    platform::DecodedAudio audio;
    std::string reason;
    EXPECT_EQ(platform::DecodeMusic(bytes.data(), bytes.size(), &audio, &reason), error == nullptr) << reason;
    if (error) *error = reason;
    return audio;
  }
  // The file's bytes under the name the music clock opens, whatever they hold.
  static HSTREAM OpenAsSoundtrack(const std::string& bytes) {
    scratch->Write("data/soundtrack.mp3", bytes);
    return BASS_StreamCreateFile(FALSE, "data\\soundtrack.mp3", 0, 0, BASS_STREAM_AUTOFREE);
  }

  static testing_support::ScratchDir* scratch;

 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
  void TearDown() override {
    platform::DisableCaptureClock();
    BASS_Free();
  }
};

testing_support::ScratchDir* MusicFormatsTest::scratch = nullptr;

struct Reading {
  QWORD position;
  double seconds;
  std::array<float, 512> spectrum;
};

Reading ReadAt(HSTREAM stream, double seconds) {
  BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, seconds));
  Reading reading{BASS_ChannelGetPosition(stream), 0.0, {}};
  reading.seconds = BASS_ChannelBytes2Seconds(stream, reading.position);
  BASS_ChannelGetData(stream, reading.spectrum.data(), BASS_DATA_FFT1024);
  return reading;
}

// Summed bin differences over the reference's summed magnitudes.
double SpectrumDifference(const Reading& reference, const Reading& other) {
  double difference = 0.0, total = 0.0;
  for (std::size_t k = 0; k < reference.spectrum.size(); ++k) {
    difference += std::fabs(reference.spectrum[k] - other.spectrum[k]);
    total += std::fabs(reference.spectrum[k]);
  }
  return difference / total;
}

struct Format {
  const char* file;
  bool lossless;
};
void PrintTo(const Format& format, std::ostream* out) { *out << format.file; }

class EveryFormat : public MusicFormatsTest, public ::testing::WithParamInterface<Format> {};

// Lossless files give the WAV's spectrum to the bit. The lossy codecs cannot, but both
// decoders remove their encoder's delay (Vorbis by its granule positions, MP3 by lame's
// gapless tag), so lengths and positions still agree to the sample, and the spectrum
// agrees within the codec's accuracy: measured 2 to 4% mean difference at these rates, a
// bound of 6% mean and 10% anywhere, which a shift of 64 samples (1.5 ms) exceeds.
TEST_P(EveryFormat, PlaysWithTheWavsPositionsAndSpectrum) {
  const HSTREAM wav = BASS_StreamCreateFile(FALSE, Path("score.wav").c_str(), 0, 0, 0);
  const HSTREAM music = OpenAsSoundtrack(Bytes(GetParam().file));
  ASSERT_NE(wav, 0u);
  ASSERT_NE(music, 0u);
  EXPECT_EQ(BASS_ChannelGetLength(music), BASS_ChannelGetLength(wav));
  EXPECT_DOUBLE_EQ(platform::MusicFileSeconds(Path(GetParam().file)), platform::MusicFileSeconds(Path("score.wav")));
  double sum = 0.0;
  int count = 0;
  for (double t = 0.1; t < 1.85; t += 0.1, ++count) {
    const Reading expected = ReadAt(wav, t), actual = ReadAt(music, t);
    EXPECT_EQ(actual.position, expected.position) << t;
    EXPECT_EQ(actual.seconds, expected.seconds) << t;
    if (GetParam().lossless) {
      ASSERT_EQ(actual.spectrum, expected.spectrum) << "at " << t << " s";
    } else {
      const double difference = SpectrumDifference(expected, actual);
      EXPECT_LT(difference, 0.10) << "at " << t << " s";
      sum += difference;
    }
  }
  EXPECT_LT(sum / count, 0.06);
  // Playing: the clock moves both by the same bytes.
  platform::EnableCaptureClock(25, 1);
  for (HSTREAM stream : {wav, music}) BASS_ChannelPlay(stream, TRUE);
  for (int frame = 0; frame < 12; ++frame) platform::AdvanceCaptureClock();
  EXPECT_EQ(BASS_ChannelGetPosition(music), BASS_ChannelGetPosition(wav));
}

INSTANTIATE_TEST_SUITE_P(Files, EveryFormat,
                         ::testing::Values(Format{"score.wav", true}, Format{"score.flac", true},
                                           Format{"score.aiff", true}, Format{"score.ogg", false},
                                           Format{"score.mp3", false}),
                         [](const ::testing::TestParamInfo<Format>& param) {
                           const std::string file = param.param.file;
                           return file.substr(file.find('.') + 1);
                         });

// The reference the other formats are held to: a 16-bit WAV decodes to its own samples.
TEST_F(MusicFormatsTest, SixteenBitWavDecodesToItsOwnSamples) {
  const std::string wav = Bytes("score.wav");
  ASSERT_EQ(wav.compare(36, 4, "data"), 0) << "the synthesiser writes a plain 44-byte header";
  std::vector<std::int16_t> samples((wav.size() - 44) / 2);
  std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
  const platform::DecodedAudio audio = Decode(wav);
  EXPECT_EQ(audio.rate, 44100);
  EXPECT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.samples, samples);
}

// Mono and rates other than 44.1 kHz stay as the file has them, as MP3 always did: the
// device resamples and plays mono on both sides.
TEST_F(MusicFormatsTest, MonoAtOtherRatesKeepsItsRateAndChannels) {
  const platform::DecodedAudio wav = Decode(Bytes("mono.wav"));
  EXPECT_EQ(wav.rate, 22050);
  EXPECT_EQ(wav.channels, 1);
  for (const char* file : {"mono.flac", "mono.aiff", "mono.ogg", "mono.mp3"}) {
    const platform::DecodedAudio audio = Decode(Bytes(file));
    EXPECT_EQ(audio.rate, wav.rate) << file;
    EXPECT_EQ(audio.channels, wav.channels) << file;
    EXPECT_EQ(audio.Frames(), wav.Frames()) << file;
  }
  EXPECT_EQ(Decode(Bytes("mono.flac")).samples, wav.samples);
  EXPECT_EQ(Decode(Bytes("mono.aiff")).samples, wav.samples);
}

// Whole files without the tag that states their length (lame's default for 22.05 kHz mono,
// MPEG layer 2): the decoder's estimate of their length runs a little over what they
// hold, and is no claim that a shorter file was cut.
TEST_F(MusicFormatsTest, MpegFilesWithoutALengthTagArePlayedWhole) {
  for (const char* file : {"untagged.mp3", "layer2.mp2"}) {
    const platform::DecodedAudio audio = Decode(Bytes(file));
    EXPECT_GT(audio.Frames(), 0u) << file;
  }
}

// What containers say of themselves: a file shorter than its header says is refused, as
// a cut MP3 is; a length left unknown by a writer that could not seek back is no claim;
// a claim is checked, never allocated.
TEST_F(MusicFormatsTest, HeadersAreCheckedAndNeverTrusted) {
  const std::string wav = Bytes("score.wav"), aiff = Bytes("score.aiff"), flac = Bytes("score.flac");
  const std::string ogg = Bytes("score.ogg");
  const platform::DecodedAudio reference = Decode(wav);
  auto patched = [](std::string bytes, std::size_t at, std::uint32_t value, bool littleEndian) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (littleEndian ? 8 * i : 24 - 8 * i));
    return bytes;
  };
  const std::size_t ssnd = aiff.find("SSND") + 4;
  // Bytes 22 to 25 of a FLAC file hold the low 32 bits of its stream's sample count.
  const std::string cuts[] = {
      wav.substr(0, wav.size() / 2),
      aiff.substr(0, aiff.size() / 2),
      flac.substr(0, flac.size() / 2),
      ogg.substr(0, ogg.size() / 2),          // within a page
      ogg.substr(0, ogg.rfind("OggS")),       // between pages, before the last
      patched(wav, 40, 0xFFFFFFF0u, true),    // a data chunk of 4 GB
      patched(flac, 22, 0xFFFFFFFFu, false),  // four billion samples
  };
  for (const std::string& cut : cuts) {
    std::string error;
    Decode(cut, &error);
    EXPECT_EQ(error.rfind("cut short: ", 0), 0u) << error;
  }
  for (const std::string& streamed :
       {patched(patched(wav, 4, 0xFFFFFFFFu, true), 40, 0xFFFFFFFFu, true), patched(aiff, ssnd, 0, false)}) {
    EXPECT_EQ(Decode(streamed).samples, reference.samples);
  }
  // The library follows this LIST chunk's damaged length for minutes.
  std::string error;
  Decode(wav.substr(0, 36) + std::string("LIST\0\0\x1a\x1a\x1a", 9) + std::string(75, '\xff') + "\xf7\xff\xff\xff",
         &error);
  EXPECT_EQ(error, "cut short or damaged: its \"LIST\" chunk runs past the end of the file");
  // Some taggers put an ID3 tag in front of a FLAC stream.
  const std::string tag = std::string("ID3\x03\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0');
  EXPECT_EQ(Decode(tag + flac).samples, reference.samples);
}

TEST_F(MusicFormatsTest, RefusesWhatTheDeviceCannotPlay) {
  std::string error;
  Decode(SilentWav(6, 44100), &error);
  EXPECT_EQ(error, "6 channels: only mono and stereo music is read");
  Decode(SilentWav(1, 4000), &error);
  EXPECT_EQ(error, "a sample rate of 4000 Hz: rates from 8000 to 192000 Hz are read");
}

struct OtherFile {
  const char* name;
  std::string (*make)();
  std::string message;  // after "platform: audio: data/soundtrack.mp3: "
};
void PrintTo(const OtherFile& file, std::ostream* out) { *out << file.name; }

class RefusesOtherFiles : public MusicFormatsTest, public ::testing::WithParamInterface<OtherFile> {};

// Refused as a missing file is, so the engine shows its own message; the layer's line
// says why.
TEST_P(RefusesOtherFiles, WithALineNamingTheFile) {
  const std::string bytes = GetParam().make();
  testing::internal::CaptureStderr();
  EXPECT_EQ(OpenAsSoundtrack(bytes), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  const std::string line = testing::internal::GetCapturedStderr();
  EXPECT_EQ(line.rfind("platform: audio: data/soundtrack.mp3: " + GetParam().message, 0), 0u) << line;
}

std::string Png() {
  return std::string(
      "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89\0\0\0\x0dIDAT"
      "\x78\xda\x63\x64\x60\xf8\x5f\x0f\0\x02\x87\x01\x80\xeb\x47\xba\x92\0\0\0\0IEND\xae\x42\x60\x82",
      70);
}
std::string Opus() { return MusicFormatsTest::Bytes("score.opus"); }
std::string Random() {
  std::mt19937 random(99);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusesOtherFiles,
    ::testing::Values(OtherFile{"png", Png, kNotMusic}, OtherFile{"ogg_opus", Opus, kNotMusic},
                      OtherFile{"random", Random, kNotMusic},
                      OtherFile{"empty", [] { return std::string(); }, kNotMusic},
                      OtherFile{"mp3_header", [] { return MusicFormatsTest::Bytes("score.mp3").substr(0, 100); },
                                kNotMusic},
                      OtherFile{"wav_header", [] { return MusicFormatsTest::Bytes("score.wav").substr(0, 30); },
                                "cut short or damaged: its \"fmt \" chunk runs past the end of the file"},
                      OtherFile{"aiff_header", [] { return MusicFormatsTest::Bytes("score.aiff").substr(0, 30); },
                                "cut short or damaged: its \"COMM\" chunk runs past the end of the file"},
                      OtherFile{"flac_header", [] { return MusicFormatsTest::Bytes("score.flac").substr(0, 20); },
                                "cannot read this FLAC file: "},
                      OtherFile{"ogg_header", [] { return MusicFormatsTest::Bytes("score.ogg").substr(0, 40); },
                                "cannot read this Ogg Vorbis file: "}),
    [](const ::testing::TestParamInfo<OtherFile>& param) { return std::string(param.param.name); });

}  // namespace
