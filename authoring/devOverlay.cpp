#include "authoring/devOverlay.h"

#include <imgui.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "platform/capture/png_encoder.h"
#include "platform/overlay/overlay.h"
#include "platform/overlay_hooks.h"

namespace {

constexpr int OverlayPriority = 206;  // after the scene, the player and the watcher
constexpr int F1Key = 0x70;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// NEBLU_OVERLAY_SHOT=FILE.png: the window as shown, the frame with the overlay over it,
// is written to FILE.png at the overlay's ShotFrame-th frame (tests, the README picture).
constexpr int ShotFrame = 20;

void WriteWindowShot(const std::string& path) {
  platform::RequestWindowReadback([path](std::vector<std::uint8_t> rgba, int width, int height) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t k = 0; k + 3 < rgba.size(); k += 4) rgb.insert(rgb.end(), rgba.begin() + k, rgba.begin() + k + 3);
    const std::string png = platform::EncodePng(width, height, rgb.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(png.data(), 1, png.size(), file) == png.size();
    if (file) std::fclose(file);
    std::fprintf(stderr, written ? "%s: overlay shot: %s\n" : "%s: overlay shot: cannot write %s\n",
                 program_invocation_short_name, path.c_str());
  });
}

}  // namespace

DevOverlay::DevOverlay(AuthoredDemo* playing, DevPlayer* keys) : scene(playing), player(keys) {
  name = L"DevOverlay";
  priority = OverlayPriority;
}

DevOverlay::~DevOverlay() { Stop(); }

bool DevOverlay::Start() {
  overlay.reset(new platform::Overlay(engine::core::CWin32Window::Get()->hWnd));
  overlay->SetVisible(true);
  lastPass = Clock::now();
  return true;
}

void DevOverlay::Update() {
  if (!overlay) return;
  const Clock::time_point now = Clock::now();
  const double cpu = ThreadCpuSeconds();
  const float frameMs = std::chrono::duration<float, std::milli>(now - lastPass).count();
  if (lastCpu >= 0.0) times.Add(frameMs, static_cast<float>((cpu - lastCpu) * 1000.0), lastOverlayMs);
  lastPass = now;
  lastCpu = cpu;

  if (engine::core::Input::Get()->Pressed(F1Key)) overlay->SetVisible(!overlay->Visible());
  if (!overlay->BeginFrame(frameMs / 1000.0)) {
    lastOverlayMs = 0.0f;
    return;
  }
  timeline.Draw(*scene, *player);
  times.Draw();
  materials.Draw(*scene);
  curves.Draw(*scene);
  DrawErrorsPanel();
  overlay->EndFrame();
  if (++frames == ShotFrame) {
    if (const char* shot = std::getenv("NEBLU_OVERLAY_SHOT")) WriteWindowShot(shot);
  }
  lastOverlayMs = std::chrono::duration<float, std::milli>(Clock::now() - now).count();
}

void DevOverlay::Stop() {
  // The run is ending: the window may have been closed before the modules stop.
  if (overlay) overlay->LeaveGlObjectsToTheContext();
  overlay.reset();
}
