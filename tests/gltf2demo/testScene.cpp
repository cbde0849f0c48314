#include "testScene.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace testscene {

namespace {

using Vec = std::array<float, 3>;

std::array<double, 4> AxisAngle(double x, double y, double z, double degrees) {
  const double length = std::sqrt(x * x + y * y + z * z);
  const double half = degrees * 3.14159265358979323846 / 360;
  const double s = std::sin(half) / length;
  return {x * s, y * s, z * s, std::cos(half)};
}

// The buffer and the accessors into it, written as glTF text.
class Builder {
 public:
  // Appends `floats` (components each) and returns its accessor's index.
  int Floats(const std::vector<float>& floats, int components, bool bounds) {
    const std::size_t offset = Append(floats.data(), floats.size() * 4);
    const char* type = components == 1 ? "SCALAR" : components == 2 ? "VEC2" : components == 3 ? "VEC3" : "VEC4";
    std::string extra;
    if (bounds) {
      std::vector<float> low(floats.begin(), floats.begin() + components), high = low;
      for (std::size_t i = 0; i < floats.size(); ++i) {
        const std::size_t c = i % static_cast<std::size_t>(components);
        low[c] = std::fmin(low[c], floats[i]);
        high[c] = std::fmax(high[c], floats[i]);
      }
      extra = ", \"min\": " + List(low) + ", \"max\": " + List(high);
    }
    return Accessor(offset, floats.size() * 4, 5126, floats.size() / static_cast<std::size_t>(components), type, extra);
  }
  int Indices(const std::vector<std::uint16_t>& indices) {
    const std::size_t offset = Append(indices.data(), indices.size() * 2);
    return Accessor(offset, indices.size() * 2, 5123, indices.size(), "SCALAR", "");
  }
  std::string AccessorsJson() const { return "[\n" + accessors + "\n  ]"; }
  std::string ViewsJson() const { return "[\n" + views + "\n  ]"; }
  const std::string& Bytes() const { return bytes; }

  static std::string List(const std::vector<float>& values) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + Number(values[i]);
    return out + "]";
  }
  static std::string Number(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", value);
    return buf;
  }

 private:
  std::size_t Append(const void* data, std::size_t size) {
    while (bytes.size() % 4) bytes += '\0';
    const std::size_t offset = bytes.size();
    bytes.append(static_cast<const char*>(data), size);
    return offset;
  }
  int Accessor(std::size_t offset, std::size_t length, int componentType, std::size_t count, const char* type,
               const std::string& extra) {
    const int index = count_++;
    views += std::string(index ? ",\n" : "") + "    {\"buffer\": 0, \"byteOffset\": " + std::to_string(offset) +
             ", \"byteLength\": " + std::to_string(length) + "}";
    accessors += std::string(index ? ",\n" : "") + "    {\"bufferView\": " + std::to_string(index) +
                 ", \"componentType\": " + std::to_string(componentType) + ", \"count\": " + std::to_string(count) +
                 ", \"type\": \"" + type + "\"" + extra + "}";
    return index;
  }

  std::string bytes, accessors, views;
  int count_ = 0;
};

// A box around `centre` with half sizes `half`: four corners a face, each face turning
// counter-clockwise seen from outside (glTF's front), with its normal.
struct Box {
  std::vector<float> positions, normals, uvs;
  std::vector<std::uint16_t> indices;
};

Box MakeBox(const Vec& centre, const Vec& half) {
  Box box;
  for (int axis = 0; axis < 3; ++axis) {
    for (int sign = -1; sign <= 1; sign += 2) {
      // u x v = n for the face normal n = sign * e_axis.
      const int ua = (axis + 1) % 3, va = (axis + 2) % 3;
      const std::uint16_t first = static_cast<std::uint16_t>(box.positions.size() / 3);
      const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (const auto& corner : corners) {
        Vec p = centre;
        p[static_cast<std::size_t>(axis)] += static_cast<float>(sign) * half[static_cast<std::size_t>(axis)];
        p[static_cast<std::size_t>(ua)] += corner[0] * static_cast<float>(sign) * half[static_cast<std::size_t>(ua)];
        p[static_cast<std::size_t>(va)] += corner[1] * half[static_cast<std::size_t>(va)];
        box.positions.insert(box.positions.end(), p.begin(), p.end());
        Vec n = {0, 0, 0};
        n[static_cast<std::size_t>(axis)] = static_cast<float>(sign);
        box.normals.insert(box.normals.end(), n.begin(), n.end());
        box.uvs.insert(box.uvs.end(), {(corner[0] + 1) / 2, (1 - corner[1]) / 2});
      }
      for (int k : {0, 1, 2, 0, 2, 3}) box.indices.push_back(static_cast<std::uint16_t>(first + k));
    }
  }
  return box;
}

