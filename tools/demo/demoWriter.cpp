#include "tools/demo/demoWriter.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace demo {

namespace {

class Encoder {
 public:
  void Int(std::int32_t value) {
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
    bytes += text;
  }
  std::string bytes;
};

}  // namespace

std::string EncodeDemoFile(const engine::gfx::DemoFile& file) {
  Encoder out;
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
    for (const auto& curve : object.curves) {
      out.String(curve.channel);
      out.String(curve.interpolation);
      out.String(curve.extrapolation);
      out.Int(static_cast<std::int32_t>(curve.keys.size()));
      for (const auto& key : curve.keys) {
        for (float v : {key.leftTime, key.leftValue, key.time, key.value, key.rightTime, key.rightValue}) out.Float(v);
      }
    }
  }
  return out.bytes;
}

bool WriteDemoFile(const std::string& path, const engine::gfx::DemoFile& file) {
  std::ofstream stream(path, std::ios::binary);
  const std::string bytes = EncodeDemoFile(file);
  stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(stream);
}

}  // namespace demo
