#pragma once

// The process's capture (-capture DIR, -video FILE.mp4): frames from every swap chain,
// numbered on from one chain to the next, with the progress line on standard error.

#include <cstdint>
#include <vector>

#include "platform/api.h"

namespace platform {

// True when the process was started with -capture.
PLATFORM_API bool CaptureRequested();
// True when NEBLU_CAPTURE_SINK=null is set: a capture keeps its frame clock but reads
// no frame back and writes nothing, so benchmarks can time the frames a capture draws
// without its output.
PLATFORM_API bool CaptureDiscardsFrames();
// A buffer of `bytes` to read the next presented frame into: a written frame's when the
// capture has one to spare (its contents are stale), else a new one.
PLATFORM_API std::vector<std::uint8_t> CaptureBuffer(std::size_t bytes);
// Queues one presented frame (rgba, row 0 at the top) and updates the progress line.
PLATFORM_API void CapturePresentedFrame(int width, int height, std::vector<std::uint8_t> rgba);
// Writes every queued frame, stops the writer and says where the frames are. Called when
// a swap chain goes away and once more at exit; a later frame starts the writer again.
PLATFORM_API void EndCapture();

// Counts a presented frame, captured or not. With NEBLU_PRESENT_STATS set in the
// environment the process says at exit how many frames it presented in how long, from
// the first, and when the first came after the process started: what the benchmarks
// measure start-up and captures with.
PLATFORM_API void NotePresent();

}  // namespace platform
