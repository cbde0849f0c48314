#include "platform/capture/frame_writer.h"

#include "platform/capture/png_encoder.h"

#include <cstdio>
#include <fstream>
#include <utility>

namespace platform {

namespace {
std::vector<std::unique_ptr<FrameSink>> PngOnly(std::string folder) {
  std::vector<std::unique_ptr<FrameSink>> sinks;
  sinks.push_back(std::make_unique<PngSink>(std::move(folder)));
  return sinks;
}
}  // namespace

bool PngSink::Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) {
  const std::string path = folder_ + "/" + FrameWriter::FileName(index);
  const std::string png = EncodePng(width, height, rgba, 4);
  if (!png.empty()) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    out.close();
    if (out) return true;
  }
  std::fprintf(stderr, "\nplatform: capture: %s could not be written\n", path.c_str());
  return false;
}

FrameWriter::FrameWriter(std::string folder, std::size_t capacity, std::int64_t firstIndex)
    : FrameWriter(PngOnly(std::move(folder)), capacity, firstIndex) {}

FrameWriter::FrameWriter(std::vector<std::unique_ptr<FrameSink>> sinks, std::size_t capacity, std::int64_t firstIndex)
    : sinks_(std::move(sinks)), capacity_(capacity ? capacity : 1), firstIndex_(firstIndex) {
  worker_ = std::thread(&FrameWriter::Run, this);
}

FrameWriter::~FrameWriter() { Finish(); }

std::string FrameWriter::FileName(std::int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%06lld.png", static_cast<long long>(index));
  return name;
}

void FrameWriter::Push(int width, int height, std::vector<std::uint8_t> rgba) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.size() < capacity_ || stopping_; });
  if (stopping_) return;
  waiting_.push_back(Frame{firstIndex_ + pushed_++, width, height, std::move(rgba)});
  if (waiting_.size() > mostWaiting_) mostWaiting_ = waiting_.size();
  lock.unlock();
  changed_.notify_all();
}

std::vector<std::uint8_t> FrameWriter::TakeBuffer(std::size_t bytes) {
  std::vector<std::uint8_t> buffer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      buffer = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  buffer.resize(bytes);
  return buffer;
}

bool FrameWriter::Finish() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) return finishedWell_;
    finished_ = true;
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
  // Only now: an encoder closes its file after its last frame, never before.
  bool well = true;
  for (auto& sink : sinks_) well = sink->Finish() && well;
  std::lock_guard<std::mutex> lock(mutex_);
  finishedWell_ = well;
  return well;
}

void FrameWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
    // Stopping still drains the queue: every frame pushed is a frame the user expects.
    if (waiting_.empty()) return;
    Frame frame = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    changed_.notify_all();  // room for the render thread before the slow part
    Write(frame);
    lock.lock();
  }
}

void FrameWriter::Write(Frame& frame) {
  const std::size_t pixels = static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
  bool ok = frame.width > 0 && frame.height > 0 && frame.rgba.size() == pixels * 4;
  if (ok) {
    for (auto& sink : sinks_) ok = sink->Write(frame.index, frame.width, frame.height, frame.rgba.data()) && ok;
  } else {
    std::fprintf(stderr, "\nplatform: capture: frame %lld is %dx%d with %zu bytes, not RGBA\n",
                 static_cast<long long>(frame.index), frame.width, frame.height, frame.rgba.size());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (ok) {
    ++written_;
  } else {
    ++failed_;
  }
  // The frames waiting and the one being filled are all a capture ever holds.
  if (spare_.size() < 2) spare_.push_back(std::move(frame.rgba));
}

std::int64_t FrameWriter::Pushed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pushed_;
}
std::int64_t FrameWriter::Written() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}
std::int64_t FrameWriter::Failed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failed_;
}
std::size_t FrameWriter::MostWaiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mostWaiting_;
}

}  // namespace platform
