// The engine's own CPU time for a frame of the demo at one music time: the whole main
// loop pass (timeline, scene walk, animation, slots and batching, semantics, parameter
// writes, present) with the device calls going to a recording device that only counts
// them, so no GPU work is done or waited for. Run it as the demo program is run, with
// a frame clock that does not write frames:
//
//   NEBLU_CAPTURE_SINK=null build/bench/bench_parts_cpu -nodialog -headless
//       -size 1280x720 -capture /tmp/x -fps 10000 -start 40 -end 41
//
// It draws a few real frames first (so every program, buffer and state exists), then
// times passes with the recording device and prints
//   engine cpu 41.2 us a frame (median of 200 passes; 180 device calls a pass; wall 44.0 us)
// and quits. bench/bench_parts.sh runs it for each part.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/module.h"
#include "engine/wrapper.h"
#include "game/TestScene1.h"
#include "platform/d3d10/recording.h"
#include "platform/win32.h"
#include "platform/win32/display.h"

namespace {

constexpr int kWarmFrames = 12;
constexpr int kTimedPasses = 200;

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs last in every pass, so the time between two of its updates is one whole pass.
class Probe final : public engine::core::Module {
 public:
  Probe() {
    Name(L"FrameCpuProbe");
    Priority(1 << 30);
  }
  ~Probe() override { Restore(); }

  bool Start() override { return true; }
  void Stop() override { Restore(); }

  void Update() override {
    const double cpu = ThreadCpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    ++passes_;
    if (passes_ == kWarmFrames) {
      Record();
    } else if (passes_ > kWarmFrames) {
      cpu_.push_back(cpu - lastCpu_);
      wall_.push_back(std::chrono::duration<double>(wall - lastWall_).count());
      if (static_cast<int>(cpu_.size()) == kTimedPasses) Finish();
    }
    lastCpu_ = ThreadCpuSeconds();
    lastWall_ = std::chrono::steady_clock::now();
  }

  bool Measured() const { return measured_; }

 private:
  void Record() {
    engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
    real_ = window->device;
    platform::CreateRecordingDevice(nullptr, &recording_);
    ID3D10DeviceRecording* log = nullptr;
    recording_->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(&log));
    log->KeepText(false);
    log_ = log;
    window->device = recording_;
  }

  void Finish() {
    const std::size_t calls = log_ ? log_->CallCount() : 0;
    Restore();
    measured_ = true;
    std::printf("engine cpu %.1f us a frame (median of %d passes; %.0f device calls a pass; wall %.1f us)\n",
                Median(cpu_) * 1e6, kTimedPasses, static_cast<double>(calls) / kTimedPasses, Median(wall_) * 1e6);
    std::fflush(stdout);
    engine::QuitApplication();
  }

  void Restore() {
    if (!recording_) return;
    engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
    if (window && window->device == recording_) window->device = real_;
    if (log_) log_->Release();
    recording_->Release();
    log_ = nullptr;
    recording_ = nullptr;
  }

  int passes_ = 0;
  double lastCpu_ = 0.0;
  std::chrono::steady_clock::time_point lastWall_;
  std::vector<double> cpu_, wall_;
  ID3D10Device* real_ = nullptr;
  ID3D10Device* recording_ = nullptr;
  ID3D10DeviceRecording* log_ = nullptr;
  bool measured_ = false;
};

engine::WindowSettings DesktopSettings() {
  engine::WindowSettings settings;
  DEVMODEW mode = {};
  mode.dmSize = sizeof(mode);
  EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  settings.width = static_cast<int>(mode.dmPelsWidth);
  settings.height = static_cast<int>(mode.dmPelsHeight);
  settings.fullscreen = false;
  settings.refreshNumerator = static_cast<int>(mode.dmDisplayFrequency);
  settings.refreshDenominator = 1;
  settings.sampleCount = 1;
  settings.sampleQuality = 0;
  settings.aspect = static_cast<float>(static_cast<double>(settings.width) / settings.height);
  settings.title = L"Orv";
  return settings;
}

}  // namespace

int main() {
  engine::Logging(false);
  std::unique_ptr<TestScene1> scene(new TestScene1());
  std::unique_ptr<Probe> probe(new Probe());
  try {
    engine::CreateNEBLUWindow(DesktopSettings());
    engine::AddModule(scene.get(), 10100);
    engine::AddModule(probe.get(), 10200);
    engine::StartApplication();
  } catch (const engine::core::Exception& e) {
    std::fprintf(stderr, "bench_parts_cpu: the demo stopped: %ls\n", e.GetText().c_str());
    return 1;
  }
  if (!probe->Measured()) {
    std::fprintf(stderr, "bench_parts_cpu: the demo ended before %d passes were timed (give -end later)\n",
                 kWarmFrames + kTimedPasses);
    return 1;
  }
  return 0;
}
