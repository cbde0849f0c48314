#include "surfaceScenes.h"

#include <stb/stb_image_write.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace surfacescenes {

namespace {

constexpr double Pi = 3.14159265358979323846;
using V3 = std::array<double, 3>;

V3 Normalised(V3 v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  return {v[0] / length, v[1] / length, v[2] / length};
}

// The rotation (x, y, z, w) that turns glTF's -z, where cameras and lights look, to
// `direction` by the shortest arc (about the x axis, without roll, for a direction in
// the y-z plane).
std::vector<double> Facing(V3 direction) {
  const V3 d = Normalised(direction);
  const V3 from = {0, 0, -1};
  const V3 axis = {from[1] * d[2] - from[2] * d[1], from[2] * d[0] - from[0] * d[2], from[0] * d[1] - from[1] * d[0]};
  const double w = 1 + (from[0] * d[0] + from[1] * d[1] + from[2] * d[2]);
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2] + w * w);
  return {axis[0] / length, axis[1] / length, axis[2] / length, w / length};
}

struct Shape {
  std::vector<float> positions, normals, uvs, tangents;
  std::vector<std::uint16_t> indices;
};

// A rectangle at `centre` spanning `right` and `up` (half extents), texture upright on it
// (u along right, v down), tangents along right with handedness 1.
Shape Tile(const V3& centre, const V3& right, const V3& up) {
  Shape s;
  const V3 normal = Normalised({right[1] * up[2] - right[2] * up[1], right[2] * up[0] - right[0] * up[2],
                                right[0] * up[1] - right[1] * up[0]});
  const V3 tangent = Normalised(right);
  const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& c : corners) {
    for (int a = 0; a < 3; ++a) {
      s.positions.push_back(static_cast<float>(centre[a] + c[0] * right[a] + c[1] * up[a]));
      s.normals.push_back(static_cast<float>(normal[a]));
      s.tangents.push_back(static_cast<float>(tangent[a]));
    }
    s.tangents.push_back(1);
    s.uvs.insert(s.uvs.end(), {(c[0] + 1) / 2.0f, (1 - c[1]) / 2.0f});
  }
  s.indices = {0, 1, 2, 0, 2, 3};
  return s;
}

Shape Sphere(const V3& centre, double radius) {
  Shape s;
  const int rings = 16, segments = 32;
  for (int i = 0; i <= rings; ++i) {
    const double lat = Pi / 2 - Pi * i / rings;
    for (int j = 0; j <= segments; ++j) {
      const double lon = 2 * Pi * j / segments;
      const V3 n = {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
      for (int a = 0; a < 3; ++a) {
        s.positions.push_back(static_cast<float>(centre[a] + radius * n[a]));
        s.normals.push_back(static_cast<float>(n[a]));
      }
      s.uvs.insert(s.uvs.end(), {static_cast<float>(j) / segments, static_cast<float>(i) / rings});
    }
  }
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < segments; ++j) {
      const auto a = static_cast<std::uint16_t>(i * (segments + 1) + j), b = static_cast<std::uint16_t>(a + segments + 1);
      for (std::uint16_t k : {a, b, static_cast<std::uint16_t>(b + 1), a, static_cast<std::uint16_t>(b + 1),
                              static_cast<std::uint16_t>(a + 1)})
        s.indices.push_back(k);
    }
  }
  return s;
}

// Six tiles, outward.
Shape Box(const V3& centre, double half) {
  Shape box;
  const V3 faces[6][2] = {{{0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, -1}},
                          {{1, 0, 0}, {0, 0, 1}},  {{1, 0, 0}, {0, 1, 0}}, {{-1, 0, 0}, {0, 1, 0}}};
  for (const auto& face : faces) {
    const V3 right = {face[0][0] * half, face[0][1] * half, face[0][2] * half};
    const V3 up = {face[1][0] * half, face[1][1] * half, face[1][2] * half};
    const V3 out = {right[1] * up[2] - right[2] * up[1], right[2] * up[0] - right[0] * up[2], right[0] * up[1] - right[1] * up[0]};
    const V3 n = Normalised(out);
    const Shape tile = Tile({centre[0] + n[0] * half, centre[1] + n[1] * half, centre[2] + n[2] * half}, right, up);
    const auto first = static_cast<std::uint16_t>(box.positions.size() / 3);
    box.positions.insert(box.positions.end(), tile.positions.begin(), tile.positions.end());
    box.normals.insert(box.normals.end(), tile.normals.begin(), tile.normals.end());
    box.uvs.insert(box.uvs.end(), tile.uvs.begin(), tile.uvs.end());
    box.tangents.insert(box.tangents.end(), tile.tangents.begin(), tile.tangents.end());
    for (std::uint16_t k : tile.indices) box.indices.push_back(static_cast<std::uint16_t>(first + k));
  }
  return box;
}

