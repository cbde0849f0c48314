#pragma once

// PNG files of captured frames, written fast: zlib at its quickest level over rows
// filtered against the row above. The capture's writers run on the cores the renderer
// draws with, and at 1280x720 the image library's own encoder cost more than a frame.

#include <cstdint>
#include <string>

#include "platform/api.h"

namespace platform {

// An 8-bit RGB PNG of `width` x `height` pixels (row 0 at the top, `rgb` packed). Empty
// when the image cannot be encoded.
PLATFORM_API std::string EncodePng(int width, int height, const std::uint8_t* rgb);

}  // namespace platform
