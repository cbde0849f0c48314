#pragma once

// The on-disk cache of compiled shaders, keyed by a hash of everything that decides the
// compiler's output (the preprocessed source, entry point, stage, compiler options), so
// a warm start never runs the HLSL compiler. Lives in $NEBLU_EFFECT_CACHE, else
// $XDG_CACHE_HOME/neblu/effects, else ~/.cache/neblu/effects. A cache that cannot be
// read or written is only slower: failures are silent.

#include <cstdint>
#include <string>
#include <vector>

namespace platform::fx {

// 128-bit content hash as 32 hex digits.
std::string ContentHash(const std::string& bytes);

// The cache folder in use; empty when none can be found ("off" in the variable too).
std::string CacheDirectory();

bool CacheLoad(const std::string& key, std::vector<std::uint32_t>& words);
void CacheStore(const std::string& key, const std::vector<std::uint32_t>& words);

}  // namespace platform::fx
