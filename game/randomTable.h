#pragma once

#include <cstdint>

namespace orv {

// The demo's pseudo-random numbers: a fixed table of 2^20 16-bit values, the same on every
// run, so that every generated mesh (and every frame the shaders draw from it) is
// reproducible. Generators look values up by a key of their own; keys wrap at 2^20.

// Fills the table. Lookups before the first fill read zeros.
void FillRandomTable();

// Entry k AND 0xFFFFF, a value from 0 to 65535.
std::uint32_t randomInt(std::uint32_t k);

// The same entry scaled by 65537 / 2^32. In single precision the top entry (65535) rounds
// to exactly 1, so the range is [0, 1], not [0, 1).
float randomFloat(std::uint32_t k);

}  // namespace orv
