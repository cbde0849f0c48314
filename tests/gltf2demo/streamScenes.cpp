#include "streamScenes.h"

#include <cstring>
#include <vector>

namespace streamscenes {

namespace {

// Appends `values` to the model's one buffer as a view and an accessor of `type`.
int Accessor(tinygltf::Model& model, const void* data, std::size_t bytes, std::size_t count, int componentType,
             int type) {
  std::vector<unsigned char>& buffer = model.buffers[0].data;
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = buffer.size();
  view.byteLength = bytes;
  buffer.insert(buffer.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + bytes);
  model.bufferViews.push_back(view);
  tinygltf::Accessor accessor;
  accessor.bufferView = static_cast<int>(model.bufferViews.size() - 1);
  accessor.componentType = componentType;
  accessor.type = type;
  accessor.count = count;
  model.accessors.push_back(accessor);
  return static_cast<int>(model.accessors.size() - 1);
}

int Floats(tinygltf::Model& model, const std::vector<float>& values, int components) {
  return Accessor(model, values.data(), values.size() * sizeof(float), values.size() / static_cast<std::size_t>(components),
                  TINYGLTF_COMPONENT_TYPE_FLOAT, components);
}

// The squares' corners, x and y: the left one, then the right one, each counter-clockwise.
constexpr float Corners[8][2] = {{-1, 0}, {0, 0}, {0, 1}, {-1, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};

}  // namespace

std::vector<float> PanelSecondSet() {
  std::vector<float> uv;
  for (const auto& c : Corners) uv.insert(uv.end(), {c[0] / 4, c[1] / 4 + 0.5f});
  return uv;
}

tinygltf::Model Panel(const PanelOptions& options) {
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.buffers.emplace_back();
  std::vector<float> positions, normals, set0, tangents;
  for (int v = 0; v < 8; ++v) {
    const float x = Corners[v][0], y = Corners[v][1];
    const bool right = v >= 4;
    positions.insert(positions.end(), {x, y, 0});
    normals.insert(normals.end(), {0, 0, 1});
    if (options.sameCoordinates) {
      set0.insert(set0.end(), {0.5f, 0.5f});
    } else {
      set0.insert(set0.end(), {right ? 1 - x : x + 1, 1 - y});
    }
    tangents.insert(tangents.end(), {right ? -1.0f : 1.0f, 0, 0, right ? -1.0f : 1.0f});
  }
  const std::vector<std::uint16_t> indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};

  tinygltf::Primitive primitive;
  primitive.mode = TINYGLTF_MODE_TRIANGLES;
  primitive.attributes["POSITION"] = Floats(model, positions, 3);
  if (options.normals) primitive.attributes["NORMAL"] = Floats(model, normals, 3);
  if (options.fileTangents) primitive.attributes["TANGENT"] = Floats(model, tangents, 4);
  primitive.attributes["TEXCOORD_0"] = Floats(model, set0, 2);
  primitive.attributes["TEXCOORD_1"] = Floats(model, PanelSecondSet(), 2);
  primitive.indices = Accessor(model, indices.data(), indices.size() * 2, indices.size(),
                               TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR);
  primitive.material = 0;

  tinygltf::Material material;
  material.name = "Bumpy";
  material.doubleSided = options.doubleSided;
  if (options.normalSet >= 0) {
    material.normalTexture.index = 0;
    material.normalTexture.texCoord = options.normalSet;
  }
  if (options.occlusionOnSet1) {
    material.occlusionTexture.index = 0;
    material.occlusionTexture.texCoord = 1;
  }
  model.materials.push_back(material);
  tinygltf::Image image;
  image.uri = "bumps.png";
  model.images.push_back(image);
  tinygltf::Texture texture;
  texture.source = 0;
  model.textures.push_back(texture);

  tinygltf::Mesh mesh;
  mesh.name = "Panel";
  mesh.primitives.push_back(primitive);
  model.meshes.push_back(mesh);
  tinygltf::Node node;
  node.name = "Panel";
  node.mesh = 0;
  model.nodes.push_back(node);
  tinygltf::Scene scene;
  scene.nodes.push_back(0);
  model.scenes.push_back(scene);
  model.defaultScene = 0;
  return model;
}

}  // namespace streamscenes
