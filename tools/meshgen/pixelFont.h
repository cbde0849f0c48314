#pragma once

#include <string>

#include "tools/meshgen/shapes.h"

namespace meshgen {

// A 5 x 7 pixel font with only the letters the demo's titles spell. Row 6 is the
// baseline row; lower-case letters keep to the bottom five rows unless they rise
// above them, as 'd' does.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// The letter's pixels, or null when the font has no such letter.
const PixelMask* Glyph(char letter);

// The letters of `text` side by side, one empty column between neighbours, kGlyphHeight
// rows. Throws std::invalid_argument naming the first letter the font lacks.
PixelMask WordMask(const std::string& text);

}  // namespace meshgen
