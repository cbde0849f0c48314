#include <boost/make_shared.hpp>
#include <chrono>
#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <vector>

#include "engine/core/resourceTypes.h"
#include "engine_fixture.h"

using engine::core::CWin32Window;
using engine::core::Exception;
using engine::core::ResourceManager;
using namespace engine::core::resources;

namespace {

constexpr int kR32Typeless = 39;
constexpr int kD32Float = 40;
constexpr int kD24S8 = 45;

class ResourceTypesTest : public enginetest::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    auto settings = Settings(256, 256);
    settings.sampleCount = 4;  // a multisampled swap chain, so the two modes differ
    OpenWindow(settings);
  }

  std::wstring ErrorOf(const boost::shared_ptr<engine::core::Resource>& resource) {
    try {
      ResourceManager::Get()->AddResource(resource->Name(), resource);
    } catch (const Exception& e) {
      return e.GetText();
    }
    return L"";
  }

  static UINT SamplesOf(ID3D10Texture2D* texture) {
    D3D10_TEXTURE2D_DESC desc = {};
    texture->GetDesc(&desc);
    return desc.SampleDesc.Count;
  }
};

TEST_F(ResourceTypesTest, DepthTargetsAcceptOnlyTheFormatsTheyCanView) {
  auto readable = boost::make_shared<DepthTargetTexture>(L"shadow", true, 64, 64, kR32Typeless, 2);
  EXPECT_EQ(ErrorOf(readable), L"");
  D3D10_DEPTH_STENCIL_VIEW_DESC depth = {};
  readable->DepthStencilView()->GetDesc(&depth);
  EXPECT_EQ(depth.Format, kD32Float);
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  readable->Get()->GetDesc(&view);
  EXPECT_EQ(view.Format, DXGI_FORMAT_R32_FLOAT);
  EXPECT_EQ(readable->TextureKind(), 4);

  auto plain = boost::make_shared<DepthTargetTexture>(L"plain", false, 64, 64, kD24S8, 2);
  EXPECT_EQ(ErrorOf(plain), L"");
  EXPECT_EQ(plain->Get(), nullptr);

  const std::wstring unsupported = L"Format not yet supported. Please add format support.";
  auto readableD24 = boost::make_shared<DepthTargetTexture>(L"readableD24", true, 64, 64, kD24S8, 2);
  EXPECT_EQ(ErrorOf(readableD24), unsupported);
  auto d32 = boost::make_shared<DepthTargetTexture>(L"d32", false, 64, 64, kD32Float, 2);
  EXPECT_EQ(ErrorOf(d32), unsupported);
  EXPECT_NE(d32->DeviceTexture(), nullptr);  // the texture existed before the format check
}

TEST_F(ResourceTypesTest, DepthArraysViewEverySliceAndReadD24) {
  auto cascades = boost::make_shared<DepthTargetArray>(L"cascades", 3, true, 64, 64, kR32Typeless, 2);
  EXPECT_EQ(ErrorOf(cascades), L"");
  D3D10_SHADER_RESOURCE_VIEW_DESC view = {};
  cascades->Get()->GetDesc(&view);
  EXPECT_EQ(view.ViewDimension, D3D10_SRV_DIMENSION_TEXTURE2DARRAY);
  EXPECT_EQ(view.Texture2DArray.ArraySize, 3u);
  EXPECT_EQ(cascades->TextureKind(), 5);

  auto d24 = boost::make_shared<DepthTargetArray>(L"d24", 2, true, 64, 64, kD24S8, 2);
  EXPECT_EQ(ErrorOf(d24), L"");
}

TEST_F(ResourceTypesTest, MultisampleModeZeroFollowsTheSwapChainAndOthersAreSingle) {
  const UINT swapChainSamples = CWin32Window::Get()->swapChainDesc.SampleDesc.Count;
  for (int mode : {0, 1, 2}) {
    auto target = boost::make_shared<RenderTargetTexture>(L"rt" + std::to_wstring(mode), 32, 32, 28, mode);
    ASSERT_EQ(ErrorOf(target), L"");
    EXPECT_EQ(SamplesOf(target->DeviceTexture()), mode == 0 ? swapChainSamples : 1u) << "mode " << mode;
    EXPECT_EQ(target->TextureKind(), 3);

    auto depth = boost::make_shared<DepthTargetTexture>(L"dt" + std::to_wstring(mode), false, 32, 32, kD24S8, mode);
    ASSERT_EQ(ErrorOf(depth), L"");
    EXPECT_EQ(SamplesOf(depth->DeviceTexture()), mode == 0 ? swapChainSamples : 1u) << "mode " << mode;
  }
}

