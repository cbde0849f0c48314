// Feeds arbitrary bytes to the demo file reader, and checks that whatever it accepts
// survives the writer: encoding what was read and reading that again gives the same
// file, bit for bit (floats compared as bits, so NaN payloads count too).

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/gfx/demoFileReader.h"
#include "tools/demo/demoWriter.h"

namespace {

using engine::gfx::DemoFile;

bool SameFloats(const float* a, const float* b, std::size_t n) { return std::memcmp(a, b, n * sizeof(float)) == 0; }

bool Same(const DemoFile& a, const DemoFile& b) {
  if (a.length != b.length || a.objects.size() != b.objects.size()) return false;
  for (std::size_t i = 0; i < a.objects.size(); ++i) {
    const auto& x = a.objects[i];
    const auto& y = b.objects[i];
    if (x.type != y.type || x.name != y.name || x.mesh != y.mesh || x.parent != y.parent) return false;
    if (!SameFloats(x.location, y.location, 3) || !SameFloats(x.rotation, y.rotation, 3)) return false;
    if (x.curves.size() != y.curves.size() || x.negativeCurveCount != y.negativeCurveCount) return false;
    for (std::size_t c = 0; c < x.curves.size(); ++c) {
      const auto& p = x.curves[c];
      const auto& q = y.curves[c];
      if (p.channel != q.channel || p.interpolation != q.interpolation || p.extrapolation != q.extrapolation) {
        return false;
      }
      if (p.keys.size() != q.keys.size()) return false;
      if (!p.keys.empty() && std::memcmp(p.keys.data(), q.keys.data(), p.keys.size() * sizeof p.keys[0]) != 0) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  DemoFile file;
  try {
    file = engine::gfx::ParseDemoFile(bytes, "fuzz.demo");
  } catch (const engine::gfx::DemoFileError&) {
    return 0;
  }
  const std::string encoded = demo::EncodeDemoFile(file);
  // What the reader accepted can only have shrunk: negative counts other than an
  // object's curve count read as none, and trailing bytes are left unread.
  if (encoded.size() > size) std::abort();
  DemoFile again;
  try {
    again = engine::gfx::ParseDemoFile(encoded, "fuzz.demo");
  } catch (const engine::gfx::DemoFileError&) {
    std::abort();
  }
  if (!Same(file, again)) std::abort();
  return 0;
}
