// gltf2demo and WebP textures (EXT_texture_webp): the picture is decoded and written
// beside the meshes as a PNG file of the same pixels; one that cannot be decoded leaves
// its textures out with a note naming the image.

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <webp/encode.h>

#include <string>
#include <vector>

#include "engine/core/logging.h"
#include "featureScenes.h"
#include "tools/gltf2demo/sceneConversion.h"

namespace {

// The test picture's 8x8 pixels, RGBA.
std::vector<unsigned char> CheckerRgba() {
  std::vector<unsigned char> pixels;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const unsigned char* c = featurescenes::QuadrantColours[(y < 4 ? 0 : 2) + (x < 4 ? 0 : 1)];
      pixels.insert(pixels.end(), {c[0], c[1], c[2], 255});
    }
  }
  return pixels;
}

std::string CheckerWebp() {
  const std::vector<unsigned char> pixels = CheckerRgba();
  std::uint8_t* out = nullptr;
  const std::size_t size = WebPEncodeLosslessRGBA(pixels.data(), 8, 8, 32, &out);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  WebPFree(out);
  return bytes;
}

// The textured box with its only picture a WebP one, named by the extension.
tinygltf::Model WebpBox(const std::string& picture) {
  tinygltf::Model model = featurescenes::TexturedBox(featurescenes::ImageSource::BufferView);
  tinygltf::Image& image = model.images[0];
  image.bufferView = -1;
  image.mimeType = "image/webp";
  image.image.assign(picture.begin(), picture.end());
  tinygltf::Texture& texture = model.textures[0];
  texture.source = -1;
  texture.extensions["EXT_texture_webp"] = tinygltf::Value(tinygltf::Value::Object{{"source", tinygltf::Value(0)}});
  model.extensionsUsed.push_back("EXT_texture_webp");
  model.extensionsRequired.push_back("EXT_texture_webp");
  return model;
}

class WebpTest : public ::testing::Test {
 protected:
  ~WebpTest() override { delete engine::core::Logging::mInstance; }

  gltf2demo::ConvertedScene Convert(const tinygltf::Model& model) {
    gltf2demo::SceneOptions options;
    options.partFolder = "data/part.demo_scene/";
    return gltf2demo::ConvertScene(model, options, notes);
  }

  gltf2demo::Notes notes;
};

TEST_F(WebpTest, AWebpPictureIsWrittenAsAPngOfTheSamePixels) {
  const gltf2demo::ConvertedScene scene = Convert(WebpBox(CheckerWebp()));
  EXPECT_TRUE(notes.Lines().empty()) << notes.Lines().front();
  ASSERT_EQ(scene.images.size(), 1u);
  EXPECT_EQ(scene.images[0].name, "Checker.png");
  int width = 0, height = 0, channels = 0;
  const std::string& png = scene.images[0].bytes;
  stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()), static_cast<int>(png.size()), &width,
                                          &height, &channels, 4);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(std::vector<unsigned char>(pixels, pixels + width * height * 4), CheckerRgba());
  stbi_image_free(pixels);
  EXPECT_NE(scene.meshes[0].material.find("data/part.demo_scene/Checker.png"), std::string::npos) << scene.meshes[0].material;
}

TEST_F(WebpTest, AWebpPictureThatCannotBeDecodedLeavesItsTexturesOut) {
  const std::string whole = CheckerWebp();
  for (const std::string& broken : {whole.substr(0, 20), whole.substr(0, 12) + std::string(40, '\xff')}) {
    notes = gltf2demo::Notes();
    const gltf2demo::ConvertedScene scene = Convert(WebpBox(broken));
    EXPECT_TRUE(scene.images.empty());
    ASSERT_FALSE(notes.Lines().empty());
    EXPECT_EQ(notes.Lines().front().rfind("the textures that show image 0 'Checker': ", 0), 0u) << notes.Lines().front();
  }
}

}  // namespace