TEST_F(ResourceTypesTest, CustomTexturesNeedATextureAndMissingFilesFail) {
  EXPECT_EQ(ErrorOf(boost::make_shared<CustomTexture>(L"fft")), L"Texture pointer is NULL");
  EXPECT_EQ(ErrorOf(boost::make_shared<Texture>(L"data\\missing.png")), L"Failed to create texture data\\missing.png");

  D3D10_TEXTURE2D_DESC desc = {};
  desc.Width = 512;
  desc.Height = 1;
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Format = DXGI_FORMAT_R32_FLOAT;
  desc.SampleDesc.Count = 1;
  desc.Usage = D3D10_USAGE_DEFAULT;
  desc.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  engine::core::CreateTexture2D(L"fft", &desc, nullptr);
  auto fft = boost::dynamic_pointer_cast<CustomTexture>(ResourceManager::Get()->GetResource(L"fft"));
  ASSERT_TRUE(fft);
  EXPECT_NE(fft->Get(), nullptr);
  EXPECT_EQ(fft->TextureKind(), 0);

  desc.Width = 0;
  EXPECT_THROW(engine::core::CreateTexture2D(L"bad", &desc, nullptr), Exception);
}

TEST_F(ResourceTypesTest, TheResourceScriptBuildsEveryKindAndDestroysThemAtTheEnd) {
  dir.Write("data/startup.resources",
            "resources = {\n"
            "  { RENDERTARGET, 'half', WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2, FMT_R16G16B16A16_FLOAT, NO_MULTISAMPLING },\n"
            "  { DEPTHTARGET, 'shadow', 128, 128, 0, FMT_R32_TYPELESS, NO_MULTISAMPLING },\n"
            "  { DEPTHARRAY, 'cascades', 3, 128, 128, true, FMT_R32_TYPELESS, NO_MULTISAMPLING },\n"
            "  { RENDERTARGET, 'half', 64.9, 32, FMT_R8G8B8A8_UNORM, NO_MULTISAMPLING },\n"
            "}\n");
  ResourceManager::Get()->LoadResourceScript("data\\startup.resources");
  auto half = boost::dynamic_pointer_cast<RenderTargetTexture>(ResourceManager::Get()->GetResource(L"half"));
  ASSERT_TRUE(half);
  EXPECT_EQ(half->Width(), 64);  // declared twice: the second one stays
  EXPECT_TRUE(boost::dynamic_pointer_cast<DepthTargetTexture>(ResourceManager::Get()->GetResource(L"shadow"))
                  ->ShaderReadable());
  delete ResourceManager::mInstance;
  const auto rows = Rows();
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Destroying depth stencil texture cascades"), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Destroying render target texture half"), rows.end());
}

TEST_F(ResourceTypesTest, AnEffectRecompilesOnceAfterItsFileChanges) {
  boost::filesystem::create_directories(dir.Path("data/fx"));
  dir.Write("data/fx/plain.fx", testing_support::ScratchDir::ReadFile(NEBLU_PLAIN_EFFECT));
  auto effect = boost::make_shared<FXEffect>(L"data\\fx\\plain.fx");
  ASSERT_EQ(ErrorOf(effect), L"");
  ID3D10Effect* compiled = effect->Get();
  ASSERT_NE(compiled, nullptr);
  EXPECT_TRUE(compiled->GetTechniqueByName("Plain")->IsValid());

  ResourceManager::Get()->UpdateResources();  // unchanged: nothing happens
  const auto path = std::filesystem::path(dir.Path("data/fx/plain.fx"));
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
  ResourceManager::Get()->UpdateResources();
  ResourceManager::Get()->UpdateResources();

  const auto rows = Rows();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "Updating data\\fx\\plain.fx"), 1);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), "Creating .fx effect data\\fx\\plain.fx"), 2);
  EXPECT_NE(effect->Get(), nullptr);

  EXPECT_EQ(ErrorOf(boost::make_shared<FXEffect>(L"data\\fx\\missing.fx")),
            L"Failed to create effect data\\fx\\missing.fx");
}



// A 1x1 uncompressed RGBA DDS file, optionally with all six cube faces.
std::string SmallDds(bool cube) {
  std::vector<uint32_t> header(32, 0);
  header[0] = 0x20534444;  // "DDS "
  header[1] = 124;
  header[2] = 0x100F;  // caps, height, width, pitch, pixel format
  header[3] = 1;
  header[4] = 1;
  header[5] = 4;
  header[19] = 32;    // pixel format size
  header[20] = 0x41;  // RGB with alpha
  header[22] = 32;
  header[23] = 0x000000FF;
  header[24] = 0x0000FF00;
  header[25] = 0x00FF0000;
  header[26] = 0xFF000000;
  header[27] = cube ? 0x1008 : 0x1000;
  header[28] = cube ? 0xFE00 : 0;
  std::string bytes(reinterpret_cast<const char*>(header.data()), header.size() * 4);
  bytes.append((cube ? 6 : 1) * 4, '\x7f');
  return bytes;
}

