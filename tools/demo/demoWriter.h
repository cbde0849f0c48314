#pragma once

// Writes demo files: the reverse of the engine's reader, for the scene tools and for
// tests that need small scenes of their own.

#include <cstddef>
#include <string>

#include "engine/gfx/demoFileReader.h"

namespace demo {

// The file image of `file`, byte for byte as the engine reads it.
std::string EncodeDemoFile(const engine::gfx::DemoFile& file);
// The size of that image, and of one curve's part of it, without making them.
std::size_t EncodedSize(const engine::gfx::DemoFile& file);
std::size_t EncodedSize(const engine::gfx::DemoCurve& curve);
// Writes the image to `path`; false when the file cannot be written.
bool WriteDemoFile(const std::string& path, const engine::gfx::DemoFile& file);

}  // namespace demo
