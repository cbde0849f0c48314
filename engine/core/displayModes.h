#pragma once

// The settings dialog's tables, built from what the adapter reports: sizes with their
// refresh rates, the items the lists show, and the settings a set of selections stands
// for. Pure functions, so the lists can be checked without a window.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/windowSettings.h"
#include "platform/dxgi.h"

namespace engine {
namespace core {

struct RefreshRate {
  int numerator;
  int denominator;
};

// (width, height); ordered by width, then height.
using Resolution = std::pair<int, int>;

// Each size's distinct rates, in the order the adapter reported them. Modes that differ
// only in scanline ordering or scaling add nothing.
using ModeTable = std::map<Resolution, std::vector<RefreshRate>>;

struct Multisampling {
  int count;
  int quality;
};

ModeTable BuildModeTable(const DXGI_MODE_DESC* modes, UINT count);

// Whole hertz by integer division, the sort key of the refresh list; 0 for a rate
// without a denominator rather than a division by zero.
int WholeHertz(const RefreshRate& rate);
// Ascending by whole hertz; equal rates keep their reported order.
void SortByHertz(std::vector<RefreshRate>* rates);

// "1024 x 768", "60Hz" (the rate rounded to the nearest hertz), "Samples: 4, Quality: 0".
std::wstring ResolutionItem(const Resolution& resolution);
std::wstring RefreshItem(const RefreshRate& rate);
std::wstring MultisamplingItem(const Multisampling& multisampling);

// The aspect list, and the aspect its row stands for: row 0 ("Auto") follows the chosen
// resolution.
constexpr int kAspectItemCount = 5;
extern const wchar_t* const kAspectItems[kAspectItemCount];
float AspectOf(int row, const Resolution& resolution);

// The lists' selections (-1: none) and the three check boxes.
struct DialogChoice {
  int resolution = -1;
  int refresh = -1;
  int aspect = -1;
  int multisampling = -1;
  bool fullscreen = false;
  bool vsync = false;
  bool alwaysOnTop = false;
};

// The record the dialog returns for a choice over its tables. A list without a valid
// selection falls back: no resolution (an adapter that reported no mode) to the desktop
// mode, no refresh rate to the desktop's, no aspect row to "Auto", no multisampling row
// to one sample at quality 0.
WindowSettings SettingsFromChoice(const DialogChoice& choice, const std::vector<Resolution>& resolutions,
                                  const std::vector<RefreshRate>& refreshRates,
                                  const std::vector<Multisampling>& multisampling, const Resolution& desktop,
                                  const RefreshRate& desktopRate);

}  // namespace core
}  // namespace engine