// Every class the lookup can make from a name alone, with the defaults it must give.
TEST_F(ResourceTypesTest, GetOrCreateBuildsEveryClassWithItsDefaults) {
  boost::filesystem::create_directories(dir.Path("data/fx"));
  dir.Write("data/plain.dds", SmallDds(false));
  dir.Write("data/sky.dds", SmallDds(true));
  dir.Write("data/fx/plain.fx", testing_support::ScratchDir::ReadFile(NEBLU_PLAIN_EFFECT));
  ResourceManager* manager = ResourceManager::Get();

  struct Case {
    const wchar_t* name;
    std::function<boost::shared_ptr<engine::core::Resource>()> lookup;
    std::function<void(const engine::core::Resource&)> check;
  };
  const std::vector<Case> cases = {
      {L"data\\plain.dds", [&] { return manager->GetOrCreateResource<Texture>(L"data\\plain.dds"); },
       [](const engine::core::Resource& r) {
         auto& texture = dynamic_cast<const Texture&>(r);
         EXPECT_EQ(texture.Format(), DXGI_FORMAT_R8G8B8A8_UNORM);
         EXPECT_EQ(texture.TextureKind(), 0);
         EXPECT_NE(texture.Get(), nullptr);
       }},
      {L"data\\sky.dds", [&] { return manager->GetOrCreateResource<CubeTexture>(L"data\\sky.dds"); },
       [](const engine::core::Resource& r) {
         auto& texture = dynamic_cast<const CubeTexture&>(r);
         EXPECT_EQ(texture.TextureKind(), 2);
         EXPECT_NE(texture.Get(), nullptr);
       }},
      {L"x", [&] { return manager->GetOrCreateResource<DepthTargetTexture>(L"x"); },
       [](const engine::core::Resource& r) {
         auto& depth = dynamic_cast<const DepthTargetTexture&>(r);
         EXPECT_EQ(depth.Width(), 512);
         EXPECT_EQ(depth.Height(), 512);
         EXPECT_EQ(depth.Format(), kD24S8);
         EXPECT_FALSE(depth.ShaderReadable());
         ASSERT_NE(depth.DeviceTexture(), nullptr);
         EXPECT_EQ(SamplesOf(depth.DeviceTexture()), 1u) << "mode 2 is single-sampled on a 4x swap chain";
         EXPECT_NE(depth.DepthStencilView(), nullptr);
       }},
      {L"data\\fx\\plain.fx", [&] { return manager->GetOrCreateResource<FXEffect>(L"data\\fx\\plain.fx"); },
       [](const engine::core::Resource& r) { EXPECT_NE(dynamic_cast<const FXEffect&>(r).Get(), nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + std::wcslen(c.name)));
    auto made = c.lookup();
    ASSERT_TRUE(made);
    c.check(*made);
    EXPECT_EQ(manager->GetResource(c.name), made) << "stored under its name";
    EXPECT_EQ(c.lookup(), made) << "a second lookup finds the same object";
  }

  // A custom texture has nothing to make a texture from.
  try {
    manager->GetOrCreateResource<CustomTexture>(L"fft");
    ADD_FAILURE() << "a name-only custom texture must fail";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Texture pointer is NULL");
  }
  EXPECT_FALSE(manager->GetResource(L"fft")) << "stored only after its Create";
}

// The window registers its back buffer under "_framebuffer" with no object: a lookup
// must hand back that empty entry, not build a texture from a file of that name.
TEST_F(ResourceTypesTest, GetOrCreateKeepsTheEmptyFramebufferEntry) {
  ResourceManager* manager = ResourceManager::Get();
  ASSERT_EQ(manager->Resources().count(L"_framebuffer"), 1u);
  ASSERT_FALSE(manager->Resources().at(L"_framebuffer"));
  EXPECT_FALSE(manager->GetOrCreateResource<Texture>(L"_framebuffer"));
  EXPECT_EQ(manager->Resources().count(L"_framebuffer"), 1u);
  EXPECT_FALSE(manager->Resources().at(L"_framebuffer")) << "the entry stays empty";
  const auto rows = Rows();
  EXPECT_EQ(std::find(rows.begin(), rows.end(), "Creating texture _framebuffer"), rows.end());
}

}  // namespace