void AppendTo(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

// A square RGBA picture of `size` pixels, each from `pixel`(x, y).
std::string Png(int size, const std::function<std::array<unsigned char, 4>(int, int)>& pixel) {
  std::vector<unsigned char> pixels;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const auto p = pixel(x, y);
      pixels.insert(pixels.end(), p.begin(), p.end());
    }
  std::string out;
  stbi_write_png_to_func(AppendTo, &out, size, size, 4, pixels.data(), size * 4);
  return out;
}

unsigned char Byte(double v) { return static_cast<unsigned char>(std::lround(std::max(0.0, std::min(1.0, v)) * 255)); }

class Builder {
 public:
  Builder() {
    model.asset.version = "2.0";
    model.buffers.emplace_back();
    // Every scene looks at the origin from the front and a little above, under a sun
    // from the upper left front unless it says otherwise.
    tinygltf::Camera lens;
    lens.name = "Lens";
    lens.type = "perspective";
    lens.perspective.yfov = Pi / 4;
    lens.perspective.znear = 0.5;
    lens.perspective.zfar = 100;
    lens.perspective.aspectRatio = 16.0 / 9;
    model.cameras.push_back(lens);
    const int eye = Node("Eye");
    model.nodes[static_cast<std::size_t>(eye)].camera = 0;
    model.nodes[static_cast<std::size_t>(eye)].translation = {0, 1.6, 5};
    model.nodes[static_cast<std::size_t>(eye)].rotation = Facing({0, -1.2, -5});
    tinygltf::Light sun;
    sun.name = "Sun";
    sun.type = "directional";
    sun.intensity = 2;
    model.lights.push_back(sun);
    const int lamp = Node("Sun");
    model.nodes[static_cast<std::size_t>(lamp)].extensions["KHR_lights_punctual"] =
        tinygltf::Value(tinygltf::Value::Object{{"light", tinygltf::Value(0)}});
    model.extensionsUsed.push_back("KHR_lights_punctual");
    SunTowards({1, -1.5, -1});
  }

  void SunTowards(V3 direction) { model.nodes[1].rotation = Facing(direction); }

  int View(const void* data, std::size_t size) {
    std::vector<unsigned char>& bytes = model.buffers[0].data;
    while (bytes.size() % 4) bytes.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    bytes.insert(bytes.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size() - 1);
  }
  int Floats(const std::vector<float>& values, int components) {
    tinygltf::Accessor accessor;
    accessor.bufferView = View(values.data(), values.size() * sizeof(float));
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
    accessor.type = components;
    accessor.count = values.size() / static_cast<std::size_t>(components);
    if (components == 3) {
      accessor.minValues = {1e9, 1e9, 1e9};
      accessor.maxValues = {-1e9, -1e9, -1e9};
      for (std::size_t i = 0; i < values.size(); ++i) {
        accessor.minValues[i % 3] = std::min(accessor.minValues[i % 3], static_cast<double>(values[i]));
        accessor.maxValues[i % 3] = std::max(accessor.maxValues[i % 3], static_cast<double>(values[i]));
      }
    }
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size() - 1);
  }
  int Indices(const std::vector<std::uint16_t>& indices) {
    tinygltf::Accessor accessor;
    accessor.bufferView = View(indices.data(), indices.size() * 2);
    accessor.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    accessor.type = TINYGLTF_TYPE_SCALAR;
    accessor.count = indices.size();
    model.accessors.push_back(accessor);
    return static_cast<int>(model.accessors.size() - 1);
  }

  int Node(const std::string& name, int mesh = -1) {
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    model.nodes.push_back(node);
    return static_cast<int>(model.nodes.size() - 1);
  }

  // A node "NAME" showing `shape` in `material`; with `tangents` the file's own, and with
  // `mirroredSet` a second set holding the first mirrored left to right, as set 0 when
  // `mirrorFirst` (the real coordinates then in set 1).
  void Add(const std::string& name, const Shape& shape, int material, bool tangents = false, bool mirroredSet = false,
           bool mirrorFirst = false) {
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = Floats(shape.positions, 3);
    primitive.attributes["NORMAL"] = Floats(shape.normals, 3);
    std::vector<float> mirrored = shape.uvs;
    for (std::size_t i = 0; i < mirrored.size(); i += 2) mirrored[i] = 1 - mirrored[i];
    primitive.attributes["TEXCOORD_0"] = Floats(mirroredSet && mirrorFirst ? mirrored : shape.uvs, 2);
    if (mirroredSet) primitive.attributes["TEXCOORD_1"] = Floats(mirrorFirst ? shape.uvs : mirrored, 2);
    if (tangents) primitive.attributes["TANGENT"] = Floats(shape.tangents, 4);
    primitive.indices = Indices(shape.indices);
    primitive.material = material;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives = {primitive};
    model.meshes.push_back(mesh);
    Node(name, static_cast<int>(model.meshes.size() - 1));
  }

  tinygltf::Material& NewMaterial(const std::string& name, const std::vector<double>& base, double metallic,
                                  double roughness) {
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor = base;
    material.pbrMetallicRoughness.metallicFactor = metallic;
    material.pbrMetallicRoughness.roughnessFactor = roughness;
    model.materials.push_back(material);
    return model.materials.back();
  }
  int LastMaterial() const { return static_cast<int>(model.materials.size() - 1); }

  // An embedded PNG as a texture, repeating and filtered.
  int Texture(const std::string& name, const std::string& png) {
    tinygltf::Image image;
    image.name = name;
    image.mimeType = "image/png";
    image.bufferView = View(png.data(), png.size());
    model.images.push_back(image);
    tinygltf::Texture texture;
    texture.source = static_cast<int>(model.images.size() - 1);
    model.textures.push_back(texture);
    return static_cast<int>(model.textures.size() - 1);
  }

  void Floor() {
    NewMaterial("Floor", {0.35, 0.35, 0.35, 1}, 0, 0.8);
    Add("Floor", Tile({0, 0, 0}, {4, 0, 0}, {0, 0, -3}), LastMaterial());
  }

  tinygltf::Model Done() {
    tinygltf::Scene scene;
    for (std::size_t n = 0; n < model.nodes.size(); ++n) scene.nodes.push_back(static_cast<int>(n));
    model.scenes.push_back(scene);
    model.defaultScene = 0;
    return model;
  }

  tinygltf::Model model;
};

