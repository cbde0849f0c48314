#pragma once

#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

namespace gltf2demo {

// Reads a glTF scene, text (.gltf) or binary (.glb), told apart by the binary form's
// magic rather than the name. External buffers and images are read relative to the
// file; images are kept as their files' bytes (as_is), not decoded. Raises GltfError with the reader's
// reason; its warnings are appended to `warnings`.
void LoadGltf(const std::string& path, tinygltf::Model* model, std::vector<std::string>* warnings);

}  // namespace gltf2demo
