// D3DX image calls: image files of every kind to views, DDS cube maps and compressed
// files, screenshots saved and read back, and files that cannot be read.

#include <stb/stb_image_write.h>

#include <array>
#include <cstring>
#include <fstream>

#include "support/scratch_dir.h"
#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

class ImageTest : public GlTest {
 protected:
  testing_support::ScratchDir scratch_;

  // A DDS file: 32-bit RGBA pixels or BC1 blocks, one mip, optionally six cube faces.
  static std::string Dds(unsigned width, unsigned height, bool bc1, bool cube, const std::string& pixels) {
    std::string file = "DDS ";
    auto put = [&file](std::uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    put(124);
    put(0x1 | 0x2 | 0x4 | 0x1000);
    put(height);
    put(width);
    put(0);  // pitch: the reader computes it
    put(0);
    put(1);
    for (int i = 0; i < 11; ++i) put(0);
    put(32);
    if (bc1) {
      put(0x4);
      put(0x31545844);  // "DXT1"
      for (int i = 0; i < 5; ++i) put(0);
    } else {
      put(0x40 | 0x1);
      put(0);
      put(32);
      put(0xff), put(0xff00), put(0xff0000), put(0xff000000);
    }
    put(0x1000);
    put(cube ? 0x200 | 0xFC00 : 0);
    put(0), put(0), put(0);
    return file + pixels;
  }

  Ref<ID3D10ShaderResourceView> Load(const std::wstring& path, D3DX10_IMAGE_LOAD_INFO* info, HRESULT expected = S_OK) {
    Ref<ID3D10ShaderResourceView> view;
    HRESULT result = E_FAIL;
    EXPECT_EQ(expected, D3DX10CreateShaderResourceViewFromFileW(device_, path.c_str(), info, nullptr, view.Out(),
                                                               &result));
    EXPECT_EQ(expected, result);
    return view;
  }

  static Ref<ID3D10Texture2D> TextureOf(ID3D10ShaderResourceView* view) {
    Ref<ID3D10Resource> resource;
    view->GetResource(resource.Out());
    Ref<ID3D10Texture2D> texture;
    EXPECT_EQ(S_OK, resource->QueryInterface(__uuidof(ID3D10Texture2D), reinterpret_cast<void**>(texture.Out())));
    return texture;
  }
};

TEST_F(ImageTest, CubeMapFromADdsFileSamplesEachFace) {
  const std::array<Rgba8, 6> faces = {kRed, kGreen, kBlue, Rgba8{255, 255, 0, 255}, Rgba8{0, 255, 255, 255},
                                      Rgba8{255, 0, 255, 255}};
  std::string pixels;
  for (const Rgba8& face : faces) {
    for (int i = 0; i < 16; ++i) pixels.append(reinterpret_cast<const char*>(&face), 4);
  }
  scratch_.Write("data/sky.dds", Dds(4, 4, false, true, pixels));
  D3DX10_IMAGE_LOAD_INFO info = {};
  info.MiscFlags = D3D10_RESOURCE_MISC_TEXTURECUBE;
  Ref<ID3D10ShaderResourceView> view = Load(L"data\\sky.dds", &info);
  ASSERT_TRUE(view);
  D3D10_SHADER_RESOURCE_VIEW_DESC desc;
  view->GetDesc(&desc);
  EXPECT_EQ(D3D10_SRV_DIMENSION_TEXTURECUBE, desc.ViewDimension);

  // Pixel x of a 6x1 target looks along the axis of face x (+X, -X, +Y, -Y, +Z, -Z).
  const char* pixel = R"(#version 450
layout(binding = 0) uniform samplerCube sky;
layout(location = 0) out vec4 result;
void main() {
  const vec3 axes[6] = vec3[](vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0), vec3(0, -1, 0), vec3(0, 0, 1), vec3(0, 0, -1));
  result = texture(sky, axes[int(gl_FragCoord.x)]);
})";
  Ref<IGlslProgram> program = Program(kColorVertexShader, pixel);
  Ref<ID3D10InputLayout> layout = ColorLayout(program.get());
  Target target;
  MakeTarget(&target, 6, 1);
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  ID3D10ShaderResourceView* resources[] = {view.get()};
  device_->PSSetShaderResources(0, 1, resources);
  Viewport(6, 1);
  const std::vector<Vertex> quad = {{{-1, 1, 0.5f}, {}}, {{1, 1, 0.5f}, {}}, {{1, -1, 0.5f}, {}},
                                    {{-1, 1, 0.5f}, {}}, {{1, -1, 0.5f}, {}}, {{-1, -1, 0.5f}, {}}};
  Ref<ID3D10Buffer> vb = MakeBuffer(D3D10_BIND_VERTEX_BUFFER, quad.data(), UINT(quad.size() * sizeof(Vertex)));
  ID3D10Buffer* buffers[] = {vb.get()};
  const UINT stride = sizeof(Vertex), offset = 0;
  Use(program.get());
  device_->IASetInputLayout(layout.get());
  device_->IASetVertexBuffers(0, 1, buffers, &stride, &offset);
  device_->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  device_->Draw(6, 0);
  const std::vector<Rgba8> result = Pixels(target.texture.get());
  for (int face = 0; face < 6; ++face) EXPECT_EQ(faces[face], result[face]) << "face " << face;
}

