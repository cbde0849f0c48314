// The resource types effect files read, drawn through the device: a multisampled texture
// loaded sample by sample with its sample count asked, a cube map sampled by direction,
// and a texture array sampled by slice.

#include <cstdint>
#include <string>

#include "tests/gl/effect_fixture.h"

namespace gltest {
namespace {

using EffectResourceTest = EffectTest;

TEST_F(EffectResourceTest, MultisampledCubeAndArrayTexturesAreReadAsDeclared) {
  Ref<ID3D10Effect> fx = Load("resources.fx", std::string(kPrelude) + R"(
Texture2DMS<float4, 4> Msaa;
TextureCube Sky;
Texture2DArray Layers;
SamplerState Point { Filter = MIN_MAG_MIP_POINT; };
int Which;
float4 PSResources(VOut i) : SV_Target {
  uint w, h, samples;
  Msaa.GetDimensions(w, h, samples);
  if (Which == 0) return float4(Msaa.Load(int2(1, 1), 3).rg, samples / 4.0, w / 8.0);
  if (Which == 1) return Sky.Sample(Point, float3(-1, 0.1, 0.1));   // the -X face
  return Layers.Sample(Point, float3(i.uv, 2));                     // the third slice
}
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSQuad())); SetPixelShader(CompileShader(ps_4_0, PSResources())); } }
)");
  ASSERT_TRUE(fx);
  // A 4x-multisampled 8x8 target cleared to one colour: every sample holds it.
  Target msaa;
  MakeTarget(&msaa, 8, 8, DXGI_FORMAT_R8G8B8A8_UNORM, 4);
  const float colour[4] = {0.2f, 0.6f, 0, 1};
  device_->ClearRenderTargetView(msaa.view.get(), colour);
  Ref<ID3D10ShaderResourceView> msaaView;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(msaa.texture.get(), nullptr, msaaView.Out()));
  // A cube of six faces and an array of three slices, each 1x1 and a colour of its own.
  const std::uint32_t faces[6] = {0xff0000ffu, 0xff00ff00u, 0xffff0000u, 0xff00ffffu, 0xffff00ffu, 0xffffff00u};
  D3D10_SUBRESOURCE_DATA data[6];
  for (int f = 0; f < 6; ++f) data[f] = {&faces[f], 4, 4};
  D3D10_TEXTURE2D_DESC cubeDesc = {1, 1, 1, 6, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                                   D3D10_BIND_SHADER_RESOURCE, 0, D3D10_RESOURCE_MISC_TEXTURECUBE};
  Ref<ID3D10Texture2D> cube, layers;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&cubeDesc, data, cube.Out()));
  D3D10_TEXTURE2D_DESC arrayDesc = cubeDesc;
  arrayDesc.ArraySize = 3;
  arrayDesc.MiscFlags = 0;
  ASSERT_EQ(S_OK, device_->CreateTexture2D(&arrayDesc, data, layers.Out()));
  Ref<ID3D10ShaderResourceView> cubeView, layersView;
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(cube.get(), nullptr, cubeView.Out()));
  ASSERT_EQ(S_OK, device_->CreateShaderResourceView(layers.get(), nullptr, layersView.Out()));
  fx->GetVariableByName("Msaa")->AsShaderResource()->SetResource(msaaView.get());
  fx->GetVariableByName("Sky")->AsShaderResource()->SetResource(cubeView.get());
  fx->GetVariableByName("Layers")->AsShaderResource()->SetResource(layersView.get());

  const Rgba8 expected[3] = {{51, 153, 255, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}};
  for (int which = 0; which < 3; ++which) {
    ClearAndBind();
    fx->GetVariableByName("Which")->AsScalar()->SetInt(which);
    Draw(fx->GetTechniqueByName("T"), FullScreen());
    EXPECT_EQ(expected[which], At(3, 3)) << "reading " << which;
  }
  for (const char* name : {"Msaa", "Sky", "Layers"}) fx->GetVariableByName(name)->AsShaderResource()->SetResource(nullptr);
}

}  // namespace
}  // namespace gltest
