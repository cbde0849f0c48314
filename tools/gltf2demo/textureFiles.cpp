#include "tools/gltf2demo/textureFiles.h"

#include <stb/stb_image.h>
#include <tiny_gltf.h>

#include <climits>
#include <cmath>

#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/webpPicture.h"

namespace gltf2demo {

namespace {

// What the engine's texture loader takes without complaint.
constexpr int LargestSide = 16384;

const char* ExtensionOf(const std::string& bytes) {
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) return ".png";
  if (bytes.compare(0, 3, "\xff\xd8\xff") == 0) return ".jpg";
  return nullptr;
}

Address AddressOf(int wrap) {
  switch (wrap) {
    case TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE: return Address::Clamp;
    case TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT: return Address::Mirror;
    default: return Address::Repeat;
  }
}

// The name an image's file is made from: its own name, else its file's, else its number.
std::string BaseNameOf(const tinygltf::Image& image, int index) {
  if (!image.name.empty()) return image.name;
  if (!image.uri.empty() && image.uri.compare(0, 5, "data:") != 0) {
    std::string base = image.uri.substr(image.uri.find_last_of('/') + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    if (!base.empty()) return base;
  }
  return "image" + std::to_string(index);
}

// A number of the transform's; `fallback` when the file does not give it.
double Number(const tinygltf::Value& object, const char* key, int index, double fallback, const std::string& label) {
  if (!object.Has(key)) return fallback;
  const tinygltf::Value& value = index < 0 ? object.Get(key) : object.Get(key).Get(index);
  if (!value.IsNumber() || !std::isfinite(value.GetNumberAsDouble()))
    throw GltfError(label + ": its texture transform's " + key + " is not a finite number");
  return value.GetNumberAsDouble();
}

// The transform offsets, turns (counter-clockwise, in radians) and scales the texture
// coordinates: uv' = offset + rotation (scale uv). The mesh file gets them transformed.
void ReadTransform(const tinygltf::Value& transform, const std::string& label, BaseTexture* out) {
  if (!transform.IsObject()) throw GltfError(label + ": its texture transform is not an object");
  for (const char* pair : {"offset", "scale"}) {
    if (transform.Has(pair) && (!transform.Get(pair).IsArray() || transform.Get(pair).ArrayLen() != 2))
      throw GltfError(label + ": its texture transform's " + pair + " is not two numbers");
  }
  const double ox = Number(transform, "offset", 0, 0, label), oy = Number(transform, "offset", 1, 0, label);
  const double sx = Number(transform, "scale", 0, 1, label), sy = Number(transform, "scale", 1, 1, label);
  const double r = Number(transform, "rotation", -1, 0, label);
  out->uv = {std::cos(r) * sx, -std::sin(r) * sy, ox, std::sin(r) * sx, std::cos(r) * sy, oy};
  if (transform.Has("texCoord")) {
    const double set = Number(transform, "texCoord", -1, 0, label);
    if (set < 0 || set > 64 || set != std::floor(set))
      throw GltfError(label + ": its texture transform's texCoord is not a coordinate set");
    out->texCoord = static_cast<int>(set);
  }
}

}  // namespace

std::string TextureFiles::FileOf(int index) {
  const auto known = fileOfImage.find(index);
  if (known != fileOfImage.end()) return known->second;
  std::string& file = fileOfImage[index];
  const tinygltf::Image& image = model.images[static_cast<std::size_t>(index)];
  const std::string label = "image " + std::to_string(index) + (image.name.empty() ? "" : " '" + image.name + "'");
  std::string bytes;
  if (image.bufferView >= 0) {
    // The reader hands such images over unchecked, so the range is checked here.
    std::string problem;
    const unsigned char* first = ViewBytes(model, image.bufferView, &problem);
    if (!first) throw GltfError(label + ": " + problem);
    bytes.assign(reinterpret_cast<const char*>(first), model.bufferViews[static_cast<std::size_t>(image.bufferView)].byteLength);
  } else {
    bytes.assign(image.image.begin(), image.image.end());
  }
  if (bytes.empty()) {
    notes.LeftOut("the textures that show " + label + ": its file " +
                  (image.uri.empty() ? std::string("is missing") : "'" + image.uri + "' cannot be read"));
    return file;
  }
  if (IsWebp(bytes)) {
    std::string problem;
    bytes = WebpAsPng(bytes, LargestSide, &problem);
    if (bytes.empty()) {
      notes.LeftOut("the textures that show " + label + ": " + problem);
      return file;
    }
  }
  const char* extension = ExtensionOf(bytes);
  int width = 0, height = 0, channels = 0;
  if (!extension || bytes.size() > INT_MAX ||
      !stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(bytes.size()), &width, &height,
                             &channels)) {
    notes.LeftOut("the textures that show " + label + ": it is not a PNG, JPEG or WebP picture" +
                  (image.mimeType.empty() ? std::string() : " (" + image.mimeType + ")"));
    return file;
  }
  if (width > LargestSide || height > LargestSide) {
    notes.LeftOut("the textures that show " + label + ": its " + std::to_string(width) + "x" + std::to_string(height) +
                  " pixels are more than the engine takes");
    return file;
  }
  file = names.Unique(FileNameOf(BaseNameOf(image, index)), extension);
  images.push_back({file, std::move(bytes)});
  return file;
}

