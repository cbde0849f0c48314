#include "tools/gltf2demo/materialText.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/gltf2demo/gltfError.h"

namespace gltf2demo {

namespace {

// A map of texture coordinates, u' = m[0] u + m[1] v + m[2], v' = m[3] u + m[4] v + m[5]
// (BaseTexture's uv).
using Affine = std::array<double, 6>;
constexpr Affine Identity = {1, 0, 0, 0, 1, 0};

// `second` applied after `first`.
Affine Then(const Affine& first, const Affine& second) {
  return {second[0] * first[0] + second[1] * first[3], second[0] * first[1] + second[1] * first[4],
          second[0] * first[2] + second[1] * first[5] + second[2], second[3] * first[0] + second[4] * first[3],
          second[3] * first[1] + second[4] * first[4], second[3] * first[2] + second[4] * first[5] + second[5]};
}

std::optional<Affine> Inverse(const Affine& m) {
  const double det = m[0] * m[4] - m[1] * m[3];
  if (!(std::fabs(det) > 1e-12)) return std::nullopt;
  const double a = m[4] / det, b = -m[1] / det, c = -m[3] / det, d = m[0] / det;
  return Affine{a, b, -(a * m[2] + b * m[5]), c, d, -(c * m[2] + d * m[5])};
}

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

std::string Floats(std::initializer_list<double> values) {
  std::string out;
  for (double v : values) out += (out.empty() ? "{" : ", ") + Number(v);
  return out + "}";
}

std::string Float4(const std::array<double, 3>& rgb) { return Floats({rgb[0], rgb[1], rgb[2], 1}); }

// Lua string literal for text made of file-name characters and '/'.
std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

double Clamped(double value, double low, double high) {
  return std::isfinite(value) ? std::max(low, std::min(high, value)) : low;
}

// What gltf.fx reads of a material; the defaults are the grey of a mesh without one.
struct Shading {
  std::array<double, 4> base = {0.6038, 0.6038, 0.6038, 1};  // linear; the demo's grey 0.8 on display
  double metallic = 0, roughness = 1, normalScale = 1, occlusionStrength = 1;
  std::array<double, 3> emissive = {0, 0, 0};
  int alphaMode = 0;  // 0 opaque, 1 mask, 2 blend
  double alphaCutoff = 0.5;
  bool unlit = false;
};

// One of gltf.fx's pictures as the material lays it on.
struct Map {
  const char* name;  // gltf.fx's prefix: "BaseColour", ...
  const char* what;  // for notes: "base colour texture"
  std::optional<BaseTexture> texture;
  int stream = -1;   // 0 TEXCOORD, 1 TEXCOORD1
  Affine rows = Identity;
};

// The vertex stream that holds glTF texture coordinate set `set`: 0 TEXCOORD, 1
// TEXCOORD1, -1 when the mesh file has not got it.
int StreamOf(const SurfaceLook& look, int set) {
  if (set == 1 && look.secondUV) return 1;
  if (set == 0 && (look.firstUV || (look.texture && look.texture->texCoord == 0))) return 0;
  return -1;
}

// Lays `map` on the mesh, or leaves it out with a note. The mesh file's coordinates of the
// base colour texture's set already carry that texture's transform, so a texture on the
// same set is given its own transform after undoing that one.
void Place(const SurfaceLook& look, const std::string& label, Map& map, Notes& notes) {
  if (!map.texture) return;
  const BaseTexture& texture = *map.texture;
  map.stream = StreamOf(look, texture.texCoord);
  if (map.stream < 0) {
    notes.LeftOut(label + ": its " + map.what + ", since the mesh has no texture coordinates TEXCOORD_" +
                  std::to_string(texture.texCoord));
    map.texture.reset();
    return;
  }
  const bool carried = look.texture && look.texture->texCoord == texture.texCoord;
  if (!carried) {
    map.rows = texture.uv;
    return;
  }
  if (look.texture->uv == texture.uv) return;  // the coordinates are already this texture's
  const std::optional<Affine> undo = Inverse(look.texture->uv);
  if (!undo) {
    notes.LeftOut(label + ": the texture transform of its " + map.what +
                  ", since the base colour texture's on the same coordinates cannot be undone");
    return;
  }
  map.rows = Then(*undo, texture.uv);
}

Shading ShadingOf(const tinygltf::Material& material, const std::string& label, Notes& notes) {
  Shading s;
  const tinygltf::PbrMetallicRoughness& pbr = material.pbrMetallicRoughness;
  if (pbr.baseColorFactor.size() == 4) {
    for (std::size_t c = 0; c < 4; ++c) s.base[c] = Clamped(pbr.baseColorFactor[c], 0, 1);
  } else {
    s.base = {1, 1, 1, 1};
  }
  s.metallic = Clamped(pbr.metallicFactor, 0, 1);
  s.roughness = Clamped(pbr.roughnessFactor, 0, 1);
  s.normalScale = std::isfinite(material.normalTexture.scale) ? material.normalTexture.scale : 1;
  s.occlusionStrength = Clamped(material.occlusionTexture.strength, 0, 1);
  double strength = 1;
  const auto emissiveStrength = material.extensions.find("KHR_materials_emissive_strength");
  if (emissiveStrength != material.extensions.end() && emissiveStrength->second.Has("emissiveStrength")) {
    const tinygltf::Value& value = emissiveStrength->second.Get("emissiveStrength");
    if (!value.IsNumber() || !std::isfinite(value.GetNumberAsDouble()) || value.GetNumberAsDouble() < 0)
      throw GltfError(label + ": its emissive strength is not a number of 0 or more");
    strength = value.GetNumberAsDouble();
  }
  if (material.emissiveFactor.size() == 3) {
    for (std::size_t c = 0; c < 3; ++c) s.emissive[c] = Clamped(material.emissiveFactor[c], 0, 1) * strength;
  }
  if (material.alphaMode == "MASK") {
    s.alphaMode = 1;
  } else if (material.alphaMode == "BLEND") {
    s.alphaMode = 2;
  } else if (material.alphaMode != "OPAQUE" && !material.alphaMode.empty()) {
    notes.LeftOut(label + ": alphaMode '" + material.alphaMode + "'; drawn opaque");
  }
  s.alphaCutoff = std::isfinite(material.alphaCutoff) ? material.alphaCutoff : 0.5;
  s.unlit = material.extensions.count("KHR_materials_unlit") > 0;
  // Extensions that change a material's look and are not drawn.
  for (const auto& extension : material.extensions) {
    const std::string& name = extension.first;
    if (name != "KHR_materials_emissive_strength" && name != "KHR_materials_unlit" && name != "KHR_materials_ior" &&
        name != "KHR_materials_specular")
      notes.LeftOut(label + ": " + name);
  }
  return s;
}

// The technique of gltf.fx whose vertex layout reads what the material uses of the mesh.
std::string Technique(bool blended, bool uv0, bool uv1, bool tangent, bool coloured) {
  std::string layout = std::string(uv0 && uv1 ? "_UV01" : uv0 ? "_UV0" : uv1 ? "_UV1" : "") + (tangent ? "_Tangent" : "") +
                       (coloured ? "_Colour" : "");
  return (blended ? "Blended" : "Opaque") + (layout.empty() ? std::string("_Plain") : layout);
}

}  // namespace

double DisplayValue(double linear) {
  const double c = std::max(0.0, std::min(1.0, linear));
  return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

std::string MaterialText(const tinygltf::Model& model, int index, const std::string& mesh, const SurfaceLook& look,
                         TextureFiles& textures, Notes& notes) {
  std::string name;
  Shading shading;
  std::array<Map, 5> maps = {Map{"BaseColour", "base colour texture", {}}, Map{"MetallicRoughness", "metallic-roughness texture", {}},
                             Map{"Normal", "normal texture", {}}, Map{"Occlusion", "occlusion texture", {}},
                             Map{"Emissive", "emissive texture", {}}};
  Map &base = maps[0], &metallicRoughness = maps[1], &normal = maps[2], &occlusion = maps[3], &emissive = maps[4];
  if (index >= 0) {
    if (static_cast<std::size_t>(index) >= model.materials.size())
      throw GltfError("material " + std::to_string(index) + " of mesh '" + mesh + "' does not exist");
    const tinygltf::Material& material = model.materials[static_cast<std::size_t>(index)];
    name = material.name.empty() ? std::to_string(index) : material.name;
    const std::string label = "material '" + name + "'";
    shading = ShadingOf(material, label, notes);
    base.texture = look.texture;
    if (!shading.unlit) {
      const tinygltf::TextureInfo& mr = material.pbrMetallicRoughness.metallicRoughnessTexture;
      metallicRoughness.texture = textures.Texture(mr.index, mr.texCoord, mr.extensions, label, metallicRoughness.what);
      const tinygltf::NormalTextureInfo& n = material.normalTexture;
      normal.texture = textures.Texture(n.index, n.texCoord, n.extensions, label, normal.what);
      const tinygltf::OcclusionTextureInfo& o = material.occlusionTexture;
      occlusion.texture = textures.Texture(o.index, o.texCoord, o.extensions, label, occlusion.what);
      const tinygltf::TextureInfo& e = material.emissiveTexture;
      emissive.texture = textures.Texture(e.index, e.texCoord, e.extensions, label, emissive.what);
    }
    for (Map& map : maps) Place(look, "mesh '" + mesh + "'", map, notes);
    if (normal.texture && !look.tangents) {
      notes.LeftOut("mesh '" + mesh + "': its " + normal.what + ", since the mesh has no tangents");
      normal.texture.reset();
    }
  }

  const bool blended = shading.alphaMode == 2;
  bool uv0 = false, uv1 = false;
  for (const Map& map : maps) {
    uv0 = uv0 || (map.texture && map.stream == 0);
    uv1 = uv1 || (map.texture && map.stream == 1);
  }
  const bool tangent = normal.texture.has_value();

  std::vector<std::string> params;
  auto add = [&params](const std::string& param, const char* type, const std::string& value) {
    params.push_back("{\"" + param + "\", \"" + type + "\", " + value + "}");
  };
  add("BaseColourFactor", "float4", Floats({shading.base[0], shading.base[1], shading.base[2], shading.base[3]}));
  add("Metallic", "float", Number(shading.metallic));
  add("Roughness", "float", Number(shading.roughness));
  add("NormalScale", "float", Number(shading.normalScale));
  add("OcclusionStrength", "float", Number(shading.occlusionStrength));
  add("Emissive", "float4", Floats({shading.emissive[0], shading.emissive[1], shading.emissive[2], 0}));
  add("AlphaMode", "int", std::to_string(shading.alphaMode));
  add("AlphaCutoff", "float", Number(shading.alphaCutoff));
  add("Unlit", "bool", shading.unlit ? "true" : "false");
  std::string shown;
  for (const Map& map : maps) {
    const std::string prefix = map.name;
    if (!map.texture) {
      add(prefix + "Sampling", "float4", "{-1, 0, 0, 0}");
      continue;
    }
    const BaseTexture& texture = *map.texture;
    add(prefix + "Map", "tex", Quoted(look.textureFolder + texture.file));
    add(prefix + "Sampling", "float4",
        Floats({static_cast<double>(map.stream), static_cast<double>(texture.addressU), static_cast<double>(texture.addressV),
                texture.nearest ? 1.0 : 0.0}));
    add(prefix + "U", "float3", Floats({map.rows[0], map.rows[1], map.rows[2]}));
    add(prefix + "V", "float3", Floats({map.rows[3], map.rows[4], map.rows[5]}));
    shown += (shown.empty() ? "" : ", ") + std::string(map.what) + " " + texture.file;
  }
  // The part's light, as the demo's lit surfaces have it.
  add("Sky", "float4", "{0.35, 0.38, 0.45, 1}");
  add("Ground", "float4", "{0.12, 0.11, 0.1, 1}");
  add("Sunlight", "float", Number(look.sun.strength));
  add("SunColour", "float4", Float4(look.sun.colour));
  add("Shadows", "bool", look.shadows ? "true" : "false");
  if (look.shadows) add("ShadowMap", "target", "\"ShadowMap\"");

  std::string streams = "{\"pos\", \"POSITION\"}, {\"normal\", \"NORMAL\"}";
  if (uv0) streams += ", {\"tex\", \"TEXCOORD\"}";
  // A see-through surface casts no shadow and is drawn after the opaque ones it covers.
  const bool casts = look.shadows && !blended;
  std::string what = index >= 0 ? "glTF material '" + CommentText(name) + "'" : std::string("no glTF material");
  what += shading.unlit ? ", unlit" : ", metallic-roughness";
  if (!shown.empty()) what += " with its " + CommentText(shown);
  if (look.coloured) what += ", times the vertex colours";
  what += shading.alphaMode == 1 ? ", alpha masked" : blended ? ", alpha blended" : "";
  what += casts ? ", casting and taking shadows" : look.shadows ? ", taking shadows" : "";

  std::string text = "-- " + CommentText(mesh) + ": " + what + " (made by gltf2demo).\n"
                     "effect = {\n"
                     "  {" + std::string(casts ? "template = \"fx/shadowcaster.tpl\",\n   " : "") +
                     "pass = {{fx = \"gltf\", tec = \"" + Technique(blended, uv0, uv1, tangent, look.coloured) +
                     "\", rendertarget = \"Scene\", depthtarget = \"SceneDepth\"" + (blended ? ", priority = 1" : "") +
                     ",\n            params = {";
  for (std::size_t i = 0; i < params.size(); ++i) text += (i ? ",\n                      " : "") + params[i];
  return text + "},\n            streams = {" + streams + "}}}},\n}\n";
}

std::string PostMaterialText() {
  return "-- Brings in the post-processing chain (made by gltf2demo).\n"
         "effect = {\n"
         "  {template = \"fx/post.tpl\"},\n"
         "}\n";
}

}  // namespace gltf2demo