TEST_F(ImageTest, CompressedDdsKeepsItsFormatOrConvertsToTheOneAskedFor) {
  // One BC1 block: colour 0 pure red (565), every texel index 0.
  const std::string block = std::string("\x00\xF8\x1F\x00", 4) + std::string(4, '\0');
  scratch_.Write("block.dds", Dds(4, 4, true, false, block));
  Ref<ID3D10ShaderResourceView> kept = Load(L"block.dds", nullptr);
  ASSERT_TRUE(kept);
  D3D10_SHADER_RESOURCE_VIEW_DESC desc;
  kept->GetDesc(&desc);
  EXPECT_EQ(DXGI_FORMAT_BC1_UNORM, desc.Format);
  EXPECT_EQ(kRed, Pixels(TextureOf(kept.get()).get())[5]);

  D3DX10_IMAGE_LOAD_INFO info = {};
  info.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  info.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  Ref<ID3D10ShaderResourceView> converted = Load(L"block.dds", &info);
  ASSERT_TRUE(converted);
  converted->GetDesc(&desc);
  EXPECT_EQ(DXGI_FORMAT_R8G8B8A8_UNORM, desc.Format);
  Ref<ID3D10Texture2D> texture = TextureOf(converted.get());
  EXPECT_EQ(kRed, Pixels(texture.get())[15]);
  D3D10_TEXTURE2D_DESC textureDesc;
  texture->GetDesc(&textureDesc);
  EXPECT_EQ(3u, textureDesc.MipLevels) << "a converted image gets its full mip chain";
}

struct FileKind {
  const char* extension;
  int tolerance;
};

class ImageFiles : public ImageTest, public ::testing::WithParamInterface<FileKind> {};

