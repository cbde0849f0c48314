#include <algorithm>

#include "engine/core/resourceTypes.h"
#include "engine_fixture.h"

using engine::core::CWin32Window;
using engine::core::Exception;
using engine::core::Kernel;
using engine::core::ResourceManager;

namespace {

class WindowTest : public enginetest::EngineFixture {
 protected:
  static size_t IndexOf(const std::vector<std::string>& rows, const std::string& text, size_t from = 0) {
    for (size_t i = from; i < rows.size(); ++i) {
      if (rows[i] == text) return i;
    }
    return rows.size();
  }
};

TEST_F(WindowTest, WindowedAndFullscreenClientAreasAreTheModeSize) {
  for (bool fullscreen : {false, true}) {
    auto settings = Settings(1024, 768);
    settings.fullscreen = fullscreen;
    OpenWindow(settings);
    // Windowed, the frame is added around the client area; fullscreen, the window itself
    // is the mode size.
    RECT area = {};
    if (fullscreen) {
      GetWindowRect(CWin32Window::Get()->hWnd, &area);
    } else {
      GetClientRect(CWin32Window::Get()->hWnd, &area);
    }
    EXPECT_EQ(area.right - area.left, 1024) << "fullscreen " << fullscreen;
    EXPECT_EQ(area.bottom - area.top, 768) << "fullscreen " << fullscreen;
    CloseWindow();
    delete ResourceManager::mInstance;
    delete CWin32Window::mInstance;
  }
}

TEST_F(WindowTest, CreationLogsTheModeAndRegistersTheWindowBuffers) {
  auto settings = Settings(1280, 720);
  settings.fullscreen = true;
  OpenWindow(settings);

  EXPECT_FALSE(ResourceManager::Get()->GetResource(L"_framebuffer"));
  EXPECT_EQ(ResourceManager::Get()->Resources().count(L"_framebuffer"), 1u);
  auto depth = boost::dynamic_pointer_cast<engine::core::resources::DepthTargetTexture>(
      ResourceManager::Get()->GetResource(L"_depthbuffer"));
  ASSERT_TRUE(depth);
  EXPECT_NE(depth->DepthStencilView(), nullptr);
  EXPECT_EQ(depth->Width(), 1280);
  EXPECT_NE(CWin32Window::Get()->projection.m00, 1.0f);  // built from the aspect ratio

  const auto rows = Rows();
  EXPECT_NE(IndexOf(rows, "Creating window \"Orv\" 1280x720x60hz fullscreen: true Backbuffer: 28"), rows.size());
  EXPECT_NE(IndexOf(rows, "Successfully created 1280x720x60hz fullscreen: true Backbuffer: 28"), rows.size());
  const bool adapterReported = std::any_of(rows.begin(), rows.end(), [](const std::string& row) {
    return row.rfind("Adapter description: ", 0) == 0 && row.find("<br />Vendor ID: ") != std::string::npos;
  });
  EXPECT_TRUE(adapterReported);
}

TEST_F(WindowTest, RefreshRatesPrintAsFloats) {
  auto settings = Settings(640, 480);
  settings.refreshNumerator = 5994;
  settings.refreshDenominator = 100;
  OpenWindow(settings);
  const auto rows = Rows();
  EXPECT_NE(IndexOf(rows, "Creating window \"Orv\" 640x480x59.94hz fullscreen: false Backbuffer: 28"), rows.size());
}

TEST_F(WindowTest, ClosingTheWindowReleasesTheDeviceAndEndsTheRun) {
  OpenWindow(Settings(320, 240));
  Kernel::Get()->AddModule(screen, 1);
  platform::InjectCloseRequest(CWin32Window::Get()->hWnd);
  Kernel::Get()->Run();  // the pump takes WM_QUIT; the next pass asks the Kernel to quit

  EXPECT_EQ(CWin32Window::Get()->device, nullptr);
  const auto rows = Rows();
  const size_t destroy = IndexOf(rows, "Destroy message received");
  const size_t release = IndexOf(rows, "Releasing D3DDevice", destroy);
  const size_t quit = IndexOf(rows, "Quit called", release);
  const size_t kill = IndexOf(rows, "Killing all modules", quit);
  const size_t secondRelease = IndexOf(rows, "Releasing D3DDevice", kill);
  EXPECT_LT(destroy, release);
  EXPECT_LT(release, quit);
  EXPECT_LT(quit, kill);
  EXPECT_LT(kill, secondRelease);
  EXPECT_LT(secondRelease, rows.size());
}

TEST_F(WindowTest, KeysReachTheInputStateThroughTheWindowProcedure) {
  OpenWindow(Settings(320, 240));
  HWND window = CWin32Window::Get()->hWnd;
  platform::InjectKey(window, 0x7A, true);  // F11
  platform::InjectMouseMove(window, 10, 20);
  platform::InjectMouseMove(window, 15, 18);
  screen->Update();
  EXPECT_TRUE(engine::core::Input::Get()->Pressed(0x7A));
  EXPECT_EQ(engine::core::Input::Get()->mouseX, 15);
  EXPECT_EQ(engine::core::Input::Get()->mouseDeltaY, -2);
}

TEST_F(WindowTest, TheTitleChangesButTheStoredSettingsKeepIt) {
  OpenWindow(Settings(320, 240));
  screen->SetWindowTitle(L"Orv - part 2");
  wchar_t caption[64] = {};
  GetWindowTextW(CWin32Window::Get()->hWnd, caption, 64);
  EXPECT_STREQ(caption, L"Orv - part 2");
  EXPECT_EQ(CWin32Window::Get()->settings.title, L"Orv");
}

}  // namespace
