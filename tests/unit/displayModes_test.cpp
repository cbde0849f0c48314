// The settings dialog's tables: what the adapter reports becomes the resolution,
// refresh and multisampling lists, and selections become the settings record.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/displayModes.h"

namespace engine {
namespace core {
namespace {

DXGI_MODE_DESC Mode(UINT width, UINT height, UINT numerator, UINT denominator,
                    DXGI_MODE_SCANLINE_ORDER order = DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED,
                    DXGI_MODE_SCALING scaling = DXGI_MODE_SCALING_UNSPECIFIED) {
  return DXGI_MODE_DESC{width, height, {numerator, denominator}, DXGI_FORMAT_R8G8B8A8_UNORM, order, scaling};
}

std::vector<std::wstring> ResolutionItems(const ModeTable& table) {
  std::vector<std::wstring> items;
  for (const auto& entry : table) items.push_back(ResolutionItem(entry.first));
  return items;
}

std::vector<std::wstring> RefreshItems(std::vector<RefreshRate> rates) {
  SortByHertz(&rates);
  std::vector<std::wstring> items;
  for (const RefreshRate& rate : rates) items.push_back(RefreshItem(rate));
  return items;
}

TEST(DisplayModeTable, SizesAreOrderedByWidthThenHeightWhateverTheReportedOrder) {
  const std::vector<DXGI_MODE_DESC> modes = {Mode(1024, 768, 60, 1), Mode(1024, 768, 75, 1), Mode(800, 600, 60, 1),
                                             Mode(1280, 1024, 60, 1), Mode(1280, 720, 60, 1)};
  const ModeTable table = BuildModeTable(modes.data(), static_cast<UINT>(modes.size()));
  EXPECT_EQ(ResolutionItems(table),
            (std::vector<std::wstring>{L"800 x 600", L"1024 x 768", L"1280 x 720", L"1280 x 1024"}));
  EXPECT_EQ(RefreshItems(table.at({1024, 768})), (std::vector<std::wstring>{L"60Hz", L"75Hz"}));
  EXPECT_EQ(RefreshItems(table.at({800, 600})), (std::vector<std::wstring>{L"60Hz"}));
}

TEST(DisplayModeTable, ModesDifferingOnlyInScanlineOrderOrScalingMergeIntoOneEntry) {
  const std::vector<DXGI_MODE_DESC> modes = {
      Mode(1024, 768, 60, 1), Mode(1024, 768, 60, 1, DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE),
      Mode(1024, 768, 60, 1, DXGI_MODE_SCANLINE_ORDER_UNSPECIFIED, DXGI_MODE_SCALING_STRETCHED),
      Mode(1024, 768, 60, 1, DXGI_MODE_SCANLINE_ORDER_PROGRESSIVE, DXGI_MODE_SCALING_CENTERED)};
  const ModeTable table = BuildModeTable(modes.data(), static_cast<UINT>(modes.size()));
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table.begin()->second.size(), 1u);
}

TEST(DisplayModeTable, ANtscRateIsListedAsWholeHertzButKeptExact) {
  // 60000/1001 and 60/1 are different rates: both stay, and both read "60Hz".
  const std::vector<DXGI_MODE_DESC> modes = {Mode(1920, 1080, 60, 1), Mode(1920, 1080, 60000, 1001),
                                             Mode(1920, 1080, 60000, 1001)};
  const ModeTable table = BuildModeTable(modes.data(), static_cast<UINT>(modes.size()));
  std::vector<RefreshRate> rates = table.at({1920, 1080});
  ASSERT_EQ(rates.size(), 2u);
  EXPECT_EQ(RefreshItems(rates), (std::vector<std::wstring>{L"60Hz", L"60Hz"}));
  // 59 by integer division sorts before 60: the exact rate comes back first.
  SortByHertz(&rates);
  EXPECT_EQ(rates[0].numerator, 60000);
  EXPECT_EQ(rates[0].denominator, 1001);
  EXPECT_EQ(rates[1].numerator, 60);
}

TEST(DisplayModeTable, RatesSortByWholeHertzAndTiesKeepTheirReportedOrder) {
  std::vector<RefreshRate> rates = {{85, 1}, {75, 1}, {120000, 2000}, {60, 1}, {119880, 1000}, {0, 0}};
  SortByHertz(&rates);
  // 120000/2000 is 60 Hz and was reported before 60/1; 119880/1000 is 119.
  const std::vector<std::pair<int, int>> expected = {{0, 0}, {120000, 2000}, {60, 1}, {75, 1}, {85, 1}, {119880, 1000}};
  ASSERT_EQ(rates.size(), expected.size());
  for (std::size_t i = 0; i < rates.size(); ++i) {
    EXPECT_EQ(std::make_pair(rates[i].numerator, rates[i].denominator), expected[i]) << i;
  }
  EXPECT_EQ(RefreshItem({119880, 1000}), L"120Hz");
  EXPECT_EQ(RefreshItem({0, 0}), L"0Hz") << "a rate without a denominator must not divide by zero";
}

TEST(DisplayModeTable, NoModesGiveAnEmptyTable) {
  EXPECT_TRUE(BuildModeTable(nullptr, 0).empty());
  EXPECT_TRUE(BuildModeTable(nullptr, 5).empty());
}

TEST(DialogItems, TextsAreTheOnesTheListsShow) {
  EXPECT_EQ(ResolutionItem({1024, 768}), L"1024 x 768");
  EXPECT_EQ(RefreshItem({60, 1}), L"60Hz");
  EXPECT_EQ(MultisamplingItem({4, 0}), L"Samples: 4, Quality: 0");
  EXPECT_EQ(std::vector<std::wstring>(kAspectItems, kAspectItems + kAspectItemCount),
            (std::vector<std::wstring>{L"Auto", L"4:3", L"16:10", L"16:9", L"5:4"}));
}

class SettingsFromSelections : public ::testing::Test {
 protected:
  std::vector<Resolution> resolutions = {{800, 600}, {1280, 720}};
  std::vector<RefreshRate> rates = {{60000, 1001}, {75, 1}};
  std::vector<Multisampling> samples = {{1, 0}, {2, 0}, {4, 0}, {4, 1}};
  Resolution desktop{1920, 1080};
  RefreshRate desktopRate{59, 1};
};

TEST_F(SettingsFromSelections, FirstRowsEverywhereGiveTheSmallestModeWithAutoAspect) {
  DialogChoice choice;
  choice.resolution = choice.refresh = choice.aspect = choice.multisampling = 0;
  choice.fullscreen = true;
  const WindowSettings s = SettingsFromChoice(choice, resolutions, rates, samples, desktop, desktopRate);
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
  EXPECT_EQ(s.refreshNumerator, 60000);
  EXPECT_EQ(s.refreshDenominator, 1001);
  EXPECT_FLOAT_EQ(s.aspect, 800.0f / 600.0f);
  EXPECT_EQ(s.sampleCount, 1);
  EXPECT_EQ(s.sampleQuality, 0);
  EXPECT_TRUE(s.fullscreen);
  EXPECT_EQ(s.vsync, 0);
  EXPECT_FALSE(s.alwaysOnTop);
  EXPECT_EQ(s.backBufferFormat, 28);
  EXPECT_EQ(s.reservedFormat, 46);
  EXPECT_EQ(s.title, L"Empty");
}

TEST_F(SettingsFromSelections, EachListAndBoxLandsInItsField) {
  DialogChoice choice;
  choice.resolution = 1;
  choice.refresh = 1;
  choice.multisampling = 3;
  choice.vsync = true;
  choice.alwaysOnTop = true;
  const float aspects[] = {1280.0f / 720.0f, 1.3333334f, 1.6f, 1.7777778f, 1.25f};
  for (int row = 0; row < kAspectItemCount; ++row) {
    choice.aspect = row;
    const WindowSettings s = SettingsFromChoice(choice, resolutions, rates, samples, desktop, desktopRate);
    EXPECT_FLOAT_EQ(s.aspect, aspects[row]) << kAspectItems[row];
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.refreshNumerator, 75);
    EXPECT_EQ(s.sampleCount, 4);
    EXPECT_EQ(s.sampleQuality, 1);
    EXPECT_EQ(s.vsync, 1);
    EXPECT_TRUE(s.alwaysOnTop);
    EXPECT_FALSE(s.fullscreen);
  }
}

TEST_F(SettingsFromSelections, ListsWithoutASelectionFallBackInsteadOfReadingPastTheirTables) {
  // An adapter that reported no mode: empty lists, nothing selected.
  DialogChoice none;
  const WindowSettings s = SettingsFromChoice(none, {}, {}, {}, desktop, desktopRate);
  EXPECT_EQ(s.width, 1920);
  EXPECT_EQ(s.height, 1080);
  EXPECT_EQ(s.refreshNumerator, 59);
  EXPECT_EQ(s.refreshDenominator, 1);
  EXPECT_FLOAT_EQ(s.aspect, 1920.0f / 1080.0f);
  EXPECT_EQ(s.sampleCount, 1);
  EXPECT_EQ(s.sampleQuality, 0);

  DialogChoice outOfRange;
  outOfRange.resolution = 7;
  outOfRange.refresh = -1;
  outOfRange.aspect = 9;
  outOfRange.multisampling = 4;
  const WindowSettings t = SettingsFromChoice(outOfRange, resolutions, rates, samples, desktop, desktopRate);
  EXPECT_EQ(t.width, 1920);
  EXPECT_EQ(t.refreshNumerator, 59);
  EXPECT_FLOAT_EQ(t.aspect, 1920.0f / 1080.0f);
  EXPECT_EQ(t.sampleCount, 1);
}

}  // namespace
}  // namespace core
}  // namespace engine
