// gltf2demo_test_scene [--glb] FOLDER: writes the gltf2demo tests' glTF scene
// (testScene.h) into FOLDER as scene.gltf and scene.bin, or as scene.glb.
// gltf2demo_test_scene --textured FOLDER: writes the tests' textured box
// (featureScenes.h) as FOLDER/textured.gltf with its picture beside it, checker.jpg.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "featureScenes.h"
#include "testScene.h"

namespace {

bool WriteTexturedBox(const std::string& folder) {
  std::ofstream picture(folder + "/checker.jpg", std::ios::binary);
  const std::string jpeg = featurescenes::CheckerJpeg();
  picture.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
  return picture.flush() &&
         featurescenes::Save(featurescenes::TexturedBox(featurescenes::ImageSource::File), folder + "/textured.gltf", false);
}

}  // namespace

int main(int argc, char** argv) {
  const bool binary = argc == 3 && std::strcmp(argv[1], "--glb") == 0;
  const bool textured = argc == 3 && std::strcmp(argv[1], "--textured") == 0;
  if (argc != 2 && !binary && !textured) {
    std::fprintf(stderr, "usage: gltf2demo_test_scene [--glb | --textured] FOLDER\n");
    return 2;
  }
  const std::string folder = argv[argc - 1];
  if (textured ? !WriteTexturedBox(folder) : !testscene::WriteTestScene(folder, binary)) {
    std::fprintf(stderr, "gltf2demo_test_scene: %s: cannot write the scene there\n", folder.c_str());
    return 1;
  }
  return 0;
}
