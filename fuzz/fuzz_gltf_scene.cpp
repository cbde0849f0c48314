// Feeds arbitrary bytes to gltf2demo as a .gltf or .glb file, and checks that whatever it
// converts is what the engine reads: the demo file parses back, and every mesh file
// loads as a mesh.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tiny_gltf.h>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/demoFileReader.h"
#include "tools/demo/demoWriter.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/gltfLoad.h"
#include "tools/gltf2demo/sceneConversion.h"

namespace {

// A private folder, so that buffer files named by an input resolve to nothing.
std::string folder;

bool WriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  char dir[] = "/tmp/neblu-fuzz-gltf-XXXXXX";
  if (!mkdtemp(dir)) std::abort();
  folder = dir;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string scene = folder + "/scene.gltf";
  if (!WriteFile(scene, data, size)) return 0;
  tinygltf::Model model;
  std::vector<std::string> warnings;
  gltf2demo::ConvertedScene converted;
  try {
    gltf2demo::LoadGltf(scene, &model, &warnings);
    gltf2demo::Notes notes;
    gltf2demo::SceneOptions options;
    // Rotations are sampled every frame: a short scene keeps each input quick.
    options.lengthSeconds = 2.0;
    // So does a small budget, which the seeds budget_*.gltf reach with few bytes.
    options.budget = {std::uint64_t{1} << 17, std::uint64_t{1} << 24};
    converted = gltf2demo::ConvertScene(model, options, notes);
  } catch (const gltf2demo::GltfError&) {
    return 0;
  }
  try {
    engine::gfx::ParseDemoFile(demo::EncodeDemoFile(converted.demo), "converted.demo");
  } catch (const engine::core::Exception& e) {
    std::fprintf(stderr, "converted demo file refused: %s\n", engine::core::ToNarrow(e.GetText()).c_str());
    std::abort();
  }
  const std::string mesh = folder + "/mesh.nbl";
  for (const gltf2demo::MeshFile& file : converted.meshes) {
    if (!WriteFile(mesh, file.bytes->data(), file.bytes->size())) continue;
    try {
      engine::gfx::LoadNBLMesh loaded(engine::core::ToWide(mesh));
    } catch (const engine::core::Exception& e) {
      std::fprintf(stderr, "converted mesh %s refused: %s\n", file.name.c_str(),
                   engine::core::ToNarrow(e.GetText()).c_str());
      std::abort();
    }
  }
  return 0;
}
