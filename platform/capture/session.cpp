#include "platform/capture/session.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/capture/frame_writer.h"
#include "platform/capture/settings.h"

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
      writer_ = std::make_unique<FrameWriter>(ProcessCaptureSwitches().folder, 4, frames_);
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
    writer_->Finish();
    failed_ += writer_->Failed();
    writer_.reset();
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const std::string& folder = ProcessCaptureSwitches().folder;
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
    std::fprintf(stderr, "platform: capture: %lld frames (frame000000.png to %s) in %s, %.2f s (%.1f fps)",
                 static_cast<long long>(frames_), FrameWriter::FileName(frames_ - 1).c_str(), folder.c_str(), seconds,
                 seconds > 0.0 ? static_cast<double>(frames_) / seconds : 0.0);
    if (failed_) std::fprintf(stderr, "; %lld could not be written", static_cast<long long>(failed_));
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
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
