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

std::string Float4(const std::array<double, 3>& rgb) {
  return "{" + Number(rgb[0]) + ", " + Number(rgb[1]) + ", " + Number(rgb[2]) + ", 1}";
}

// Lua string literal for text made of file-name characters and '/'.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

double DisplayValue(double linear) {
  const double c = std::max(0.0, std::min(1.0, linear));
  return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

std::string MaterialText(const tinygltf::Model& model, int index, const std::string& mesh, const SurfaceLook& look,
                         Notes& notes) {
  std::string name, what = "the surface's own grey";
  std::vector<std::string> params;
  if (index >= 0) {
    if (static_cast<std::size_t>(index) >= model.materials.size())
      throw GltfError("material " + std::to_string(index) + " of mesh '" + mesh + "' does not exist");
    const tinygltf::Material& material = model.materials[static_cast<std::size_t>(index)];
    name = material.name.empty() ? std::to_string(index) : material.name;
    NoteLeftOut(material, "material '" + name + "'", notes);
    std::array<double, 3> colour = {1, 1, 1};
    const std::vector<double>& factor = material.pbrMetallicRoughness.baseColorFactor;
    if (factor.size() == 4) {
      for (std::size_t c = 0; c < 3; ++c) colour[c] = DisplayValue(factor[c]);
    }
    params.push_back("{\"Colour\", \"float4\", " + Float4(colour) + "}");
    what = "its base colour";
  }
  if (look.texture) {
    const BaseTexture& texture = *look.texture;
    params.push_back("{\"BaseColour\", \"tex\", " + Quoted(look.textureFolder + texture.file) + "}");
    if (texture.addressU != Address::Repeat) params.push_back("{\"AddressU\", \"int\", " + std::to_string(static_cast<int>(texture.addressU)) + "}");
    if (texture.addressV != Address::Repeat) params.push_back("{\"AddressV\", \"int\", " + std::to_string(static_cast<int>(texture.addressV)) + "}");
    if (texture.nearest) params.push_back("{\"Nearest\", \"bool\", true}");
    what += " times its texture " + texture.file;
  }
  if (look.coloured) what += " times the vertex colours";
  if (look.sun.strength != 1) params.push_back("{\"Sunlight\", \"float\", " + Number(look.sun.strength) + "}");
  if (look.sun.colour != std::array<double, 3>{1, 1, 1}) params.push_back("{\"SunColour\", \"float4\", " + Float4(look.sun.colour) + "}");

  const std::string surface = std::string(look.shadows ? "fx/lit" : "fx/plain") + (look.texture ? "_textured" : "") +
                              (look.coloured ? "_coloured" : "") + ".tpl";
  const std::string templates = look.shadows ? "{\"fx/shadowcaster.tpl\", \"" + surface + "\"}" : Quoted(surface);
  std::string text = "-- " + CommentText(mesh) + ": " +
                     (index >= 0 ? "glTF material '" + CommentText(name) + "'" : std::string("no glTF material")) + ", " + what +
                     " on the lit surface" + (look.shadows ? ", casting and taking shadows" : "") + " (made by gltf2demo).\n"
                     "effect = {\n"
                     "  {template = " + templates;
  if (!params.empty()) {
    text += ",\n   params = {";
    for (std::size_t i = 0; i < params.size(); ++i) text += (i ? ",\n             " : "") + params[i];
    text += "}";
  }
  return text + "},\n}\n";
}

std::string PostMaterialText() {
  return "-- Brings in the post-processing chain (made by gltf2demo).\n"
         "effect = {\n"
         "  {template = \"fx/post.tpl\"},\n"
         "}\n";
}

}  // namespace gltf2demo
