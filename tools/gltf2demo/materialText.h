#pragma once

// The material a converted mesh gets: the glTF material as glTF describes it (fx/gltf.fx:
// metallic-roughness shading, its textures, emission, occlusion, alpha modes, unlit), in
// the light of the scene's lamp and the part's ambient.

#include <array>
#include <optional>
#include <string>

#include "tools/gltf2demo/notes.h"
#include "tools/gltf2demo/textureFiles.h"

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// The sun of the scene, as the materials can show it.
struct Sunlight {
  double strength = 1;  // the materials' Sunlight
  std::array<double, 3> colour = {1, 1, 1};  // display values
};

struct SurfaceLook {
  std::optional<BaseTexture> texture;  // the base colour texture; its transform is in the mesh's coordinates
  std::string textureFolder;  // where the program finds the texture's file ("data/intro.demo_scene/")
  bool coloured = false;      // the mesh has vertex colours
  bool firstUV = false;       // the mesh file has glTF's texture coordinate set 0 (TEXCOORD)
  bool tangents = false;      // the mesh file has a TANGENT stream (four floats: xyz and handedness)
  bool secondUV = false;      // the mesh file has a second texture coordinate set (TEXCOORD1)
  bool shadows = true;        // casts and takes the lamp's shadows
  Sunlight sun;
};

// The material script for a mesh drawn with glTF material `material` (-1: none, which
// gets a light grey dielectric rather than glTF's default white metal, since the demo's
// post chain makes white glow and a metal shows nothing but its surroundings). `mesh`
// names the mesh in the script's comment; `textures` takes the pictures the material
// shows. Raises GltfError for a material or texture that does not exist.
std::string MaterialText(const tinygltf::Model& model, int material, const std::string& mesh, const SurfaceLook& look,
                         TextureFiles& textures, Notes& notes);

// The material of the post-processing chain's trigger.
std::string PostMaterialText();

// A linear colour component as the display value the demo's materials are written in.
double DisplayValue(double linear);

}  // namespace gltf2demo
