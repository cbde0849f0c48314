#include "tools/demo/demoWriter.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace demo {

namespace {

// Writes the bytes, or only counts them.
class Encoder {
 public:
  explicit Encoder(bool keepBytes) : keep(keepBytes) {}
  void Int(std::int32_t value) {
    size += 4;
    if (!keep) return;
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
  void Float(float value) {
    std::int32_t bits;
    std::memcpy(&bits, &value, 4);
    Int(bits);
  }
  void String(const std::string& text) {
    Int(static_cast<std::int32_t>(text.size()));
    size += text.size();
    if (keep) bytes += text;
  }
  std::string bytes;
  std::size_t size = 0;

 private:
  bool keep;
};

void Encode(const engine::gfx::DemoCurve& curve, Encoder& out) {
  out.String(curve.channel);
  out.String(curve.interpolation);
  out.String(curve.extrapolation);
  out.Int(static_cast<std::int32_t>(curve.keys.size()));
  for (const auto& key : curve.keys) {
    for (float v : {key.leftTime, key.leftValue, key.time, key.value, key.rightTime, key.rightValue}) out.Float(v);
  }
}

void Encode(const engine::gfx::DemoFile& file, Encoder& out) {
  out.Int(static_cast<std::int32_t>(engine::gfx::DemoFileMagic));
  out.Int(static_cast<std::int32_t>(file.objects.size()));
  out.Int(file.length);
  for (const auto& object : file.objects) {
    out.String(object.type);
    out.String(object.name);
    out.String(object.mesh);
    out.String(object.parent);
    for (float v : object.location) out.Float(v);
    for (float v : object.rotation) out.Float(v);
    out.Int(object.curves.empty() && object.negativeCurveCount < 0 ? object.negativeCurveCount
                                                                   : static_cast<std::int32_t>(object.curves.size()));
    for (const auto& curve : object.curves) Encode(curve, out);
  }
}

}  // namespace

std::string EncodeDemoFile(const engine::gfx::DemoFile& file) {
  Encoder out(true);
  Encode(file, out);
  return out.bytes;
}

std::size_t EncodedSize(const engine::gfx::DemoFile& file) {
  Encoder out(false);
  Encode(file, out);
  return out.size;
}

std::size_t EncodedSize(const engine::gfx::DemoCurve& curve) {
  Encoder out(false);
  Encode(curve, out);
  return out.size;
}

bool WriteDemoFile(const std::string& path, const engine::gfx::DemoFile& file) {
  std::ofstream stream(path, std::ios::binary);
  const std::string bytes = EncodeDemoFile(file);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(stream);
}

}  // namespace demo
