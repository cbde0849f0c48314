#include "tools/meshgen/pixelFont.h"

#include <map>
#include <stdexcept>

namespace meshgen {

namespace {

const std::map<char, PixelMask>& Font() {
  static const std::map<char, PixelMask> font = {
      {'O', PixelMask::FromRows({".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."})},
      {'N', PixelMask::FromRows({"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"})},
      {'E', PixelMask::FromRows({"#####", "#....", "#....", "####.", "#....", "#....", "#####"})},
      {'B', PixelMask::FromRows({"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."})},
      {'L', PixelMask::FromRows({"#....", "#....", "#....", "#....", "#....", "#....", "#####"})},
      {'U', PixelMask::FromRows({"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."})},
      {'a', PixelMask::FromRows({".....", ".....", ".###.", "....#", ".####", "#...#", ".####"})},
      {'d', PixelMask::FromRows({"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"})},
      {'n', PixelMask::FromRows({".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"})},
      {'r', PixelMask::FromRows({".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."})},
      {'v', PixelMask::FromRows({".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."})},
  };
  return font;
}

}  // namespace

const PixelMask* Glyph(char letter) {
  const auto found = Font().find(letter);
  return found == Font().end() ? nullptr : &found->second;
}

PixelMask WordMask(const std::string& text) {
  PixelMask word;
  word.height = kGlyphHeight;
  word.width = text.empty() ? 0 : static_cast<int>(text.size()) * (kGlyphWidth + 1) - 1;
  word.cells.assign(static_cast<std::size_t>(word.width * word.height), false);
  for (std::size_t k = 0; k < text.size(); ++k) {
    const PixelMask* glyph = Glyph(text[k]);
    if (!glyph) throw std::invalid_argument(std::string("the pixel font has no letter '") + text[k] + "'");
    const int left = static_cast<int>(k) * (kGlyphWidth + 1);
    for (int r = 0; r < kGlyphHeight; ++r)
      for (int c = 0; c < kGlyphWidth; ++c)
        word.cells[static_cast<std::size_t>(r * word.width + left + c)] = glyph->At(c, r);
  }
  return word;
}

}  // namespace meshgen
