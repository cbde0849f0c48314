#include "tools/nbl/nblWriter.h"

#include <cstring>
#include <fstream>

namespace nbl {

namespace {

enum : std::int32_t { kHeader = 2, kPositions = 3, kIndices = 4, kNormals = 5, kTexCoords = 6, kEnd = 9 };
// Kinds of the extension section.
enum : std::int32_t { kColours = 7, kTangents = 10, kSecondTexCoords = 11 };

std::string Vector2Payload(const std::vector<engine::math::Vector2f>& values) {
  std::string payload;
  for (const auto& t : values) payload += FloatBytes(t.x) + FloatBytes(t.y);
  return payload;
}

std::string Vector4Payload(const std::vector<std::array<float, 4>>& values) {
  std::string payload;
  for (const auto& c : values) payload += FloatBytes(c[0]) + FloatBytes(c[1]) + FloatBytes(c[2]) + FloatBytes(c[3]);
  return payload;
}

std::string Vector3Payload(const std::vector<engine::math::Vector3f>& values) {
  std::string payload;
  for (const auto& v : values) payload += FloatBytes(v.x) + FloatBytes(v.y) + FloatBytes(v.z);
  return payload;
}

}  // namespace

std::string IntBytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string out;
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xFF);
  return out;
}

std::string FloatBytes(float value) {
  std::int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return IntBytes(bits);
}

Writer::Writer() : bytes("NBLU") {}

Writer& Writer::Header(const std::array<std::int32_t, 6>& values) {
  std::string payload;
  for (std::int32_t v : values) payload += IntBytes(v);
  return Chunk(kHeader, payload);
}

Writer& Writer::Positions(const std::vector<engine::math::Vector3f>& positions) {
  return Chunk(kPositions, Vector3Payload(positions));
}

Writer& Writer::Normals(const std::vector<engine::math::Vector3f>& normals) {
  return Chunk(kNormals, Vector3Payload(normals));
}

Writer& Writer::TexCoords(const std::vector<engine::math::Vector2f>& texCoords) {
  return Chunk(kTexCoords, Vector2Payload(texCoords));
}

Writer& Writer::Colours(const std::vector<std::array<float, 4>>& colours) {
  return Chunk(kColours, Vector4Payload(colours));
}

Writer& Writer::Tangents(const std::vector<std::array<float, 4>>& tangents) {
  return Chunk(kTangents, Vector4Payload(tangents));
}

Writer& Writer::SecondTexCoords(const std::vector<engine::math::Vector2f>& texCoords) {
  return Chunk(kSecondTexCoords, Vector2Payload(texCoords));
}

Writer& Writer::Indices(const std::vector<std::uint32_t>& indices, std::int32_t stride) {
  std::string payload = IntBytes(stride);
  for (std::uint32_t index : indices) {
    const std::string wide = IntBytes(static_cast<std::int32_t>(index));
    payload += stride == 2 ? wide.substr(0, 2) : wide;
  }
  return Chunk(kIndices, payload);
}

Writer& Writer::Chunk(std::int32_t kind, const std::string& payload) {
  return Chunk(kind, static_cast<std::int32_t>(payload.size()), payload);
}

Writer& Writer::Chunk(std::int32_t kind, std::int32_t length, const std::string& payload) {
  bytes += IntBytes(kind) + IntBytes(length) + payload;
  return *this;
}

Writer& Writer::End() { return Int(kEnd); }

Writer& Writer::Extension() { return Raw("NBLX"); }

Writer& Writer::Int(std::int32_t value) {
  bytes += IntBytes(value);
  return *this;
}

Writer& Writer::Raw(const std::string& raw) {
  bytes += raw;
  return *this;
}

bool Writer::Save(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace nbl
