// The overlay over a real window, run under tests/support/xvfb.sh with -capture DIR (see
// tests/CMakeLists.txt): the window's frame, read back before the swap, shows the overlay
// as the golden picture does; the same frames captured do not; a click on the overlay
// stays there, and once it is hidden clicks reach the window procedure again.
//
// Nothing waits on time: frames are read from the GL back buffer before the swap, and the
// one loop (for the window's drawable to reach its size) ends on that condition.

#include <SDL.h>
#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/capture/session.h"
#include "platform/command_line.h"
#include "platform/d3d10.h"
#include "platform/dxgi.h"
#include "platform/overlay/overlay.h"
#include "platform/overlay_hooks.h"
#include "platform/win32.h"
#include "support/golden_image.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;
const std::vector<int> kClear{51, 102, 153}, kMagenta{255, 0, 255};

std::vector<UINT> messages;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  messages.push_back(message);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}
bool Saw(UINT message) { return std::find(messages.begin(), messages.end(), message) != messages.end(); }

std::vector<int> At(const testing_support::Image& image, int x, int y) {
  const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  return {p[0], p[1], p[2]};
}
int CountNotClear(const testing_support::Image& image) {
  int count = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) count += At(image, x, y) == kClear ? 0 : 1;
  }
  return count;
}

class OverlayWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!platform::HasDisplay()) GTEST_SKIP() << "no display here: the test runs under tests/support/xvfb.sh";
    captureFolder_ = platform::CommandLineValue("-capture");
    ASSERT_FALSE(captureFolder_.empty()) << "run with -capture DIR: the test compares the window with the capture";
    // The layer made the folder when it read the switch; what a run before left goes.
    for (const auto& entry : boost::filesystem::directory_iterator(captureFolder_)) boost::filesystem::remove(entry.path());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = L"overlay";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    RECT outer{0, 0, kWidth, kHeight};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExW(0, L"overlay", L"Orv", WS_OVERLAPPEDWINDOW, 0, 0, outer.right - outer.left,
                              outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
    DXGI_SWAP_CHAIN_DESC desc{};
    desc.BufferDesc.Width = kWidth;
    desc.BufferDesc.Height = kHeight;
    desc.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    desc.SampleDesc = {1, 0};
    desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    desc.BufferCount = 1;
    desc.OutputWindow = window_;
    desc.Windowed = TRUE;
    ASSERT_EQ(S_OK, D3D10CreateDeviceAndSwapChain(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION,
                                                  &desc, &chain_, &device_));
    ID3D10Texture2D* back = nullptr;
    ASSERT_EQ(S_OK, chain_->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(&back)));
    ASSERT_EQ(S_OK, device_->CreateRenderTargetView(back, nullptr, &view_));
    back->Release();
    ShowWindow(window_, SW_SHOWDEFAULT);
    for (Uint32 id = 1; !sdlWindow_ && id < 64; ++id) sdlWindow_ = SDL_GetWindowFromID(id) ? id : 0;
    ASSERT_NE(sdlWindow_, 0u);
    overlay_ = std::make_unique<platform::Overlay>(window_);
    overlay_->SetVisible(true);
  }

  void TearDown() override {
    // The device first: its context's end must take the overlay's GL objects with it.
    if (view_) view_->Release();
    if (chain_) chain_->Release();
    if (device_) device_->Release();
    overlay_.reset();
    if (window_) DestroyWindow(window_);
    UnregisterClassW(L"overlay", nullptr);
    Pump();
  }

  void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  // One frame: the back buffer cleared, a panel with a button that hides the overlay and
  // a magenta square over everything built, presented; with `read`, the window's pixels
  // as they were before the swap.
  void Frame(testing_support::Image* read = nullptr) {
    device_->OMSetRenderTargets(1, &view_, nullptr);
    const float clear[4] = {kClear[0] / 255.0f, kClear[1] / 255.0f, kClear[2] / 255.0f, 1.0f};
    device_->ClearRenderTargetView(view_, clear);
    if (overlay_->BeginFrame(1.0 / 60.0)) {
      ImGui::SetNextWindowPos(ImVec2(16, 16));
      ImGui::SetNextWindowSize(ImVec2(176, 96));
      ImGui::Begin("Overlay");
      ImGui::Text("over the window only");
      if (ImGui::Button("Hide")) overlay_->SetVisible(false);
      button_ = ImVec2((ImGui::GetItemRectMin().x + ImGui::GetItemRectMax().x) / 2,
                       (ImGui::GetItemRectMin().y + ImGui::GetItemRectMax().y) / 2);
      ImGui::End();
      ImGui::GetForegroundDrawList()->AddRectFilled(ImVec2(232, 152), ImVec2(296, 216), IM_COL32(255, 0, 255, 255));
      overlay_->EndFrame();
    }
    bool got = false;
    if (read) {
      platform::RequestWindowReadback([&](std::vector<std::uint8_t> rgba, int width, int height) {
        got = true;
        *read = {width, height, {}};
        for (std::size_t i = 0; i < rgba.size(); i += 4) read->rgb.insert(read->rgb.end(), &rgba[i], &rgba[i] + 3);
      });
    }
    ASSERT_EQ(S_OK, chain_->Present(0, 0));
    ++presented_;
    if (read) {
      ASSERT_TRUE(got) << "the window's frame was not read back: is the device drawing to the window?";
    }
  }

  // A left click at the panel's button, after the mouse moved there and the overlay had
  // a frame to see it.
  void Click() {
    const int x = static_cast<int>(button_.x), y = static_cast<int>(button_.y);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION, e.motion.windowID = sdlWindow_, e.motion.x = x, e.motion.y = y;
    SDL_PushEvent(&e);
    Pump();
    Frame();
    messages.clear();
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      e = SDL_Event{};
      e.type = type, e.button.windowID = sdlWindow_, e.button.button = SDL_BUTTON_LEFT, e.button.x = x, e.button.y = y;
      SDL_PushEvent(&e);
    }
    Pump();
  }

  std::string captureFolder_;
  HWND window_ = nullptr;
  IDXGISwapChain* chain_ = nullptr;
  ID3D10Device* device_ = nullptr;
  ID3D10RenderTargetView* view_ = nullptr;
  Uint32 sdlWindow_ = 0;
  std::unique_ptr<platform::Overlay> overlay_;
  ImVec2 button_;
  int presented_ = 0;
};

