#include "platform/capture/video_sink.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <utility>
#include <vector>

extern char** environ;

namespace platform {

std::string FindFfmpeg() {
  const char* path = std::getenv("PATH");
  if (!path) return "";
  std::string folders = path;
  std::string::size_type start = 0;
  for (;;) {
    const std::string::size_type colon = folders.find(':', start);
    std::string folder = folders.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/ffmpeg";
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string::npos) return "";
    start = colon + 1;
  }
}

VideoSink::VideoSink(std::string ffmpeg, std::string path, std::string audio, double audioStart, int fpsNumerator,
                     int fpsDenominator)
    : ffmpeg_(std::move(ffmpeg)),
      path_(std::move(path)),
      audio_(std::move(audio)),
      audioStart_(audioStart),
      fpsNumerator_(fpsNumerator),
      fpsDenominator_(fpsDenominator) {
  // A dead encoder must show up as a failed write, not end the program with the signal.
  std::signal(SIGPIPE, SIG_IGN);
}

VideoSink::~VideoSink() { Finish(); }

namespace {

long PipeMaxSize() {
  std::FILE* file = std::fopen("/proc/sys/fs/pipe-max-size", "r");
  if (!file) return 0;
  long size = 0;
  if (std::fscanf(file, "%ld", &size) != 1) size = 0;
  std::fclose(file);
  return std::min(size, 16L << 20);
}

}  // namespace

bool VideoSink::Start(int width, int height) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const std::string rate = std::to_string(fpsNumerator_) + "/" + std::to_string(fpsDenominator_);
  std::vector<std::string> args = {ffmpeg_, "-hide_banner", "-nostats", "-y", "-f", "rawvideo", "-pix_fmt", "rgba",
                                   "-s", size, "-r", rate, "-i", "-"};
  if (!audio_.empty()) {
    // -start seeks the music, so the sound is cut to the same range as the frames.
    if (audioStart_ > 0.0) args.insert(args.end(), {"-ss", std::to_string(audioStart_)});
    args.insert(args.end(), {"-i", audio_});
  }
  args.insert(args.end(), {"-map", "0:v:0"});
  if (!audio_.empty()) args.insert(args.end(), {"-map", "1:a:0"});
  // 4:2:0 halves both sizes: an odd one gets a repeated last row or column.
  if (width % 2 || height % 2) args.insert(args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"});
  // The encoder shares the machine with a software rasteriser: its fastest preset costs
  // a third of the CPU of "veryfast", and a crf of 24 keeps the same picture quality
  // (about 40.8 dB against the frames) in a file some 1.7 times the size.
  args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "24", "-pix_fmt", "yuv420p"});
  // The music is longer than most runs; the video's end is the file's end.
  if (!audio_.empty()) args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-shortest"});
  args.insert(args.end(), {"-movflags", "+faststart", path_});

  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    std::fprintf(stderr, "\nplatform: -video %s: no pipe for ffmpeg: %s\n", path_.c_str(), std::strerror(errno));
    return false;
  }
  // A frame is megabytes: in the pipe's default 64 KiB the writer and ffmpeg would take
  // turns dozens of times a frame. Room for one frame, as far as the system allows an
  // unprivileged pipe (a refusal leaves the default, slower but correct); no more, so an
  // encoder that stops is still noticed at the next frame.
  const long frameBytes = static_cast<long>(width) * height * 4;
  if (const long most = std::min(PipeMaxSize(), frameBytes); most > 65536) {
    fcntl(ends[1], F_SETPIPE_SZ, static_cast<int>(most));
  }
  const std::string log = LogPath();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // The child must not inherit the ignored SIGPIPE: ffmpeg relies on the default.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int error = posix_spawn(&child_, ffmpeg_.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(ends[0]);
  if (error != 0) {
    close(ends[1]);
    child_ = -1;
    std::fprintf(stderr, "\nplatform: -video %s: cannot start %s: %s\n", path_.c_str(), ffmpeg_.c_str(),
                 std::strerror(error));
    return false;
  }
  pipe_ = ends[1];
  width_ = width;
  height_ = height;
  return true;
}

bool VideoSink::Write(std::int64_t index, int width, int height, const std::uint8_t* rgba) {
  if (finished_ || broken_) return false;
  if (pipe_ < 0 && child_ < 0 && !Start(width, height)) {
    broken_ = true;
    return false;
  }
  if (width != width_ || height != height_) {
    std::fprintf(stderr, "\nplatform: -video %s: frame %lld is %dx%d, the video is %dx%d\n", path_.c_str(),
                 static_cast<long long>(index), width, height, width_, height_);
    return false;
  }
  // RGBA as it was read back: ffmpeg's own conversion to 4:2:0 drops the alpha, on its
  // threads rather than the writer's.
  std::size_t left = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  while (left > 0) {
    const ssize_t done = ::write(pipe_, rgba, left);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      std::fprintf(stderr, "\nplatform: -video %s: ffmpeg stopped taking frames at frame %lld: %s\n", path_.c_str(),
                   static_cast<long long>(index), std::strerror(errno));
      broken_ = true;
      return false;
    }
    rgba += done;
    left -= static_cast<std::size_t>(done);
  }
  return true;
}

bool VideoSink::Finish() {
  if (finished_) return finishedWell_;
  finished_ = true;
  if (pipe_ >= 0) close(pipe_);  // end of input: ffmpeg writes the file's index and exits
  pipe_ = -1;
  if (child_ < 0) return finishedWell_ = !broken_;
  int status = 0;
  while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  child_ = -1;
  const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!exited) {
    if (WIFEXITED(status)) {
      std::fprintf(stderr, "\nplatform: -video %s: ffmpeg failed with status %d\n", path_.c_str(), WEXITSTATUS(status));
    } else {
      std::fprintf(stderr, "\nplatform: -video %s: ffmpeg ended by signal %d\n", path_.c_str(), WTERMSIG(status));
    }
    ShowLog();
  }
  finishedWell_ = exited && !broken_;
  return finishedWell_;
}

void VideoSink::ShowLog() const {
  std::ifstream in(LogPath());
  std::deque<std::string> last;
  for (std::string line; std::getline(in, line);) {
    last.push_back(line);
    if (last.size() > 12) last.pop_front();
  }
  std::fprintf(stderr, "platform: -video: the end of %s:\n", LogPath().c_str());
  for (const std::string& line : last) std::fprintf(stderr, "  %s\n", line.c_str());
  std::fflush(stderr);
}

}  // namespace platform
