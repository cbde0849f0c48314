#pragma once

// -video FILE.mp4: frames piped to the ffmpeg program as raw RGB and encoded to H.264
// while rendering goes on, with the soundtrack (when there is one) muxed in as AAC.
// ffmpeg's own output goes to FILE.mp4.log; when it fails, its last lines are shown.

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/capture/frame_writer.h"

namespace platform {

// The ffmpeg executable found on PATH, or "" when there is none.
PLATFORM_API std::string FindFfmpeg();

class PLATFORM_API VideoSink final : public FrameSink {
 public:
  // audio: a sound file to mux in from `audioStart` seconds on, or "" for a silent video.
  VideoSink(std::string ffmpeg, std::string path, std::string audio, double audioStart, int fpsNumerator,
            int fpsDenominator);
  ~VideoSink() override;  // Finish()

  // The encoder starts at the first frame, whose size the whole video keeps; a frame of
  // another size is refused.
  bool Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) override;
  // Closes the pipe and waits for the encoder. Safe to call twice.
  bool Finish() override;

  std::string LogPath() const { return path_ + ".log"; }

 private:
  bool Start(int width, int height);
  void ShowLog() const;

  const std::string ffmpeg_, path_, audio_;
  const double audioStart_;
  const int fpsNumerator_, fpsDenominator_;
  int width_ = 0, height_ = 0;
  int pipe_ = -1;
  pid_t child_ = -1;
  bool broken_ = false;  // the pipe failed once: later frames are lost without a line each
  bool finished_ = false;
  bool finishedWell_ = true;
};

}  // namespace platform
