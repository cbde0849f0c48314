#include "tools/gltf2demo/materialText.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

// Text safe inside a one-line Lua comment.
std::string CommentText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += c < 0x20 || c == 0x7f ? '?' : static_cast<char>(c);
  return out;
}

std::string Number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", value);
  return buf;
}

void NoteLeftOut(const tinygltf::Material& material, const std::string& label, Notes& notes) {
  std::vector<std::string> textures;
  if (material.pbrMetallicRoughness.baseColorTexture.index >= 0) textures.push_back("base colour");
  if (material.pbrMetallicRoughness.metallicRoughnessTexture.index >= 0) textures.push_back("metallic-roughness");
  if (material.normalTexture.index >= 0) textures.push_back("normal");
  if (material.occlusionTexture.index >= 0) textures.push_back("occlusion");
  if (material.emissiveTexture.index >= 0) textures.push_back("emissive");
  if (!textures.empty()) {
    std::string list;
    for (const std::string& t : textures) list += (list.empty() ? "" : ", ") + t;
    notes.LeftOut(label + ": textures (" + list + ")");
  }
  if (material.alphaMode == "BLEND" || material.alphaMode == "MASK")
    notes.LeftOut(label + ": transparency (alphaMode " + material.alphaMode + "); drawn opaque");
  for (double e : material.emissiveFactor) {
    if (e > 0) {
      notes.LeftOut(label + ": emission");
      break;
    }
  }
}

}  // namespace

double DisplayValue(double linear) {
  const double c = std::max(0.0, std::min(1.0, linear));
  return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

std::string MaterialText(const tinygltf::Model& model, int index, const std::string& mesh, Notes& notes) {
  if (index < 0) {
    // glTF's default material is a white that the demo's post chain would make glow; the
    // surface's own light grey stands in for it.
    return "-- " + CommentText(mesh) + ": no glTF material, the plain lit surface in its own grey (made by gltf2demo).\n"
           "effect = {\n"
           "  {template = \"fx/plain.tpl\"},\n"
           "}\n";
  }
  if (static_cast<std::size_t>(index) >= model.materials.size())
    throw GltfError("material " + std::to_string(index) + " of mesh '" + mesh + "' does not exist");
  const tinygltf::Material& material = model.materials[static_cast<std::size_t>(index)];
  const std::string name = material.name.empty() ? std::to_string(index) : material.name;
  NoteLeftOut(material, "material '" + name + "'", notes);
  std::vector<double> colour = {1, 1, 1, 1};
  if (material.pbrMetallicRoughness.baseColorFactor.size() == 4) colour = material.pbrMetallicRoughness.baseColorFactor;
  std::string rgb;
  for (std::size_t c = 0; c < 3; ++c) rgb += Number(DisplayValue(colour[c])) + ", ";
  return "-- " + CommentText(mesh) + ": glTF material '" + CommentText(name) +
         "', its base colour on the plain lit surface (made by gltf2demo).\n"
         "effect = {\n"
         "  {template = \"fx/plain.tpl\", params = {{\"Colour\", \"float4\", {" + rgb + "1}}}},\n"
         "}\n";
}

std::string PostMaterialText() {
  return "-- Brings in the post-processing chain (made by gltf2demo).\n"
         "effect = {\n"
         "  {template = \"fx/post.tpl\"},\n"
         "}\n";
}

}  // namespace gltf2demo
