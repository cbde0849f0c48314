#pragma once

// WebP pictures (EXT_texture_webp) as PNG files, which the engine reads.

#include <string>

namespace gltf2demo {

// Whether `bytes` start as a WebP file does ("RIFF", a size, "WEBP").
bool IsWebp(const std::string& bytes);

// The picture as a PNG file image with its alpha; empty, with `problem` saying why, when
// it cannot be decoded or either side is more than `largestSide` pixels (checked before
// anything is decoded).
std::string WebpAsPng(const std::string& bytes, int largestSide, std::string* problem);

}  // namespace gltf2demo
