// Feeds arbitrary bytes to the shader cache as a stored entry (a damaged or truncated
// file in the cache folder), read back the way a compile reads it, and hands what it
// accepts to reflection, which is where a cached shader goes next. A refused entry is
// an expected answer; a crash, a hang or a sanitizer report is a bug.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/effect/cache.h"
#include "platform/effect/reflect.h"

namespace {
char folder[] = "/tmp/neblu-fuzz-cache-XXXXXX";
const std::string kKey = "0123456789abcdef0123456789abcdef";

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!mkdtemp(folder)) {
    std::perror("fuzz_effect_cache: cannot make its cache folder");
    std::abort();
  }
  std::atexit(RemoveFolder);
  setenv("NEBLU_EFFECT_CACHE", folder, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string entry = std::string(folder) + "/" + kKey + ".spv";
  std::FILE* file = std::fopen(entry.c_str(), "wb");
  if (!file) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;
  std::vector<std::uint32_t> words;
  if (!platform::fx::CacheLoad(kKey, words)) return 0;
  platform::fx::StageReflection reflection;
  std::string error;
  platform::fx::ReflectStage(words, reflection, error);
  return 0;
}
