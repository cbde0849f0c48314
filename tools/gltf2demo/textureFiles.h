#pragma once

// The textures a scene's materials use: their images as files for the part's folder, and
// how each material samples each of its textures.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/gltf2demo/names.h"
#include "tools/gltf2demo/notes.h"

namespace tinygltf {
class Model;
class Value;
}

namespace gltf2demo {

// Addressing as surface.fx and gltf.fx number it.
enum class Address { Repeat = 0, Clamp = 1, Mirror = 2 };

struct BaseTexture {
  std::string file;  // the image's file name in the part's folder
  int texCoord = 0;  // the TEXCOORD_n set it is laid on with
  // Where the texture's transform (KHR_texture_transform) takes a coordinate pair:
  // u' = uv[0] u + uv[1] v + uv[2], v' = uv[3] u + uv[4] v + uv[5].
  std::array<double, 6> uv = {1, 0, 0, 0, 1, 0};
  Address addressU = Address::Repeat, addressV = Address::Repeat;
  bool nearest = false;  // unfiltered texels
};

struct ImageFile {
  std::string name;   // file name in the part's folder
  std::string bytes;  // the PNG or JPEG file as the scene holds it
};

class TextureFiles {
 public:
  TextureFiles(const tinygltf::Model& source, Notes& leftOut) : model(source), notes(leftOut) {}

  // The base colour texture of glTF material `material`, its image taken into Images()
  // the first time; none when the material has no texture or its image cannot be used
  // (said in the notes). `label` names the material in notes. Broken references raise
  // GltfError.
  std::optional<BaseTexture> BaseColour(int material, const std::string& label);

  // Any texture of a material: glTF texture `index` (-1: none) laid on with set
  // `texCoord`, `extensions` being its texture info's (for KHR_texture_transform); as
  // BaseColour, with `what` ("normal texture") naming it in messages.
  std::optional<BaseTexture> Texture(int index, int texCoord, const std::map<std::string, tinygltf::Value>& extensions,
                                     const std::string& label, const std::string& what);

  const std::vector<ImageFile>& Images() const { return images; }

 private:
  // The file name of image `index` in the part's folder; empty when it cannot be used.
  std::string FileOf(int index);

  const tinygltf::Model& model;
  Notes& notes;
  NameSet names;
  std::map<int, std::string> fileOfImage;
  std::vector<ImageFile> images;
};

}  // namespace gltf2demo
