#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/capture/settings.h"
#include "platform/command_line.h"
#include "platform/win32/window_internal.h"

namespace platform {
namespace {

// What a common monitor and driver report: each size at 59.94, 60 and 75 Hz.
std::vector<DisplayMode> HeadlessModes() {
  static const int sizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                 {1280, 800},  {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},
                                 {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200},
                                 {2560, 1440}, {2560, 1600}, {3840, 2160}};
  std::vector<DisplayMode> modes;
  for (const auto& size : sizes) {
    modes.push_back(DisplayMode{size[0], size[1], 60000, 1001});
    modes.push_back(DisplayMode{size[0], size[1], 60, 1});
    modes.push_back(DisplayMode{size[0], size[1], 75, 1});
  }
  return modes;
}

DisplayMode HeadlessDesktop() {
  DisplayMode mode{1280, 720, 60, 1};
  const std::string size = CommandLineValue("-size");
  int width = 0, height = 0;
  // A bad value has already ended the process when the layer was loaded.
  if (ParseSize(size, &width, &height)) {
    mode.width = width;
    mode.height = height;
  }
  return mode;
}

}  // namespace

std::vector<DisplayMode> DisplayModes() {
  std::vector<DisplayMode> modes;
  if (HasDisplay() && win::SdlDisplayModes(&modes) && !modes.empty()) return modes;
  return HeadlessModes();
}

DisplayMode DesktopMode() {
  DisplayMode mode{};
  if (HasDisplay() && win::SdlDesktopMode(&mode)) return mode;
  return HeadlessDesktop();
}

}  // namespace platform

BOOL EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNum, DEVMODEW* devMode) {
  if (deviceName || !devMode) return FALSE;
  platform::DisplayMode mode{};
  if (modeNum == ENUM_CURRENT_SETTINGS || modeNum == ENUM_REGISTRY_SETTINGS) {
    mode = platform::DesktopMode();
  } else {
    const std::vector<platform::DisplayMode> modes = platform::DisplayModes();
    if (modeNum >= modes.size()) return FALSE;
    mode = modes[modeNum];
  }
  devMode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
  devMode->dmBitsPerPel = 32;
  devMode->dmPelsWidth = static_cast<DWORD>(mode.width);
  devMode->dmPelsHeight = static_cast<DWORD>(mode.height);
  devMode->dmDisplayFlags = 0;
  // Whole hertz, as the original reports: 60000/1001 reads as 59.
  devMode->dmDisplayFrequency = static_cast<DWORD>(mode.refreshNumerator / std::max(1, mode.refreshDenominator));
  return TRUE;
}