// The test checker of four colours, red top left (as featureScenes' checker).
std::string Checker() {
  const unsigned char colours[4][3] = {{220, 40, 40}, {40, 170, 60}, {40, 80, 220}, {235, 205, 40}};
  return Png(8, [&colours](int x, int y) {
    const unsigned char* c = colours[(y < 4 ? 0 : 2) + (x < 4 ? 0 : 1)];
    return std::array<unsigned char, 4>{c[0], c[1], c[2], 255};
  });
}

}  // namespace

tinygltf::Model MetalRoughSpheres() {
  Builder b;
  b.Floor();
  for (int row = 0; row < 2; ++row) {
    for (int k = 0; k < 5; ++k) {
      const double roughness = 0.1 + 0.225 * k;
      const std::string name = std::string(row == 0 ? "Plastic" : "Gold") + std::to_string(k);
      if (row == 0) {
        b.NewMaterial(name, {0.8, 0.05, 0.04, 1}, 0, roughness);
      } else {
        b.NewMaterial(name, {1.0, 0.77, 0.34, 1}, 1, roughness);
      }
      b.Add(name, Sphere({-2 + k * 1.0, row == 0 ? 1.45 : 0.45, row == 0 ? -0.6 : 0.4}, 0.42), b.LastMaterial());
    }
  }
  return b.Done();
}

tinygltf::Model NormalMappedTiles() {
  Builder b;
  b.SunTowards({1, -0.35, -0.3});
  // Ridges across u: the normal leans left and right four times over the tile.
  const int ridges = b.Texture("Ridges", Png(64, [](int x, int) {
    const double lean = 0.7 * std::sin(2 * Pi * 4 * (x + 0.5) / 64);
    return std::array<unsigned char, 4>{Byte(lean * 0.5 + 0.5), Byte(0.5), Byte(std::sqrt(1 - lean * lean) * 0.5 + 0.5), 255};
  }));
  b.NewMaterial("Plain", {0.7, 0.7, 0.7, 1}, 0, 0.6);
  b.Add("Plain", Tile({-2.1, 0, 0}, {1, 0, 0}, {0, 0, -1.5}), b.LastMaterial());
  tinygltf::Material& ridged = b.NewMaterial("Ridged", {0.7, 0.7, 0.7, 1}, 0, 0.6);
  ridged.normalTexture.index = ridges;
  b.Add("OwnTangents", Tile({0, 0, 0}, {1, 0, 0}, {0, 0, -1.5}), b.LastMaterial(), true);
  b.Add("MadeTangents", Tile({2.1, 0, 0}, {1, 0, 0}, {0, 0, -1.5}), b.LastMaterial(), false);
  return b.Done();
}