TEST_F(OverlayWindow, ShowsInTheWindowNeverInTheCaptureAndKeepsItsClicks) {
  testing_support::Image shown;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  do {
    Pump();
    Frame(&shown);
  } while (!HasFatalFailure() && (shown.width != kWidth || shown.height != kHeight) &&
           std::chrono::steady_clock::now() < deadline);
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(kWidth, shown.width) << "the window's drawable never reached the swap chain's size";
  ASSERT_EQ(kHeight, shown.height);
  EXPECT_EQ(kMagenta, At(shown, 264, 184)) << "the overlay's square is missing from the window";
  EXPECT_EQ(kClear, At(shown, 300, 20)) << "the frame is missing around the overlay";
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "overlay_window", shown, 2, 0));

  // A click on the button is the overlay's: the window procedure never hears of it, and
  // the button hides the overlay.
  Click();
  EXPECT_FALSE(Saw(WM_LBUTTONDOWN));
  EXPECT_FALSE(Saw(WM_LBUTTONUP));
  Frame();
  Frame();
  ASSERT_FALSE(overlay_->Visible()) << "the click did not reach the panel's button";

  // Hidden, it builds no frame, draws nothing and every click is the program's.
  EXPECT_FALSE(overlay_->BeginFrame(1.0 / 60.0));
  testing_support::Image hidden;
  Frame(&hidden);
  EXPECT_EQ(0, CountNotClear(hidden)) << "a hidden overlay still drew";
  Click();
  EXPECT_TRUE(Saw(WM_LBUTTONDOWN));
  EXPECT_TRUE(Saw(WM_LBUTTONUP));

  // Every frame the capture took is the back buffer alone.
  platform::EndCapture();
  int captured = 0;
  for (boost::filesystem::directory_iterator it(captureFolder_), end; it != end; ++it) {
    testing_support::Image frame;
    ASSERT_TRUE(testing_support::ReadPng(it->path().string(), &frame)) << it->path();
    EXPECT_EQ(0, CountNotClear(frame)) << it->path() << " shows something besides the frame";
    ++captured;
  }
  EXPECT_EQ(presented_, captured);
}

}  // namespace