std::optional<BaseTexture> TextureFiles::BaseColour(int material, const std::string& label) {
  const tinygltf::TextureInfo& info = model.materials[static_cast<std::size_t>(material)].pbrMetallicRoughness.baseColorTexture;
  return Texture(info.index, info.texCoord, info.extensions, label, "base colour texture");
}

std::optional<BaseTexture> TextureFiles::Texture(int index, int texCoord,
                                                 const std::map<std::string, tinygltf::Value>& extensions,
                                                 const std::string& label, const std::string& what) {
  if (index < 0) return std::nullopt;
  if (static_cast<std::size_t>(index) >= model.textures.size())
    throw GltfError(label + ": texture " + std::to_string(index) + " does not exist");
  const tinygltf::Texture& texture = model.textures[static_cast<std::size_t>(index)];
  const std::string textureLabel = "texture " + std::to_string(index);
  // A WebP picture is named by the extension, with `source` a fallback where the file
  // has one; without one, the WebP picture is taken (it is written as a PNG file).
  int source = texture.source;
  const auto webp = texture.extensions.find("EXT_texture_webp");
  if (source < 0 && webp != texture.extensions.end() && webp->second.IsObject() && webp->second.Has("source") &&
      webp->second.Get("source").IsNumber())
    source = webp->second.Get("source").GetNumberAsInt();
  if (source < 0) {
    std::string how;
    for (const auto& extension : texture.extensions) how += (how.empty() ? " (" : ", ") + extension.first;
    notes.LeftOut(textureLabel + ": its picture is in a form the engine does not read" + (how.empty() ? "" : how + ")"));
    return std::nullopt;
  }
  if (static_cast<std::size_t>(source) >= model.images.size())
    throw GltfError(textureLabel + ": image " + std::to_string(source) + " does not exist");
  BaseTexture out;
  out.file = FileOf(source);
  if (out.file.empty()) return std::nullopt;
  if (texCoord < 0) throw GltfError(label + ": its " + what + "'s coordinate set is negative");
  out.texCoord = texCoord;
  const auto transform = extensions.find("KHR_texture_transform");
  if (transform != extensions.end()) ReadTransform(transform->second, label, &out);
  if (texture.sampler >= 0) {
    if (static_cast<std::size_t>(texture.sampler) >= model.samplers.size())
      throw GltfError(textureLabel + ": sampler " + std::to_string(texture.sampler) + " does not exist");
    const tinygltf::Sampler& sampler = model.samplers[static_cast<std::size_t>(texture.sampler)];
    out.addressU = AddressOf(sampler.wrapS);
    out.addressV = AddressOf(sampler.wrapT);
    out.nearest = sampler.magFilter == TINYGLTF_TEXTURE_FILTER_NEAREST;
  }
  return out;
}

}  // namespace gltf2demo
