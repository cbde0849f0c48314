#include "featureScenes.h"

#include <stb/stb_image_write.h>

#include <cmath>
#include <cstring>

namespace featurescenes {

namespace {

using V3 = std::array<double, 3>;

template <class T>
int Push(std::vector<T>& list, const T& item) {
  list.push_back(item);
  return static_cast<int>(list.size() - 1);
}

// One buffer, a view of its own for every array, accessors over them.
class Builder {
 public:
  Builder() {
    model.asset.version = "2.0";
    model.buffers.emplace_back();
  }

  int View(const void* data, std::size_t size, std::size_t stride = 0) {
    std::vector<unsigned char>& bytes = model.buffers[0].data;
    while (bytes.size() % 4) bytes.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    view.byteStride = stride;
    bytes.insert(bytes.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    return Push(model.bufferViews, view);
  }
  template <class T>
  int View(const std::vector<T>& values) {
    return View(values.data(), values.size() * sizeof(T));
  }

  int Accessor(int view, int componentType, int type, std::size_t count, bool normalized = false) {
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    accessor.normalized = normalized;
    return Push(model.accessors, accessor);
  }
  // `components` floats a value; tinygltf numbers VEC2 to VEC4 by their sizes.
  int Floats(const std::vector<float>& values, int components) {
    return Accessor(View(values), TINYGLTF_COMPONENT_TYPE_FLOAT, components == 1 ? TINYGLTF_TYPE_SCALAR : components,
                    values.size() / static_cast<std::size_t>(components));
  }
  template <class T>
  int Indices(const std::vector<T>& indices) {
    return Accessor(View(indices), IndexType<T>(), TINYGLTF_TYPE_SCALAR, indices.size());
  }
  // Makes `accessor` sparse: `values` (floats) replace the elements `indices` name.
  template <class T>
  void Substitute(int accessor, const std::vector<T>& indices, const std::vector<float>& values) {
    auto& sparse = model.accessors[static_cast<std::size_t>(accessor)].sparse;
    sparse.isSparse = true;
    sparse.count = static_cast<int>(indices.size());
    sparse.indices.bufferView = View(indices);
    sparse.indices.byteOffset = 0;
    sparse.indices.componentType = IndexType<T>();
    sparse.values.bufferView = View(values);
    sparse.values.byteOffset = 0;
  }
  template <class T>
  static int IndexType() {
    return sizeof(T) == 1 ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE : TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
  }

  int Mesh(const std::string& name, const std::vector<tinygltf::Primitive>& primitives) {
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives = primitives;
    return Push(model.meshes, mesh);
  }
  int Node(const std::string& name, int mesh = -1) {
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    return Push(model.nodes, node);
  }
  tinygltf::Node& NodeAt(int index) { return model.nodes[static_cast<std::size_t>(index)]; }
  int Material(const std::string& name, const std::vector<double>& factor, int texture = -1, int texCoord = 0) {
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor = factor;
    material.pbrMetallicRoughness.baseColorTexture.index = texture;
    material.pbrMetallicRoughness.baseColorTexture.texCoord = texCoord;
    return Push(model.materials, material);
  }
  // The checker, embedded, through a texture with `sampler`.
  int EmbeddedChecker(int sampler) {
    tinygltf::Image image;
    image.name = "Checker";
    image.mimeType = "image/png";
    const std::string png = CheckerPng();
    image.bufferView = View(png.data(), png.size());
    return Texture(image, sampler);
  }
  int Texture(const tinygltf::Image& image, int sampler) {
    tinygltf::Texture texture;
    texture.source = Push(model.images, image);
    texture.sampler = sampler;
    return Push(model.textures, texture);
  }
  int Sampler(int wrapS, int wrapT, int magFilter) {
    tinygltf::Sampler sampler;
    sampler.wrapS = wrapS;
    sampler.wrapT = wrapT;
    sampler.magFilter = magFilter;
    return Push(model.samplers, sampler);
  }
  void Scene(const std::vector<int>& nodes) {
    tinygltf::Scene scene;
    scene.nodes = nodes;
    model.scenes.push_back(scene);
    model.defaultScene = 0;
  }

  tinygltf::Model model;
};

struct Shape {
  std::vector<float> positions, normals, uvs;
  std::vector<std::uint16_t> indices;
};

// Per face, +x, -x, +y, -y, +z, -z: the outward normal, then the face's right and up as
// seen from outside. Right x up = normal, so corners taken in the order below turn
// counter-clockwise from outside, glTF's front.
constexpr int Faces[6][3][3] = {
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
};

// Four vertices a face, in Faces' order; each face's picture upright, its top row at +up.
Shape Box(const V3& centre, double half) {
  Shape box;
  const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& face : Faces) {
    const auto first = static_cast<std::uint16_t>(box.positions.size() / 3);
    for (const auto& corner : corners) {
      for (int a = 0; a < 3; ++a) {
        const int offset = face[0][a] + corner[0] * face[1][a] + corner[1] * face[2][a];
        box.positions.push_back(static_cast<float>(centre[a] + half * offset));
        box.normals.push_back(static_cast<float>(face[0][a]));
      }
      box.uvs.insert(box.uvs.end(), {(corner[0] + 1) / 2.0f, (1 - corner[1]) / 2.0f});
    }
    for (int k : {0, 1, 2, 0, 2, 3}) box.indices.push_back(static_cast<std::uint16_t>(first + k));
  }
  return box;
}

tinygltf::Primitive BoxPrimitive(Builder& b, const Shape& box, int material) {
  tinygltf::Primitive primitive;
  primitive.attributes["POSITION"] = b.Floats(box.positions, 3);
  primitive.attributes["NORMAL"] = b.Floats(box.normals, 3);
  primitive.indices = b.Indices(box.indices);
  primitive.material = material;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  return primitive;
}

void AppendTo(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

std::vector<unsigned char> CheckerPixels() {
  std::vector<unsigned char> pixels;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const unsigned char* c = QuadrantColours[(y < 4 ? 0 : 2) + (x < 4 ? 0 : 1)];
      pixels.insert(pixels.end(), c, c + 3);
    }
  return pixels;
}

std::string Base64(const std::string& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    for (int k = 0; k < 4; ++k)
      out += i + static_cast<std::size_t>(k) <= bytes.size() ? digits[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

constexpr double Pi = 3.14159265358979323846;

std::vector<double> AxisAngle(V3 axis, double degrees) {
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double s = std::sin(degrees * Pi / 360) / length;
  return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(degrees * Pi / 360)};
}

struct Trs {
  std::vector<double> translation, rotation, scale;
};
const Trs ParentPlacement = {{1, 2, -0.5}, AxisAngle({1, 1, 0}, 50), {2, 1, 0.5}};
const Trs ChildPlacement = {{0.5, 0.25, -1}, AxisAngle({0, 0.3, 1}, 30), {1, 3, 1}};

// T R S as a column-major matrix.
std::array<double, 16> MatrixOf(const Trs& p) {
  const double x = p.rotation[0], y = p.rotation[1], z = p.rotation[2], w = p.rotation[3];
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                          {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                          {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  std::array<double, 16> m{};
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < 3; ++row) m[4 * c + row] = r[row][c] * p.scale[c];
  for (int row = 0; row < 3; ++row) m[12 + row] = p.translation[row];
  m[15] = 1;
  return m;
}

}  // namespace

std::string CheckerPng() {
  const std::vector<unsigned char> pixels = CheckerPixels();
  std::string out;
  stbi_write_png_to_func(AppendTo, &out, 8, 8, 3, pixels.data(), 8 * 3);
  return out;
}

std::string CheckerJpeg() {
  const std::vector<unsigned char> pixels = CheckerPixels();
  std::string out;
  stbi_write_jpg_to_func(AppendTo, &out, 8, 8, 3, pixels.data(), 95);
  return out;
}

std::vector<float> TexturedBoxCoordinates() { return Box({0, 0, 0}, 0.5).uvs; }

tinygltf::Model TexturedBox(ImageSource source) {
  Builder b;
  const Shape box = Box({0, 0, 0}, 0.5);
  std::vector<float> mirrored = box.uvs;
  for (std::size_t i = 0; i < mirrored.size(); i += 2) mirrored[i] = 1 - mirrored[i];
  const int sampler = b.Sampler(TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE, TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT,
                                TINYGLTF_TEXTURE_FILTER_NEAREST);
  int texture = -1;
  if (source == ImageSource::BufferView) {
    texture = b.EmbeddedChecker(sampler);
  } else {
    tinygltf::Image image;
    image.uri = source == ImageSource::File ? "checker.jpg" : "data:image/png;base64," + Base64(CheckerPng());
    texture = b.Texture(image, sampler);
  }
  tinygltf::Primitive primitive = BoxPrimitive(b, box, b.Material("Wood", {0.8, 0.8, 0.8, 1}, texture, 1));
  primitive.attributes["TEXCOORD_0"] = b.Floats(mirrored, 2);
  primitive.attributes["TEXCOORD_1"] = b.Floats(box.uvs, 2);
  b.Node("Crate", b.Mesh("Crate", {primitive}));
  b.Scene({0});
  return b.model;
}

tinygltf::Model ColouredBoxes() {
  Builder b;
  const Shape left = Box({-0.7, 0, 0}, 0.5);
  const int checker = b.EmbeddedChecker(
      b.Sampler(TINYGLTF_TEXTURE_WRAP_REPEAT, TINYGLTF_TEXTURE_WRAP_REPEAT, TINYGLTF_TEXTURE_FILTER_NEAREST));
  tinygltf::Primitive tiled = BoxPrimitive(b, left, b.Material("Tiled", {1, 1, 1, 1}, checker));
  tiled.attributes["TEXCOORD_0"] = b.Floats(left.uvs, 2);
  std::vector<float> colours;
  for (std::size_t v = 1; v < left.positions.size(); v += 3) {
    const float* c = left.positions[v] > 0 ? LeftTopColour : LeftBottomColour;
    colours.insert(colours.end(), c, c + 4);
  }
  tiled.attributes["COLOR_0"] = b.Floats(colours, 4);

  // Normalised bytes, each colour padded to four bytes as vertex attributes must be.
  const Shape right = Box({0.7, 0, 0}, 0.4);
  tinygltf::Primitive painted = BoxPrimitive(b, right, b.Material("Painted", {0.8, 0.8, 0.8, 1}));
  std::vector<std::uint8_t> bytes;
  for (const auto& face : RightFaceColours)
    for (int corner = 0; corner < 4; ++corner) bytes.insert(bytes.end(), {face[0], face[1], face[2], 0});
  painted.attributes["COLOR_0"] = b.Accessor(b.View(bytes.data(), bytes.size(), 4),
                                             TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC3, 24, true);

  b.Node("Tinted", b.Mesh("Tinted", {tiled, painted}));
  b.Scene({0});
  return b.model;
}

std::vector<std::array<double, 3>> MarkerCorners() { return {{0, 0, 0}, {0.3, 0, 0}, {0, 0.5, 0}, {0, 0, 0.7}}; }
std::array<double, 16> ParentMatrix() { return MatrixOf(ParentPlacement); }
std::array<double, 16> ChildMatrix() { return MatrixOf(ChildPlacement); }

tinygltf::Model Hierarchy() {
  Builder b;
  std::vector<float> corners;
  for (const auto& c : MarkerCorners()) corners.insert(corners.end(), c.begin(), c.end());
  tinygltf::Primitive marker;
  marker.attributes["POSITION"] = b.Floats(corners, 3);
  marker.indices = b.Indices(std::vector<std::uint16_t>{0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3});
  const int mesh = b.Mesh("Marker", {marker});
  const int matrixParent = b.Node("MatrixParent");
  const int matrixChild = b.Node("MatrixChild", mesh);
  const int trsParent = b.Node("TrsParent");
  const int trsChild = b.Node("TrsChild", mesh);
  const auto parent = ParentMatrix(), child = ChildMatrix();
  b.NodeAt(matrixParent).matrix.assign(parent.begin(), parent.end());
  b.NodeAt(matrixChild).matrix.assign(child.begin(), child.end());
  for (const auto& placed : {std::make_pair(trsParent, ParentPlacement), std::make_pair(trsChild, ChildPlacement)}) {
    tinygltf::Node& node = b.model.nodes[static_cast<std::size_t>(placed.first)];
    node.translation = placed.second.translation;
    node.rotation = placed.second.rotation;
    node.scale = placed.second.scale;
  }
  b.NodeAt(matrixParent).children = {matrixChild};
  b.NodeAt(trsParent).children = {trsChild};
  b.Scene({matrixParent, trsParent});
  return b.model;
}

namespace {
const std::vector<float> Quad = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
const std::vector<float> QuadNormals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
constexpr float PatchedCorner[3] = {-0.5f, 2, 0.25f};

}  // namespace

std::vector<Triangle> LooseTriangles() {
  return {Triangle{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, Triangle{{{2, 0, 0}, {3, 0, 0}, {2, 1, 0}}}};
}
std::vector<Triangle> QuadTriangles(bool patched) {
  const std::array<float, 3> last = patched ? std::array<float, 3>{PatchedCorner[0], PatchedCorner[1], PatchedCorner[2]}
                                            : std::array<float, 3>{0, 1, 0};
  return {Triangle{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}, Triangle{{{0, 0, 0}, {1, 1, 0}, last}}};
}
std::vector<Triangle> ZeroedTriangles() { return {Triangle{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}}; }

tinygltf::Model Geometry() {
  Builder b;
  std::vector<int> nodes;
  const auto add = [&](const std::string& name, const tinygltf::Primitive& primitive) {
    nodes.push_back(b.Node(name, b.Mesh(name, {primitive})));
  };

  tinygltf::Primitive loose;
  std::vector<float> positions;
  for (const Triangle& t : LooseTriangles())
    for (const auto& corner : t) positions.insert(positions.end(), corner.begin(), corner.end());
  loose.attributes["POSITION"] = b.Floats(positions, 3);
  loose.attributes["NORMAL"] = b.Floats(std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}, 3);
  add("Loose", loose);

  tinygltf::Primitive bytes;
  bytes.attributes["POSITION"] = b.Floats(Quad, 3);
  bytes.attributes["NORMAL"] = b.Floats(QuadNormals, 3);
  bytes.indices = b.Indices(std::vector<std::uint8_t>{0, 1, 2, 0, 2, 3});
  add("Bytes", bytes);

  // Without a buffer view: zeros, then vertices 1 and 2 substituted.
  tinygltf::Primitive zeroed;
  zeroed.attributes["POSITION"] = b.Accessor(-1, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3);
  b.Substitute(zeroed.attributes["POSITION"], std::vector<std::uint8_t>{1, 2}, {1, 0, 0, 0, 1, 0});
  add("Zeroed", zeroed);

  tinygltf::Primitive patched;
  patched.attributes["POSITION"] = b.Floats(Quad, 3);
  b.Substitute(patched.attributes["POSITION"], std::vector<std::uint16_t>{3},
               std::vector<float>(PatchedCorner, PatchedCorner + 3));
  patched.attributes["NORMAL"] = b.Floats(QuadNormals, 3);
  patched.indices = b.Indices(std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3});
  add("Patched", patched);

  b.Scene(nodes);
  return b.model;
}

tinygltf::Model TwoScenes() {
  Builder b;
  const int mesh = b.Mesh("Box", {BoxPrimitive(b, Box({0, 0, 0}, 0.5), -1)});
  b.Node("First", mesh);
  b.Node("Second", mesh);
  b.Scene({0});
  b.Scene({1});
  b.model.defaultScene = 1;
  return b.model;
}

tinygltf::Model Cameras(bool perspective) {
  Builder b;
  b.Node("Thing", b.Mesh("Thing", {BoxPrimitive(b, Box({0, 0.5, 0}, 0.5), -1)}));
  tinygltf::Camera flat;
  flat.name = "Flat";
  flat.type = "orthographic";
  flat.orthographic.xmag = 2;
  flat.orthographic.ymag = 2;
  flat.orthographic.znear = 0.1;
  flat.orthographic.zfar = 50;
  b.model.cameras.push_back(flat);
  const int plan = b.Node("Plan");
  b.NodeAt(plan).camera = 0;
  b.NodeAt(plan).translation = {0, 5, 0};
  b.NodeAt(plan).rotation = AxisAngle({1, 0, 0}, -90);
  std::vector<int> roots = {0, plan};
  if (perspective) {
    tinygltf::Camera lens;
    lens.name = "Lens";
    lens.type = "perspective";
    lens.perspective.yfov = Pi / 4;
    lens.perspective.znear = 0.5;
    lens.perspective.zfar = 400;
    lens.perspective.aspectRatio = 16.0 / 9;
    b.model.cameras.push_back(lens);
    const int eye = b.Node("Eye");
    b.NodeAt(eye).camera = 1;
    b.NodeAt(eye).translation = {0, 0.5, 6};
    roots.push_back(eye);
    tinygltf::Light sun;
    sun.name = "Noon";
    sun.type = "directional";
    sun.color = {1, 0.5, 0.25};
    sun.intensity = 3;
    b.model.lights.push_back(sun);
    const int lit = b.Node("Sun");
    b.NodeAt(lit).rotation = AxisAngle({1, 0, 0}, -60);
    b.NodeAt(lit).extensions["KHR_lights_punctual"] =
        tinygltf::Value(tinygltf::Value::Object{{"light", tinygltf::Value(0)}});
    b.model.extensionsUsed.push_back("KHR_lights_punctual");
    roots.push_back(lit);
  }
  b.Scene(roots);
  return b.model;
}

tinygltf::Model SkinnedAndMorphed() {
  Builder b;
  tinygltf::Primitive flag;
  flag.attributes["POSITION"] = b.Floats(Quad, 3);
  flag.attributes["NORMAL"] = b.Floats(QuadNormals, 3);
  flag.attributes["JOINTS_0"] = b.Accessor(b.View(std::vector<std::uint8_t>(16, 0)),
                                           TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, 4);
  flag.attributes["WEIGHTS_0"] = b.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, 4);
  flag.targets.push_back({{"POSITION", b.Floats({0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1}, 3)}});
  flag.indices = b.Indices(std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3});
  const int mesh = b.Mesh("Flag", {flag});
  b.model.meshes[static_cast<std::size_t>(mesh)].weights = {0};
  const int node = b.Node("Flag", mesh);
  const int bone = b.Node("Bone");
  tinygltf::Skin skin;
  skin.name = "Rig";
  skin.joints = {bone};
  b.model.skins.push_back(skin);
  b.NodeAt(node).skin = 0;

