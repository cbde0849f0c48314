#include "platform/effect/cache.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <boost/filesystem.hpp>
#include <spirv-tools/libspirv.h>

namespace platform::fx {

namespace {

constexpr char kMagic[8] = {'N', 'B', 'L', 'S', 'P', 'V', '0', '1'};

std::uint64_t Fnv1a(const std::string& bytes, std::uint64_t seed) {
  std::uint64_t h = seed;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

// A damaged entry (a bit flipped on disk, a file cut short) must not reach reflection:
// the SPIR-V reader there trusts its input and crashes on a malformed module. An entry
// that does not validate is a miss, and the shader is compiled again.
bool ValidSpirv(const std::vector<std::uint32_t>& words) {
  spv_context context = spvContextCreate(SPV_ENV_OPENGL_4_5);
  if (!context) return false;
  spv_diagnostic diagnostic = nullptr;
  const bool valid = spvValidateBinary(context, words.data(), words.size(), &diagnostic) == SPV_SUCCESS;
  spvDiagnosticDestroy(diagnostic);
  spvContextDestroy(context);
  return valid;
}

}  // namespace

std::string ContentHash(const std::string& bytes) {
  // Two independent FNV-1a lanes (the second over the length-salted input) make
  // accidental collisions between cache entries negligible; nothing here is adversarial.
  std::uint64_t a = Fnv1a(bytes, 0xcbf29ce484222325ull);
  std::uint64_t b = Fnv1a(std::to_string(bytes.size()) + bytes, 0x84222325cbf29ce4ull);
  char out[33];
  std::snprintf(out, sizeof out, "%016llx%016llx", static_cast<unsigned long long>(a),
                static_cast<unsigned long long>(b));
  return out;
}

std::string CacheDirectory() {
  if (const char* dir = std::getenv("NEBLU_EFFECT_CACHE")) {
    if (std::strcmp(dir, "off") == 0) return "";
    if (*dir) return dir;
  }
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) return std::string(xdg) + "/neblu/effects";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.cache/neblu/effects";
  return "";
}

bool CacheLoad(const std::string& key, std::vector<std::uint32_t>& words) {
  std::string dir = CacheDirectory();
  if (dir.empty()) return false;
  std::ifstream in(dir + "/" + key + ".spv", std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < sizeof kMagic + 4 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
  std::size_t payload = bytes.size() - sizeof kMagic;
  if (payload % 4 != 0) return false;
  words.resize(payload / 4);
  std::memcpy(words.data(), bytes.data() + sizeof kMagic, payload);
  if (!ValidSpirv(words)) {
    words.clear();
    return false;
  }
  return true;
}

void CacheStore(const std::string& key, const std::vector<std::uint32_t>& words) {
  std::string dir = CacheDirectory();
  if (dir.empty()) return;
  boost::system::error_code ec;
  boost::filesystem::create_directories(dir, ec);
  // Write beside and rename, so a concurrent reader never sees half a file.
  std::string final = dir + "/" + key + ".spv";
  std::string temp = final + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return;
    out.write(kMagic, sizeof kMagic);
    out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return;
    }
  }
  if (std::rename(temp.c_str(), final.c_str()) != 0) std::remove(temp.c_str());
}

}  // namespace platform::fx
