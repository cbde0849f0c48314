#pragma once

// Frames written beside rendering: the render thread hands over a frame's pixels and goes
// on; one worker hands them, in order, to each sink (numbered PNG files, a video encoder's
// pipe). At most `capacity` frames wait, so memory stays bounded and the render thread
// blocks only while the writer is behind.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/api.h"

namespace platform {

// Where the worker puts frames. Called on the worker thread only, one frame at a time.
class PLATFORM_API FrameSink {
 public:
  virtual ~FrameSink() = default;
  // rgba: width * height * 4 bytes, row 0 at the top; the alpha is not meant to be seen
  // (a back buffer's). Each sink drops it where its own encoder works anyway, rather than
  // the writer making a packed copy first. False when the frame was lost; the sink has
  // said why on standard error.
  virtual bool Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) = 0;
  // After the last frame: flush and close. False when what was written is not usable.
  virtual bool Finish() { return true; }
};

// folder/frameNNNNNN.png, one file a frame.
class PLATFORM_API PngSink final : public FrameSink {
 public:
  explicit PngSink(std::string folder) : folder_(std::move(folder)) {}
  bool Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) override;

 private:
  const std::string folder_;
};

class PLATFORM_API FrameWriter {
 public:
  // PNG files in folder, numbered from firstIndex on.
  explicit FrameWriter(std::string folder, std::size_t capacity = 4, std::int64_t firstIndex = 0);
  // Every frame goes to each sink in turn.
  FrameWriter(std::vector<std::unique_ptr<FrameSink>> sinks, std::size_t capacity, std::int64_t firstIndex);
  ~FrameWriter();  // Finish()
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // rgba: width * height * 4 bytes, row 0 at the top; handed on with the next number.
  // Blocks while `capacity` frames wait. Ignored after Finish.
  void Push(int width, int height, std::vector<std::uint8_t> rgba);
  // A buffer of `bytes` for the next frame: one of a written frame's when there is one,
  // so that a capture does not allocate and clear megabytes a frame. Its contents are
  // whatever the last frame left.
  std::vector<std::uint8_t> TakeBuffer(std::size_t bytes);
  // Writes every frame pushed so far, stops the worker, then finishes each sink. Safe to
  // call twice; false when a sink could not finish.
  bool Finish();

  std::int64_t Pushed() const;  // frames accepted by Push
  std::int64_t Written() const;  // frames every sink took without an error
  std::int64_t Failed() const;   // frames some sink lost (each reported once)
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

  std::vector<std::unique_ptr<FrameSink>> sinks_;
  const std::size_t capacity_;
  const std::int64_t firstIndex_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Frame> waiting_;
  std::vector<std::vector<std::uint8_t>> spare_;
  bool stopping_ = false;
  bool finished_ = false;
  bool finishedWell_ = true;
  std::int64_t pushed_ = 0;
  std::int64_t written_ = 0;
  std::int64_t failed_ = 0;
  std::size_t mostWaiting_ = 0;
  std::thread worker_;
};

}  // namespace platform