  tinygltf::Animation wave;
  wave.name = "Wave";
  tinygltf::AnimationSampler sampler;
  sampler.input = b.Floats({0, 1}, 1);
  sampler.output = b.Floats({0, 1}, 1);
  sampler.interpolation = "LINEAR";
  wave.samplers.push_back(sampler);
  tinygltf::AnimationChannel channel;
  channel.sampler = 0;
  channel.target_node = node;
  channel.target_path = "weights";
  wave.channels.push_back(channel);
  b.model.animations.push_back(wave);
  b.Scene({node, bone});
  return b.model;
}

tinygltf::Model TwoAnimatedNodes() {
  Builder b;
  const int mesh = b.Mesh("Box", {BoxPrimitive(b, Box({0, 0, 0}, 0.3), -1)});
  const int early = b.Node("Early", mesh);
  const int late = b.Node("Late", mesh);
  b.NodeAt(late).translation = {2, 0, 0};
  tinygltf::Animation animation;
  const auto channel = [&](int node, const char* path, const std::vector<float>& times,
                           const std::vector<float>& values) {
    tinygltf::AnimationSampler sampler;
    sampler.input = b.Floats(times, 1);
    sampler.output = b.Floats(values, 3);
    sampler.interpolation = "LINEAR";
    animation.samplers.push_back(sampler);
    tinygltf::AnimationChannel c;
    c.sampler = static_cast<int>(animation.samplers.size() - 1);
    c.target_node = node;
    c.target_path = path;
    animation.channels.push_back(c);
  };
  channel(early, "translation", {0, 0.4f}, {0, 0, 0, 1, 0, 0});
  channel(late, "scale", {1, 2, 3}, {1, 1, 1, 2, 2, 2, 1, 1, 1});
  b.model.animations.push_back(animation);
  b.Scene({early, late});
  return b.model;
}

