#pragma once

// Numbered PNG files written beside rendering: the render thread hands over a frame's
// pixels and goes on; one worker encodes and writes them in order. At most `capacity`
// frames wait, so memory stays bounded and the render thread blocks only while the
// writer is behind.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/api.h"

namespace platform {

class PLATFORM_API FrameWriter {
 public:
  // Files are numbered from firstIndex on.
  explicit FrameWriter(std::string folder, std::size_t capacity = 4, std::int64_t firstIndex = 0);
  ~FrameWriter();  // Finish()
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // rgba: width * height * 4 bytes, row 0 at the top; written as frameNNNNNN.png with
  // the next number, alpha dropped (a back buffer's alpha is not meant to be seen).
  // Blocks while `capacity` frames wait. Ignored after Finish.
  void Push(int width, int height, std::vector<std::uint8_t> rgba);
  // Writes every frame pushed so far, then stops the worker. Safe to call twice.
  void Finish();

  std::int64_t Pushed() const;  // frames accepted by Push
  std::int64_t Written() const;  // files written without an error
  std::int64_t Failed() const;   // files that could not be written (each reported once)
  std::size_t MostWaiting() const;  // the longest the queue ever got

  // "frame000042.png"
  static std::string FileName(std::int64_t index);

 private:
  struct Frame {
    std::int64_t index;
    int width;
    int height;
    std::vector<std::uint8_t> rgba;
  };
  void Run();
  void Write(Frame& frame);

  const std::string folder_;
  const std::size_t capacity_;
  const std::int64_t firstIndex_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Frame> waiting_;
  bool stopping_ = false;
  bool finished_ = false;
  std::int64_t pushed_ = 0;
  std::int64_t written_ = 0;
  std::int64_t failed_ = 0;
  std::size_t mostWaiting_ = 0;
  std::thread worker_;
};

}  // namespace platform
