#pragma once

// Reads DDS files: uncompressed formats with a DXGI equivalent, BC1 to BC5, mip
// chains, texture arrays (the extended header) and cube maps. No GL: the loader
// uploads what this finds, and the fuzzer drives it alone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/dxgi_format.h"

namespace platform {

struct DdsImage {
  struct Subresource {
    const std::uint8_t* data = nullptr;  // points into the bytes given to ParseDds
    std::size_t size = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned rowPitch = 0;  // bytes per row, or per row of 4x4 blocks
  };
  DXGI_FORMAT format = DXGI_FORMAT_UNKNOWN;
  unsigned width = 0;
  unsigned height = 0;
  unsigned mipLevels = 1;
  unsigned arraySize = 1;  // six per cube
  bool cube = false;
  // Slice by slice, each slice's mips in order: the API's subresource order.
  std::vector<Subresource> subresources;
};

// Checks every size against the bytes there are before using it. False, with the
// reason in *error, for anything it cannot read; never reads past `size`.
PLATFORM_API bool ParseDds(const std::uint8_t* data, std::size_t size, DdsImage* image, std::string* error);

}  // namespace platform