// The binary container: a 12-byte header, then the JSON and the buffer as chunks, each
// padded to four bytes (the JSON with spaces).
bool WriteGlb(const std::string& path, std::string json, std::string buffer) {
  while (json.size() % 4) json += ' ';
  while (buffer.size() % 4) buffer += '\0';
  std::string out;
  const auto word = [&out](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  out += "glTF";
  word(2);
  word(static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + buffer.size()));
  word(static_cast<std::uint32_t>(json.size()));
  out += "JSON" + json;
  word(static_cast<std::uint32_t>(buffer.size()));
  out += std::string("BIN\0", 4) + buffer;
  std::ofstream file(path, std::ios::binary);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file.flush());
}

}  // namespace

std::array<std::array<double, 4>, 3> SpinnerRotations() {
  return {AxisAngle(0, 1, 0, 0), AxisAngle(1, 1, 0, 100), AxisAngle(0.2, 1, 0.4, 230)};
}

bool WriteTestScene(const std::string& folder, bool binary) {
  Builder b;
  const Box slab = MakeBox({0, 0, 0}, {1.2f, 0.1f, 1.2f});
  const int slabPositions = b.Floats(slab.positions, 3, true);
  const int slabNormals = b.Floats(slab.normals, 3, false);
  const int slabIndices = b.Indices(slab.indices);
  // The tower has no normals (glTF asks for flat ones then) and two texture sets.
  const Box tower = MakeBox({0, 0.5f, 0}, {0.25f, 0.5f, 0.4f});
  const int towerPositions = b.Floats(tower.positions, 3, true);
  const int towerUvs = b.Floats(tower.uvs, 2, false);
  const int towerUvs1 = b.Floats(tower.uvs, 2, false);
  const int towerIndices = b.Indices(tower.indices);
  const int times = b.Floats({0, 1, 2}, 1, true);
  std::vector<float> rotations;
  for (const auto& q : SpinnerRotations()) rotations.insert(rotations.end(), q.begin(), q.end());
  const int rotationKeys = b.Floats(rotations, 4, false);
  std::vector<float> spline;
  for (const auto& key : BaseSpline)
    for (const auto& group : key) spline.insert(spline.end(), std::begin(group), std::end(group));
  const int splineKeys = b.Floats(spline, 3, false);

  const double pitch = -std::atan2(2.5, 6.0);  // the camera looks down at the slab
  const std::string n = [&] {
    // Camera on a rig 6 in front and 2.5 up; the sun shines down, forwards and to the left.
    const double c = std::cos(pitch / 2), s = std::sin(pitch / 2);
    const std::array<double, 4> sun = AxisAngle(1, 0.35, 0, -60);
    return std::string("  \"nodes\": [\n") +
           "    {\"name\": \"Base\", \"mesh\": 0, \"children\": [1]},\n"
           "    {\"name\": \"Spinner\", \"mesh\": 1, \"translation\": [" +
           Builder::Number(SpinnerOffset[0]) + ", " + Builder::Number(SpinnerOffset[1]) + ", " +
           Builder::Number(SpinnerOffset[2]) + "]},\n" +
           "    {\"name\": \"CameraRig\", \"camera\": 0, \"translation\": [0, 2.5, 6], \"rotation\": [" +
           Builder::Number(s) + ", 0, 0, " + Builder::Number(c) + "]},\n" +
           "    {\"name\": \"Sun\", \"translation\": [0, 5, 0], \"rotation\": [" + Builder::Number(sun[0]) + ", " +
           Builder::Number(sun[1]) + ", " + Builder::Number(sun[2]) + ", " + Builder::Number(sun[3]) +
           "], \"extensions\": {\"KHR_lights_punctual\": {\"light\": 0}}},\n" +
           "    {\"name\": \"Bulb\", \"translation\": [1, 1, 1], \"extensions\": {\"KHR_lights_punctual\": {\"light\": 1}}}\n"
           "  ],\n";
  }();
  const std::string json =
      "{\n"
      "  \"asset\": {\"version\": \"2.0\", \"generator\": \"NEBLU gltf2demo tests\"},\n"
      "  \"extensionsUsed\": [\"KHR_lights_punctual\"],\n"
      "  \"extensions\": {\"KHR_lights_punctual\": {\"lights\": [\n"
      "    {\"name\": \"Sunlight\", \"type\": \"directional\"},\n"
      "    {\"name\": \"Bulb\", \"type\": \"point\", \"color\": [1, 0.8, 0.6]}\n"
      "  ]}},\n"
      "  \"scene\": 0,\n"
      "  \"scenes\": [{\"nodes\": [0, 2, 3, 4]}],\n" +
      n +
      "  \"meshes\": [\n"
      "    {\"name\": \"Slab\", \"primitives\": [{\"attributes\": {\"POSITION\": " + std::to_string(slabPositions) +
      ", \"NORMAL\": " + std::to_string(slabNormals) + "}, \"indices\": " + std::to_string(slabIndices) +
      ", \"material\": 0}]},\n"
      "    {\"name\": \"Tower\", \"primitives\": [{\"attributes\": {\"POSITION\": " + std::to_string(towerPositions) +
      ", \"TEXCOORD_0\": " + std::to_string(towerUvs) + ", \"TEXCOORD_1\": " + std::to_string(towerUvs1) +
      "}, \"indices\": " + std::to_string(towerIndices) + ", \"material\": 1}]}\n"
      "  ],\n"
      "  \"materials\": [\n"
      "    {\"name\": \"Slate\", \"pbrMetallicRoughness\": {\"baseColorFactor\": [0.05, 0.08, 0.2, 1]}},\n"
      "    {\"name\": \"Ember\", \"pbrMetallicRoughness\": {\"baseColorFactor\": [0.8, 0.2, 0.03, 1]}}\n"
      "  ],\n"
      "  \"cameras\": [{\"name\": \"Lens\", \"type\": \"perspective\", \"perspective\": "
      "{\"yfov\": 0.7853982, \"znear\": 0.5, \"zfar\": 400, \"aspectRatio\": 1.7778}}],\n"
      "  \"animations\": [{\"name\": \"Turn\", \"samplers\": [\n"
      "    {\"input\": " + std::to_string(times) + ", \"output\": " + std::to_string(rotationKeys) +
      ", \"interpolation\": \"LINEAR\"},\n"
      "    {\"input\": " + std::to_string(times) + ", \"output\": " + std::to_string(splineKeys) +
      ", \"interpolation\": \"CUBICSPLINE\"}\n"
      "  ], \"channels\": [\n"
      "    {\"sampler\": 0, \"target\": {\"node\": 1, \"path\": \"rotation\"}},\n"
      "    {\"sampler\": 1, \"target\": {\"node\": 0, \"path\": \"translation\"}}\n"
      "  ]}],\n"
      "  \"buffers\": [{" + std::string(binary ? "" : "\"uri\": \"scene.bin\", ") + "\"byteLength\": " +
      std::to_string(b.Bytes().size()) + "}],\n"
      "  \"bufferViews\": " + b.ViewsJson() + ",\n"
      "  \"accessors\": " + b.AccessorsJson() + "\n"
      "}\n";
  if (binary) return WriteGlb(folder + "/scene.glb", json, b.Bytes());
  std::ofstream text(folder + "/scene.gltf", std::ios::binary);
  text << json;
  std::ofstream buffer(folder + "/scene.bin", std::ios::binary);
  buffer.write(b.Bytes().data(), static_cast<std::streamsize>(b.Bytes().size()));
  return static_cast<bool>(text.flush()) && static_cast<bool>(buffer.flush());
}

}  // namespace testscene
