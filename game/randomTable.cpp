#include "game/randomTable.h"

namespace orv {

namespace {

constexpr std::uint32_t kEntries = 1u << 20;
constexpr std::uint32_t kKeyMask = kEntries - 1;

// 4 MiB of static storage rather than a heap block: lookups never have to ask whether the
// table exists, and a lookup before the fill reads zeros instead of crashing.
std::uint32_t table[kEntries];

}  // namespace

void FillRandomTable() {
  // The generator's full step is x XOR (x >> 30) inside the product; every entry is below
  // 65536, so the shift is always zero and drops out. Unsigned arithmetic wraps mod 2^32,
  // a multiple of 65536, so the mask gives the true remainder even when n - 30363 x is
  // negative. The sequence would run on into a second table, but nothing reads it.
  table[0] = 2;
  for (std::uint32_t n = 1; n < kEntries; ++n) table[n] = (n - 30363u * table[n - 1]) & 0xFFFFu;
}

std::uint32_t randomInt(std::uint32_t k) { return table[k & kKeyMask]; }

float randomFloat(std::uint32_t k) {
  // 65537 / 2^32 as the single-precision constant the content was tuned with.
  return static_cast<float>(table[k & kKeyMask]) * 1.5259022e-5f;
}

}  // namespace orv