tinygltf::Model PlacedCopies(int copies, double spacing, double half) {
  Builder b;
  const int mesh = b.Mesh("Pebble", {BoxPrimitive(b, Box({0, 0, 0}, half), b.Material("Stone", {0.6, 0.5, 0.4, 1}))});
  const int heap = b.Node("Heap");
  const int row = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(copies))));
  for (int i = 0; i < copies; ++i) {
    const int node = b.Node("Pebble." + std::to_string(i), mesh);
    b.NodeAt(node).translation = {(i % row) * spacing, 0, (i / row) * spacing};
    b.NodeAt(heap).children.push_back(node);
  }
  b.Scene({heap});
  return b.model;
}

tinygltf::Model LargeSunlitScene() {
  tinygltf::Model model = PlacedCopies(4, 500, 20);
  model.nodes[2].scale = {-1, 1, 1};  // "Pebble.1"
  tinygltf::Light sun;
  sun.name = "Daylight";
  sun.type = "directional";
  sun.intensity = 6830;
  model.lights.push_back(sun);
  tinygltf::Node lit;
  lit.name = "Sun";
  lit.rotation = AxisAngle({1, 0.3, 0}, -50);
  lit.extensions["KHR_lights_punctual"] = tinygltf::Value(tinygltf::Value::Object{{"light", tinygltf::Value(0)}});
  model.nodes.push_back(lit);
  model.scenes[0].nodes.push_back(static_cast<int>(model.nodes.size() - 1));
  model.extensionsUsed.push_back("KHR_lights_punctual");
  return model;
}

tinygltf::Model PropOnGround() {
  Builder b;
  const int box = b.Mesh("Box", {BoxPrimitive(b, Box({0, 0, 0}, 0.5), -1)});
  const int ground = b.Node("Ground", box);
  b.NodeAt(ground).scale = {200, 0.01, 200};
  const int prop = b.Node("Prop", box);
  b.NodeAt(prop).translation = {30, 0.5, 20};
  b.Scene({ground, prop});
  return b.model;
}

bool Save(const tinygltf::Model& model, const std::string& path, bool binary) {
  tinygltf::TinyGLTF writer;
  // Images go out as the model holds them (a URI or a buffer view), never re-encoded.
  writer.SetImageWriter(nullptr, nullptr);
  return writer.WriteGltfSceneToFile(&model, path, false, false, true, binary);
}

}  // namespace featurescenes
