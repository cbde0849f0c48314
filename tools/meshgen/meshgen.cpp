// meshgen OUT_DATA_DIR: writes the demo's meshes, made from code, below the data folder
// (subfolders created as needed). Nothing is printed on success; a file that cannot be
// written is named on standard error with exit status 1; bad usage gives status 2.
//
// What it writes:
//   points.demo_scene/Cubes.nbl       the cube the points scene copies 256 times
//   city.demo_scene/Cube.nbl          the night-city block, one triangle per 3 vertices
//   city.demo_scene/Sofa.nbl          a three-seat sofa
//   city.demo_scene/Ground.nbl        a 200 x 200 ground plane
//   credits.demo_scene/Sofa.nbl       the same sofa
//   credits.demo_scene/Sofa.001.nbl   an armchair to go with it
//   credits.demo_scene/creditA.nbl    "Orv" in pixel letters
//   credits.demo_scene/and.nbl        "and", smaller
//   credits.demo_scene/creditB.nbl    "NEBLU"
//   stars.demo_scene/Planet.nbl       a unit sphere
//   intro.demo_scene/Frame.nbl        the border around the intro's tile grid
//   PART.demo_scene/Post.nbl          one degenerate triangle a part, which only carries
//                                     the post chain's material (the engine draws its quad)

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "tools/meshgen/demoModels.h"

namespace {

void Usage(std::ostream& out) {
  out << "usage: meshgen OUT_DATA_DIR\n"
         "Writes the demo's generated meshes (.nbl) below OUT_DATA_DIR, making subfolders as needed:\n";
  for (const meshgen::MeshFile& file : meshgen::DemoMeshFiles()) out << "  " << file.path << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(std::cout);
    return 0;
  }
  if (argc != 2 || argv[1][0] == '-') {
    Usage(std::cerr);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const meshgen::MeshFile& file : meshgen::DemoMeshFiles()) {
    const std::filesystem::path path = root / file.path;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      std::cerr << "meshgen: cannot make the folder for " << path.string() << ": " << error.message() << "\n";
      return 1;
    }
    if (!meshgen::SaveNBL(file.build(), path.string())) {
      std::cerr << "meshgen: cannot write " << path.string() << "\n";
      return 1;
    }
  }
  return 0;
}