TEST_P(ImageFiles, LoadTopRowFirst) {
  // 4x2: top row red, bottom row blue.
  std::vector<Rgba8> source(8, kBlue);
  std::fill(source.begin(), source.begin() + 4, kRed);
  const std::string name = std::string("picture.") + GetParam().extension;
  const std::string path = scratch_.Path(name);
  const std::string ext = GetParam().extension;
  int ok = 0;
  if (ext == "png") ok = stbi_write_png(path.c_str(), 4, 2, 4, source.data(), 16);
  if (ext == "bmp") ok = stbi_write_bmp(path.c_str(), 4, 2, 4, source.data());
  if (ext == "tga") ok = stbi_write_tga(path.c_str(), 4, 2, 4, source.data());
  if (ext == "jpg") ok = stbi_write_jpg(path.c_str(), 4, 2, 4, source.data(), 100);
  ASSERT_TRUE(ok);
  D3DX10_IMAGE_LOAD_INFO info = {};
  info.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  info.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
  Ref<ID3D10ShaderResourceView> view = Load(std::wstring(name.begin(), name.end()), &info);
  ASSERT_TRUE(view);
  const std::vector<Rgba8> pixels = Pixels(TextureOf(view.get()).get());
  ASSERT_EQ(8u, pixels.size());
  for (int i = 0; i < 8; ++i) {
    const Rgba8 expected = i < 4 ? kRed : kBlue;
    EXPECT_NEAR(expected.r, pixels[i].r, GetParam().tolerance) << "pixel " << i;
    EXPECT_NEAR(expected.b, pixels[i].b, GetParam().tolerance) << "pixel " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ImageFiles,
                         ::testing::Values(FileKind{"png", 0}, FileKind{"bmp", 0}, FileKind{"tga", 0},
                                           FileKind{"jpg", 40}),
                         [](const ::testing::TestParamInfo<FileKind>& param) {
                           return std::string(param.param.extension);
                         });

TEST_F(ImageTest, ScreenshotSavesAndReadsBackTheSamePixels) {
  Target target;
  MakeTarget(&target, 32, 16);
  device_->ClearRenderTargetView(target.view.get(), std::array<float, 4>{0.25f, 0.5f, 0.75f, 1}.data());
  ID3D10RenderTargetView* views[] = {target.view.get()};
  device_->OMSetRenderTargets(1, views, nullptr);
  Viewport(32, 16);
  DrawTriangles({{{-1, 1, 0.5f}, {1, 0, 0, 1}}, {{1, 1, 0.5f}, {0, 1, 0, 1}}, {{-1, -1, 0.5f}, {0, 0, 1, 1}}});
  boost::filesystem::create_directories(scratch_.Path("screenshots"));
  ASSERT_EQ(S_OK, D3DX10SaveTextureToFileW(target.texture.get(), D3DX10_IFF_PNG, L"screenshots\\screenshot0.png"));
  D3DX10_IMAGE_LOAD_INFO info = {};
  info.MipLevels = 1;
  D3DX10_IMAGE_INFO fileInfo = {};
  info.pSrcInfo = &fileInfo;
  Ref<ID3D10ShaderResourceView> view = Load(L"screenshots\\screenshot0.png", &info);
  ASSERT_TRUE(view);
  EXPECT_EQ(32u, fileInfo.Width);
  EXPECT_EQ(D3DX10_IFF_PNG, fileInfo.ImageFileFormat);
  const std::vector<Rgba8> original = Pixels(target.texture.get());
  EXPECT_EQ(original, Pixels(TextureOf(view.get()).get()));
}

TEST_F(ImageTest, FilesThatCannotBeReadFailWithTheirReason) {
  scratch_.Write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "definitely not a png body");
  std::string truncated = Dds(64, 64, false, false, std::string(100, '\x7f'));
  scratch_.Write("short.dds", truncated);
  std::vector<Rgba8> flat(4, kRed);
  ASSERT_TRUE(stbi_write_png(scratch_.Path("flat.png").c_str(), 2, 2, 4, flat.data(), 8));
  D3DX10_IMAGE_LOAD_INFO cube = {};
  cube.MiscFlags = D3D10_RESOURCE_MISC_TEXTURECUBE;

  ::testing::internal::CaptureStderr();
  Load(L"missing.png", nullptr, D3D10_ERROR_FILE_NOT_FOUND);
  Load(L"broken.png", nullptr, E_FAIL);
  Load(L"short.dds", nullptr, E_FAIL);
  Load(L"flat.png", &cube, E_INVALIDARG);
  const std::string messages = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, messages.find("cannot open missing.png")) << messages;
  EXPECT_NE(std::string::npos, messages.find("broken.png is not an image this layer reads")) << messages;
  EXPECT_NE(std::string::npos, messages.find("short.dds: the DDS file is truncated")) << messages;
  EXPECT_NE(std::string::npos, messages.find("flat.png holds no cube map")) << messages;
}

}  // namespace
}  // namespace gltest
