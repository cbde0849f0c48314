// The recording device: call sequences with their arguments, with or without a real
// device underneath.

#include <array>

#include "platform/d3d10/recording.h"
#include "tests/gl/gl_fixture.h"

namespace gltest {
namespace {

TEST(RecordingDevice, WithoutAnInnerDeviceRecordsSettersAndDrawsByName) {
  ID3D10Device* device = nullptr;
  ASSERT_EQ(S_OK, platform::CreateRecordingDevice(nullptr, &device));
  Ref<ID3D10Device> owned(device);
  Ref<ID3D10DeviceRecording> log;
  ASSERT_EQ(S_OK, device->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(log.Out())));
  // Stand-ins: the recorder only compares the pointers.
  int backBuffer = 0, depth = 0, vertices = 0;
  auto* view = reinterpret_cast<ID3D10RenderTargetView*>(&backBuffer);
  log->Name(view, "backbuffer");
  log->Name(&depth, "depth");
  log->Name(&vertices, "mesh");
  const float clear[4] = {0.5f, 0, 0, 1};
  const D3D10_VIEWPORT viewport = {0, 0, 1024, 768, 0.0f, 1.0f};
  auto* buffer = reinterpret_cast<ID3D10Buffer*>(&vertices);
  const UINT stride = 20, offset = 0;
  device->ClearRenderTargetView(view, clear);
  device->RSSetViewports(1, &viewport);
  device->OMSetRenderTargets(1, &view, reinterpret_cast<ID3D10DepthStencilView*>(&depth));
  device->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  device->IASetVertexBuffers(0, 1, &buffer, &stride, &offset);
  device->IASetIndexBuffer(nullptr, DXGI_FORMAT_R32_UINT, 0);
  device->DrawIndexedInstanced(36, 4, 0, 0, 0);
  const std::vector<std::string> expected = {
      "ClearRenderTargetView(backbuffer, (0.5, 0, 0, 1))",
      "RSSetViewports(1, [(0, 0, 1024, 768, 0, 1)])",
      "OMSetRenderTargets(1, [backbuffer], depth)",
      "IASetPrimitiveTopology(4)",
      "IASetVertexBuffers(0, 1, [mesh], [20], [0])",
      "IASetIndexBuffer(null, 42, 0)",
      "DrawIndexedInstanced(36, 4, 0, 0, 0)",
  };
  EXPECT_EQ(expected, log->Calls());
  EXPECT_EQ(expected.size(), log->CallCount());
  // Counting only, for benchmarks: the text stops, the count goes on, and the names
  // given still hold when the text starts again.
  log->KeepText(false);
  device->DrawIndexed(3, 0, 0);
  device->OMSetRenderTargets(1, &view, nullptr);
  EXPECT_EQ(expected.size(), log->Calls().size());
  EXPECT_EQ(expected.size() + 2, log->CallCount());
  log->KeepText(true);
  device->OMSetRenderTargets(1, &view, nullptr);
  EXPECT_EQ("OMSetRenderTargets(1, [backbuffer], null)", log->Calls().back());
  log->ClearCalls();
  ID3D10Buffer* created = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(FAILED(device->CreateBuffer(nullptr, nullptr, &created)));
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("creates nothing"));
}

using RecordingOverDevice = GlTest;

TEST_F(RecordingOverDevice, NamesCreatedObjectsAndStillDraws) {
  ID3D10Device* recording = nullptr;
  ASSERT_EQ(S_OK, platform::CreateRecordingDevice(device_, &recording));
  Ref<ID3D10Device> owned(recording);
  Ref<ID3D10DeviceRecording> log;
  ASSERT_EQ(S_OK, recording->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(log.Out())));
  D3D10_TEXTURE2D_DESC desc = {2, 2, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                               D3D10_BIND_RENDER_TARGET, 0, 0};
  Ref<ID3D10Texture2D> texture;
  Ref<ID3D10RenderTargetView> view;
  ASSERT_EQ(S_OK, recording->CreateTexture2D(&desc, nullptr, texture.Out()));
  ASSERT_EQ(S_OK, recording->CreateRenderTargetView(texture.get(), nullptr, view.Out()));
  recording->ClearRenderTargetView(view.get(), std::array<float, 4>{0, 1, 0, 1}.data());
  const std::vector<std::string> expected = {
      "CreateTexture2D(2, 2, 1, 1, R8G8B8A8_UNORM, 1, 32, 0)",
      "CreateRenderTargetView(Texture2D#1, null)",
      "ClearRenderTargetView(RenderTargetView#2, (0, 1, 0, 1))",
  };
  EXPECT_EQ(expected, log->Calls());
  EXPECT_EQ(kGreen, Pixels(texture.get())[3]);
}

}  // namespace
}  // namespace gltest
