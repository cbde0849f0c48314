#pragma once

#include <string>

#include "engine/api.h"

namespace engine {

// The display settings of a run, chosen in the settings dialog or taken from the
// desktop, copied by value everywhere.
struct ENGINE_API WindowSettings {
  std::wstring title = L"Empty";   // window caption
  int width = 1024;                // back-buffer and client width in pixels
  int height = 768;                // back-buffer and client height in pixels
  int backBufferFormat = 28;       // swap-chain format (R8G8B8A8_UNORM)
  int reservedFormat = 46;         // never read
  int sampleCount = 1;             // swap-chain multisample count
  int sampleQuality = 0;           // swap-chain multisample quality
  bool fullscreen = false;         // also hides the cursor and puts the mouse in screen coordinates
  bool alwaysOnTop = false;        // topmost window
  int refreshNumerator = 60;       // refresh rate numerator
  int refreshDenominator = 1;      // refresh rate denominator
  int vsync = 0;                   // sync interval of each present: 0 or 1
  float aspect = 4.0f / 3.0f;      // aspect ratio of the projection
};

}  // namespace engine
