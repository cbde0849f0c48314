#pragma once

// The desktop's display mode and the modes an output offers.

#include <vector>

#include "platform/api.h"
#include "platform/win32/types.h"

constexpr DWORD ENUM_CURRENT_SETTINGS = static_cast<DWORD>(-1);
constexpr DWORD ENUM_REGISTRY_SETTINGS = static_cast<DWORD>(-2);

constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;

// Only the members a program reads about a display mode; dmSize is set by the caller.
struct DEVMODEW {
  WCHAR dmDeviceName[32];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
};

// ENUM_CURRENT_SETTINGS (or ENUM_REGISTRY_SETTINGS): the desktop mode. 0, 1, 2...: the
// display's modes in turn, FALSE past the last. Only the primary display (null name).
PLATFORM_API BOOL EnumDisplaySettingsW(LPCWSTR deviceName, DWORD modeNum, DEVMODEW* devMode);

namespace platform {

struct DisplayMode {
  int width;
  int height;
  int refreshNumerator;
  int refreshDenominator;
};

// With a display: the modes SDL reports for the primary display (a refresh of 0 reads
// as 60/1). Headless: a fixed list of common modes from 640x480 to 3840x2160.
PLATFORM_API std::vector<DisplayMode> DisplayModes();
// With a display: SDL's desktop mode. Headless: 1280x720 at 60/1, or the -size switch.
PLATFORM_API DisplayMode DesktopMode();

// A display that goes away under the program (its X connection cut: the server ended or
// was killed) ends it as a lost device does: the layer says why on standard error,
// calls `report` with the reason (on the thread that found the loss; the place for the
// program's log, and it must not throw), and ends the process with status 1. One report
// a process; null for none.
PLATFORM_API void SetDisplayLostReport(void (*report)(const char* reason));

}  // namespace platform
