// gltf2demo_test_scene [--glb] FOLDER: writes the gltf2demo tests' glTF scene
// (testScene.h) into FOLDER as scene.gltf and scene.bin, or as scene.glb.

#include <cstdio>
#include <cstring>

#include "testScene.h"

int main(int argc, char** argv) {
  const bool binary = argc == 3 && std::strcmp(argv[1], "--glb") == 0;
  if (argc != 2 && !binary) {
    std::fprintf(stderr, "usage: gltf2demo_test_scene [--glb] FOLDER\n");
    return 2;
  }
  if (!testscene::WriteTestScene(argv[argc - 1], binary)) {
    std::fprintf(stderr, "gltf2demo_test_scene: %s: cannot write the scene there\n", argv[argc - 1]);
    return 1;
  }
  return 0;
}
