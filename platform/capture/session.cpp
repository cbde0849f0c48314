#include "platform/capture/session.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/audio/music_lag.h"
#include "platform/capture/frame_writer.h"
#include "platform/capture/settings.h"
#include "platform/capture/video_sink.h"
#include "platform/paths.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

class Session {
 public:
  ~Session() { End(); }  // a program that never releases its swap chain loses no frame

  void Frame(int width, int height, std::vector<std::uint8_t> rgba) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point now = Clock::now();
    if (!writer_) {
      writer_ = std::make_unique<FrameWriter>(Sinks(), 4, frames_);
      if (frames_ == 0) start_ = now;
      shownAt_ = now;
      shownFrames_ = frames_;
    }
    writer_->Push(width, height, std::move(rgba));
    ++frames_;
    // A few updates a second: a line per frame would cost more than the frame at 320x240.
    const double sinceShown = std::chrono::duration<double>(now - shownAt_).count();
    if (frames_ == 1 || sinceShown >= 0.25) {
      const double fps = sinceShown > 0.0 ? static_cast<double>(frames_ - shownFrames_) / sinceShown : 0.0;
      ShowProgress(fps);
      shownAt_ = now;
      shownFrames_ = frames_;
      lineOpen_ = true;
    }
  }

  std::vector<std::uint8_t> Buffer(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    return writer_ ? writer_->TakeBuffer(bytes) : std::vector<std::uint8_t>(bytes);
  }

  void End() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!writer_) return;
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
    const bool finished = writer_->Finish();
    failed_ += writer_->Failed();
    writer_.reset();
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const CaptureSwitches& switches = ProcessCaptureSwitches();
    std::fprintf(stderr, "platform: capture: %lld frames", static_cast<long long>(frames_));
    if (!switches.folder.empty()) {
      std::fprintf(stderr, " (frame000000.png to %s) in %s", FrameWriter::FileName(frames_ - 1).c_str(),
                   switches.folder.c_str());
    }
    if (!switches.video.empty()) {
      std::fprintf(stderr, "%s to %s%s", switches.folder.empty() ? "" : " and", switches.video.c_str(),
                   finished ? "" : " (ffmpeg failed: the video is not usable)");
    }
    std::fprintf(stderr, ", %.2f s (%.1f fps)", seconds, seconds > 0.0 ? static_cast<double>(frames_) / seconds : 0.0);
    if (failed_) std::fprintf(stderr, "; %lld could not be written", static_cast<long long>(failed_));
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  // "frame 120 of 4500 (2.7%), 31.2 fps, 2:20 left": the frames captured so far, the one
  // just presented included, so the count and the share agree ("frame 1 of 4 (25.0%)"
  // after the first of four, "frame 4 of 4 (100.0%)" after the last). The total is the
  // music still to play (the demo may end sooner), so without music there is only the
  // count and the rate.
  void ShowProgress(double fps) {
    const double left = CaptureMusicSecondsLeft();
    std::fprintf(stderr, "\rplatform: capture: frame %lld", static_cast<long long>(frames_));
    if (left >= 0.0) {
      const CaptureSwitches& switches = ProcessCaptureSwitches();
      // The frame just presented shows the position `left` is measured from, so it is one
      // of the frames still to play.
      const auto remaining = static_cast<std::int64_t>(
          std::ceil(left * switches.fpsNumerator / switches.fpsDenominator - 1e-9));
      const std::int64_t total = frames_ - 1 + std::max<std::int64_t>(remaining, 1);
      std::fprintf(stderr, " of %lld (%.1f%%)", static_cast<long long>(total), 100.0 * static_cast<double>(frames_) / total);
      std::fprintf(stderr, ", %.1f fps", fps);
      if (fps > 0.0) {
        const auto seconds = static_cast<long long>(static_cast<double>(total - frames_) / fps + 0.5);
        std::fprintf(stderr, ", %lld:%02lld left", seconds / 60, seconds % 60);
      }
    } else {
      std::fprintf(stderr, ", %.1f fps", fps);
    }
    std::fputs("   ", stderr);
    std::fflush(stderr);
  }

  static std::vector<std::unique_ptr<FrameSink>> Sinks() {
    const CaptureSwitches& switches = ProcessCaptureSwitches();
    std::vector<std::unique_ptr<FrameSink>> sinks;
    if (!switches.folder.empty()) sinks.push_back(std::make_unique<PngSink>(switches.folder));
    if (!switches.video.empty()) {
      // The music the demo plays, so the video sounds as the run did; silent without it.
      const std::string music = NativePath("data\\soundtrack.mp3");
      std::error_code code;
      sinks.push_back(std::make_unique<VideoSink>(FindFfmpeg(), switches.video,
                                                  std::filesystem::is_regular_file(music, code) ? music : std::string(),
                                                  switches.start, switches.fpsNumerator, switches.fpsDenominator));
    }
    return sinks;
  }

  std::mutex mutex_;
  std::unique_ptr<FrameWriter> writer_;
  std::int64_t frames_ = 0;
  std::int64_t failed_ = 0;
  Clock::time_point start_;
  Clock::time_point shownAt_;
  std::int64_t shownFrames_ = 0;
  bool lineOpen_ = false;
};

Session& TheSession() {
  static Session session;
  return session;
}

// When the layer was loaded: as near to the process's start as the layer can see.
const Clock::time_point loadedAt = Clock::now();

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