tinygltf::Model EmissiveAndOcclusion() {
  Builder b;
  b.SunTowards({0.3, -0.6, 1});
  b.Floor();
  const int ring = b.Texture("Ring", Png(64, [](int x, int y) {
    const double r = std::hypot((x + 0.5) / 64 - 0.5, (y + 0.5) / 64 - 0.5);
    const unsigned char v = std::fabs(r - 0.3) < 0.08 ? 255 : 0;
    return std::array<unsigned char, 4>{v, v, v, 255};
  }));
  tinygltf::Material& glowing = b.NewMaterial("Glowing", {0.05, 0.05, 0.05, 1}, 0, 0.7);
  glowing.emissiveTexture.index = ring;
  glowing.emissiveFactor = {1, 0.5, 0.2};
  glowing.extensions["KHR_materials_emissive_strength"] =
      tinygltf::Value(tinygltf::Value::Object{{"emissiveStrength", tinygltf::Value(2.0)}});
  b.Add("Glowing", Box({-1.1, 0.8, 0}, 0.8), b.LastMaterial());
  const int stripes = b.Texture("Stripes", Png(64, [](int, int y) {
    const unsigned char v = (y / 8) % 2 ? 40 : 255;
    return std::array<unsigned char, 4>{v, 255, 255, 255};
  }));
  tinygltf::Material& shaded = b.NewMaterial("Shaded", {0.9, 0.9, 0.9, 1}, 0, 0.9);
  shaded.occlusionTexture.index = stripes;
  b.Add("Shaded", Box({1.1, 0.8, 0}, 0.8), b.LastMaterial());
  return b.Done();
}

tinygltf::Model MaskAndBlend() {
  Builder b;
  b.Floor();
  b.NewMaterial("Solid", {0.1, 0.6, 0.15, 1}, 0, 0.5);
  b.Add("Solid", Box({0, 0.6, -1.2}, 0.6), b.LastMaterial());
  const int holes = b.Texture("Holes", Png(8, [](int x, int y) {
    return std::array<unsigned char, 4>{240, 220, 120, (x / 2 + y / 2) % 2 ? Byte(0.2) : Byte(0.9)};
  }));
  tinygltf::Material& masked = b.NewMaterial("Masked", {1, 1, 1, 1}, 0, 0.6);
  masked.pbrMetallicRoughness.baseColorTexture.index = holes;
  masked.alphaMode = "MASK";
  masked.alphaCutoff = 0.5;
  b.Add("Masked", Tile({-0.8, 0.8, 0.3}, {0.7, 0, 0}, {0, 0.7, 0}), b.LastMaterial());
  tinygltf::Material& glass = b.NewMaterial("Glass", {0.2, 0.4, 1, 0.5}, 0, 0.3);
  glass.alphaMode = "BLEND";
  b.Add("Glass", Tile({0.9, 0.7, 0.6}, {0.8, 0, 0}, {0, 0.7, 0}), b.LastMaterial());
  return b.Done();
}

tinygltf::Model UnlitAndLit() {
  Builder b;
  b.NewMaterial("Lit", {1, 0.35, 0.05, 1}, 0, 0.5);
  b.Add("Lit", Sphere({-1, 0.8, 0}, 0.8), b.LastMaterial());
  tinygltf::Material& flat = b.NewMaterial("Flat", {1, 0.35, 0.05, 1}, 0, 0.5);
  flat.extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object{});
  b.model.extensionsUsed.push_back("KHR_materials_unlit");
  b.Add("Flat", Sphere({1, 0.8, 0}, 0.8), b.LastMaterial());
  return b.Done();
}

tinygltf::Model SecondTextureSet() {
  Builder b;
  const int checker = b.Texture("Checker", Checker());
  tinygltf::Material& second = b.NewMaterial("SetOne", {1, 1, 1, 1}, 0, 0.8);
  second.pbrMetallicRoughness.baseColorTexture = tinygltf::TextureInfo();
  second.pbrMetallicRoughness.baseColorTexture.index = checker;
  second.pbrMetallicRoughness.baseColorTexture.texCoord = 1;
  b.Add("SetOne", Tile({-1.1, 0.9, 0}, {0.9, 0, 0}, {0, 0.9, 0}), b.LastMaterial(), false, true, true);
  tinygltf::Material& first = b.NewMaterial("SetZero", {1, 1, 1, 1}, 0, 0.8);
  first.pbrMetallicRoughness.baseColorTexture.index = checker;
  b.Add("SetZero", Tile({1.1, 0.9, 0}, {0.9, 0, 0}, {0, 0.9, 0}), b.LastMaterial(), false, true, false);
  return b.Done();
}

}  // namespace surfacescenes
