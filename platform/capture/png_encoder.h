#pragma once

// PNG files of captured frames, written fast: libdeflate at its quickest level over rows
// filtered against the row above. The capture's writers run on the cores the renderer
// draws with, and at 1280x720 the image library's own encoder cost more than a frame.

#include <cstdint>
#include <string>

#include "platform/api.h"

namespace platform {

// An 8-bit RGB PNG of `width` x `height` pixels, row 0 at the top, from `pixels` of
// `bytesPerPixel` 3 (packed RGB) or 4 (RGBA, the alpha left out of the file). Empty when
// the image cannot be encoded.
PLATFORM_API std::string EncodePng(int width, int height, const std::uint8_t* pixels, int bytesPerPixel = 3);

}  // namespace platform