class PresentStats {
 public:
  ~PresentStats() {
    if (frames_ == 0) return;
    const double seconds = std::chrono::duration<double>(last_ - first_).count();
    std::fprintf(stderr, "platform: presented %lld frames in %.3f s (%.2f fps), the first %.3f s after start\n",
                 static_cast<long long>(frames_), seconds,
                 seconds > 0.0 ? static_cast<double>(frames_ - 1) / seconds : 0.0,
                 std::chrono::duration<double>(first_ - loadedAt).count());
    // The first frames pay for the driver compiling its shader variants; a benchmark
    // holding one scene wants the frames after them, and the median, which a burst of
    // other work on the machine moves less than the mean.
    if (intervals_.size() > kWarmUp) {
      std::vector<double> steady(intervals_.begin() + kWarmUp, intervals_.end());
      double sum = 0.0;
      for (double s : steady) sum += s;
      std::sort(steady.begin(), steady.end());
      // The process's CPU time counts the driver's rasterizer threads too: on a machine
      // others are loading, it moves far less than the wall clock does.
      const double cpu = (lastCpu_ - warmCpu_) / static_cast<double>(steady.size());
      std::fprintf(stderr,
                   "platform: frame times after the first %zu: median %.3f ms, mean %.3f ms, cpu %.3f ms (all threads), "
                   "over %zu\n",
                   kWarmUp + 1, steady[steady.size() / 2] * 1e3, sum / static_cast<double>(steady.size()) * 1e3,
                   cpu * 1e3, steady.size());
      // How evenly frames go out: with vsync they should sit on the refresh period.
      const double mean = sum / static_cast<double>(steady.size());
      double squares = 0.0;
      for (double s : steady) squares += (s - mean) * (s - mean);
      std::fprintf(stderr,
                   "platform: frame intervals: 5th percentile %.3f ms, 95th %.3f ms, standard deviation %.3f ms\n",
                   steady[steady.size() / 20] * 1e3, steady[steady.size() - 1 - steady.size() / 20] * 1e3,
                   std::sqrt(squares / static_cast<double>(steady.size())) * 1e3);
    }
    if (lagCount_ > 0) {
      std::fprintf(stderr,
                   "platform: picture behind the music at present: mean %.3f ms, least %.3f ms, most %.3f ms, over %lld "
                   "frames\n",
                   lagSum_ / static_cast<double>(lagCount_) * 1e3, lagLeast_ * 1e3, lagMost_ * 1e3,
                   static_cast<long long>(lagCount_));
    }
    if (lagCount_ > 1) {
      // How fast the music clock ran against this process's steady clock: the music
      // heard at the first and the last present, each read between two clock readings,
      // so the steady time between them is known to lie within these bounds.
      const double least = std::chrono::duration<double>(lastHeard_.before - firstHeard_.after).count();
      const double most = std::chrono::duration<double>(lastHeard_.after - firstHeard_.before).count();
      std::fprintf(stderr, "platform: music clock: %.4f s of music in %.4f to %.4f s of the steady clock\n",
                   lastHeard_.music - firstHeard_.music, least, most);
    }
  }
  void Note() {
    double shown = 0.0, heard = 0.0;
    const Clock::time_point before = Clock::now();
    if (MusicLagNow(&shown, &heard)) {
      lastHeard_ = Heard{before, Clock::now(), heard};
      if (lagCount_ == 0) firstHeard_ = lastHeard_;
      const double lag = heard - shown;
      lagLeast_ = lagCount_ ? std::min(lagLeast_, lag) : lag;
      lagMost_ = lagCount_ ? std::max(lagMost_, lag) : lag;
      lagSum_ += lag;
      ++lagCount_;
    }
    const Clock::time_point now = Clock::now();
    if (frames_++ == 0) {
      first_ = now;
    } else if (intervals_.size() < kKept) {
      lastCpu_ = ProcessCpuSeconds();
      intervals_.push_back(std::chrono::duration<double>(now - last_).count());
      if (intervals_.size() == kWarmUp) warmCpu_ = lastCpu_;  // the steady frames start here
    }
    last_ = now;
  }

 private:
  static constexpr std::size_t kWarmUp = 4;
  static constexpr std::size_t kKept = 1 << 16;  // a whole demo at 60 fps is a tenth of it
  std::int64_t frames_ = 0;
  Clock::time_point first_, last_;
  std::vector<double> intervals_;
  double warmCpu_ = 0.0, lastCpu_ = 0.0;
  // The music heard at each present minus the music time the frame shows.
  std::int64_t lagCount_ = 0;
  double lagSum_ = 0.0, lagLeast_ = 0.0, lagMost_ = 0.0;
  // The music heard at a present, read between two steady clock readings.
  struct Heard {
    Clock::time_point before, after;
    double music = 0.0;
  };
  Heard firstHeard_, lastHeard_;
};

}  // namespace

void NotePresent() {
  static const bool wanted = std::getenv("NEBLU_PRESENT_STATS") != nullptr;
  if (!wanted) return;
  static PresentStats stats;
  stats.Note();
}

bool CaptureRequested() { return ProcessCaptureSwitches().Capturing(); }

bool CaptureDiscardsFrames() {
  static const bool discards = [] {
    const char* sink = std::getenv("NEBLU_CAPTURE_SINK");
    return sink && std::string(sink) == "null";
  }();
  return discards;
}

std::vector<std::uint8_t> CaptureBuffer(std::size_t bytes) { return TheSession().Buffer(bytes); }

void CapturePresentedFrame(int width, int height, std::vector<std::uint8_t> rgba) {
  if (!CaptureRequested()) return;
  TheSession().Frame(width, height, std::move(rgba));
}

void EndCapture() {
  if (CaptureRequested()) TheSession().End();
}

}  // namespace platform
