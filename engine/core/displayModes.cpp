#include "engine/core/displayModes.h"

#include <algorithm>

namespace engine {
namespace core {

const wchar_t* const kAspectItems[kAspectItemCount] = {L"Auto", L"4:3", L"16:10", L"16:9", L"5:4"};

ModeTable BuildModeTable(const DXGI_MODE_DESC* modes, UINT count) {
  ModeTable table;
  for (UINT i = 0; modes && i < count; ++i) {
    const DXGI_MODE_DESC& mode = modes[i];
    std::vector<RefreshRate>& rates = table[Resolution(static_cast<int>(mode.Width), static_cast<int>(mode.Height))];
    const RefreshRate rate{static_cast<int>(mode.RefreshRate.Numerator),
                           static_cast<int>(mode.RefreshRate.Denominator)};
    const bool known = std::any_of(rates.begin(), rates.end(), [&rate](const RefreshRate& r) {
      return r.numerator == rate.numerator && r.denominator == rate.denominator;
    });
    if (!known) rates.push_back(rate);
  }
  return table;
}

int WholeHertz(const RefreshRate& rate) { return rate.denominator == 0 ? 0 : rate.numerator / rate.denominator; }

void SortByHertz(std::vector<RefreshRate>* rates) {
  std::stable_sort(rates->begin(), rates->end(),
                   [](const RefreshRate& a, const RefreshRate& b) { return WholeHertz(a) < WholeHertz(b); });
}

std::wstring ResolutionItem(const Resolution& resolution) {
  return std::to_wstring(resolution.first) + L" x " + std::to_wstring(resolution.second);
}

std::wstring RefreshItem(const RefreshRate& rate) {
  const double hertz = rate.denominator == 0 ? 0.0 : static_cast<double>(rate.numerator) / rate.denominator;
  return std::to_wstring(static_cast<int>(hertz + 0.5)) + L"Hz";
}

std::wstring MultisamplingItem(const Multisampling& multisampling) {
  return L"Samples: " + std::to_wstring(multisampling.count) + L", Quality: " + std::to_wstring(multisampling.quality);
}

float AspectOf(int row, const Resolution& resolution) {
  switch (row) {
    case 1:
      return 4.0f / 3.0f;
    case 2:
      return 1.6f;
    case 3:
      return 16.0f / 9.0f;
    case 4:
      return 1.25f;
    default:
      return resolution.second == 0 ? 4.0f / 3.0f
                                    : static_cast<float>(resolution.first) / static_cast<float>(resolution.second);
  }
}

namespace {
template <typename T>
bool Valid(int index, const std::vector<T>& table) {
  return index >= 0 && static_cast<std::size_t>(index) < table.size();
}
}  // namespace

WindowSettings SettingsFromChoice(const DialogChoice& choice, const std::vector<Resolution>& resolutions,
                                  const std::vector<RefreshRate>& refreshRates,
                                  const std::vector<Multisampling>& multisampling, const Resolution& desktop,
                                  const RefreshRate& desktopRate) {
  WindowSettings settings;
  const Resolution resolution = Valid(choice.resolution, resolutions) ? resolutions[choice.resolution] : desktop;
  settings.width = resolution.first;
  settings.height = resolution.second;
  const RefreshRate rate = Valid(choice.refresh, refreshRates) ? refreshRates[choice.refresh] : desktopRate;
  settings.refreshNumerator = rate.numerator;
  settings.refreshDenominator = rate.denominator;
  settings.aspect = AspectOf(choice.aspect, resolution);
  settings.backBufferFormat = 28;
  if (Valid(choice.multisampling, multisampling)) {
    settings.sampleCount = multisampling[choice.multisampling].count;
    settings.sampleQuality = multisampling[choice.multisampling].quality;
  } else {
    settings.sampleCount = 1;
    settings.sampleQuality = 0;
  }
  settings.fullscreen = choice.fullscreen;
  settings.vsync = choice.vsync ? 1 : 0;
  settings.alwaysOnTop = choice.alwaysOnTop;
  settings.reservedFormat = 46;
  return settings;
}

}  // namespace core
}  // namespace engine
