// make_test_scene FOLDER: writes the gltf2demo tests' glTF scene (testScene.h) into
// FOLDER as scene.gltf and scene.bin.

#include <cstdio>

#include "testScene.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_scene FOLDER\n");
    return 2;
  }
  if (!testscene::WriteTestScene(argv[1])) {
    std::fprintf(stderr, "make_test_scene: %s: cannot write the scene there\n", argv[1]);
    return 1;
  }
  return 0;
}
