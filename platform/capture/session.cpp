#include "platform/capture/session.h"

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <memory>
#include <mutex>

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
      std::fprintf(stderr, "\rplatform: capture: frame %lld, %.1f fps   ", static_cast<long long>(frames_ - 1), fps);
      std::fflush(stderr);
      shownAt_ = now;
      shownFrames_ = frames_;
      lineOpen_ = true;
    }
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
                                                  switches.fpsNumerator, switches.fpsDenominator));
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

}  // namespace

bool CaptureRequested() { return ProcessCaptureSwitches().Capturing(); }

void CapturePresentedFrame(int width, int height, std::vector<std::uint8_t> rgba) {
  if (!CaptureRequested()) return;
  TheSession().Frame(width, height, std::move(rgba));
}

void EndCapture() {
  if (CaptureRequested()) TheSession().End();
}

}  // namespace platform
