#pragma once

// -dev's overlay over the window, shown and hidden with F1: the timeline to seek and
// loop on, the frame times, the materials of the part on screen with their parameters
// to edit and save, its objects' curves to edit and save, and the last reload errors.
// It is drawn in the window only, never in captures or screenshots, and made only with
// -dev and a display: without them nothing of it exists.

#include <chrono>
#include <ctime>
#include <memory>

#include "engine/core/module.h"
#include "authoring/curvesPanel.h"
#include "authoring/framePanel.h"
#include "authoring/materialsPanel.h"
#include "authoring/timelinePanel.h"

namespace platform {
class Overlay;
}
class DevPlayer;
class AuthoredDemo;

class DevOverlay : public engine::core::Module {
 public:
  DevOverlay(AuthoredDemo* scene, DevPlayer* player);
  ~DevOverlay() override;

  bool Start() override;
  // Builds the overlay's frame; the window's present draws it.
  void Update() override;
  void Stop() override;

 private:
  using Clock = std::chrono::steady_clock;

  AuthoredDemo* scene;
  DevPlayer* player;
  std::unique_ptr<platform::Overlay> overlay;
  TimelinePanel timeline;
  MaterialsPanel materials;
  CurvesPanel curves;
  FrameTimes times;
  Clock::time_point lastPass;
  double lastCpu = -1.0;
  float lastOverlayMs = 0.0f;
  int frames = 0;  // overlay frames built
};
