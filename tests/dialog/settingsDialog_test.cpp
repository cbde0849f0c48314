// The settings dialog on a real X display (run under tests/support/xvfb.sh). A second thread plays
// the user through its own X connection: it waits for the dialog to be mapped, reads
// its pixels back from the server and clicks with the XTest extension, so every click
// takes the path a real one takes (X server, toolkit, control notification, the
// dialog's window procedure) while the main thread sits in the dialog's message loop.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/windowStuff.h"
#include "platform/d3d10.h"
#include "platform/dxgi.h"
#include "platform/win32.h"
#include "support/golden_image.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

// Two threads talk to the X server, each on its own connection.
const bool kXThreads = XInitThreads() != 0;

constexpr char kTitle[] = "Select Your Settings";

// Client-area positions of the controls the user touches.
struct Point {
  int x, y;
};
constexpr Point kStart{20 + 110, 315 + 12};
constexpr Point kExit{240 + 75, 315 + 12};
constexpr Point kFullscreenBox{20 + 10, 290 + 10};
constexpr Point kVsyncBox{130 + 10, 290 + 10};
constexpr Point kAlwaysOnTopBox{240 + 10, 290 + 10};
// Row r of a list whose top-left corner is (x, y): rows are about 15 pixels high below a
// 2-pixel frame; aim at the middle of the row.
Point Row(int x, int y, int row) { return Point{x + 30, y + 3 + row * 15 + 7}; }
const Point kAspectList{130, 230};
const Point kMultisamplingList{240, 140};

class XUser {
 public:
  XUser() : display(XOpenDisplay(nullptr)) {}
  ~XUser() {
    if (display) XCloseDisplay(display);
  }
  XUser(const XUser&) = delete;
  XUser& operator=(const XUser&) = delete;

  // The mapped top-level window with this title, once it has been drawn and holds still.
  Window WaitForWindow(const char* title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Window w = FindMapped(title)) {
        // The toolkit draws once the server has told it the window is mapped. Wait until
        // the dialog shows drawn and two reads a little apart agree, so neither a
        // comparison nor a click lands before the loop is ready.
        testing_support::Image before = Capture(w);
        for (int tries = 0; tries < 100; ++tries) {
          std::this_thread::sleep_for(std::chrono::milliseconds(150));
          testing_support::Image now = Capture(w);
          if (now.rgb == before.rgb && Drawn(now)) return w;
          before = now;
        }
        return w;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The main thread is stuck in the dialog's loop: nothing else can end the test.
    std::fprintf(stderr, "settingsDialog_test: no window \"%s\" appeared\n", title);
    std::_Exit(2);
  }

  testing_support::Image Capture(Window w) {
    testing_support::Image image;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, w, &attributes)) return image;
    XImage* x = XGetImage(display, w, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = attributes.width;
    image.height = attributes.height;
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
      for (int col = 0; col < image.width; ++col) {
        const unsigned long pixel = XGetPixel(x, col, y);
        std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + col) * 3];
        p[0] = Channel(pixel, x->red_mask);
        p[1] = Channel(pixel, x->green_mask);
        p[2] = Channel(pixel, x->blue_mask);
      }
    }
    XDestroyImage(x);
    return image;
  }

  // A left click at a point of the window's client area, through the XTest extension.
  void Click(Window w, Point at) {
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), at.x, at.y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
  }

  // What a window manager sends when the user presses the frame's close box.
  void Close(Window w) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &event);
    XSync(display, False);
  }

  Display* display;

 private:
  static std::uint8_t Channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
  }

  // Drawn: the dark banner, and the light face of the dialog around it. A window the
  // server has mapped but the toolkit has not drawn yet reads back black, which the
  // banner alone would take for drawn.
  static bool Drawn(const testing_support::Image& image) {
    auto at = [&image](int x, int y) -> const std::uint8_t* {
      if (image.width <= x || image.height <= y) return nullptr;
      return &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
    };
    const std::uint8_t* banner = at(20 + 185, 20 + 70);
    const std::uint8_t* face = at(5, 5);
    return banner && face && banner[0] < 100 && banner[1] < 100 && banner[2] < 100 && face[0] > 150 &&
           face[1] > 150 && face[2] > 150;
  }

  Window FindMapped(const char* title) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      char* name = nullptr;
      if (XFetchName(display, children[i], &name) && name) {
        XWindowAttributes attributes{};
        if (std::string(name) == title && XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable) {
          found = children[i];
        }
        XFree(name);
      }
    }
    if (children) XFree(children);
    return found;
  }
};

// Runs the user's part beside the dialog; the dialog itself runs on the calling thread,
// where its windows belong.
engine::WindowSettings RunDialog(const std::function<void(XUser&, Window)>& user) {
  std::thread thread([&user]() {
    XUser x;
    if (!x.display) {
      std::fprintf(stderr, "settingsDialog_test: cannot open the display\n");
      std::_Exit(2);
    }
    user(x, x.WaitForWindow(kTitle));
  });
  engine::WindowSettings settings;
  try {
    settings = engine::SettingsDialog();
  } catch (...) {
    thread.join();
    throw;
  }
  thread.join();
  return settings;
}

// What the adapter's first output reports, read here the way any program would.
std::vector<DXGI_MODE_DESC> ReportedModes() {
  IDXGIFactory* factory = nullptr;
  IDXGIAdapter* adapter = nullptr;
  IDXGIOutput* output = nullptr;
  std::vector<DXGI_MODE_DESC> modes;
  if (SUCCEEDED(CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->EnumAdapters(0, &adapter)) && SUCCEEDED(adapter->EnumOutputs(0, &output))) {
    UINT count = 0;
    output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &count, nullptr);
    modes.resize(count);
    if (count) output->GetDisplayModeList(DXGI_FORMAT_R8G8B8A8_UNORM, 0, &count, modes.data());
  }
  if (output) output->Release();
  if (adapter) adapter->Release();
  if (factory) factory->Release();
  return modes;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kXThreads);
    ASSERT_TRUE(platform::HasDisplay()) << "run under tests/support/xvfb.sh";
  }
};

TEST_F(SettingsDialogTest, StartWithoutChangesReturnsTheSmallestModeAtItsLowestRateFullscreen) {
  const std::vector<DXGI_MODE_DESC> modes = ReportedModes();
  ASSERT_FALSE(modes.empty());
  // The smallest size (by width, then height), and of its rates the first one reported
  // among those with the fewest whole hertz.
  const DXGI_MODE_DESC smallest = *std::min_element(modes.begin(), modes.end(), [](const auto& a, const auto& b) {
    return std::make_pair(a.Width, a.Height) < std::make_pair(b.Width, b.Height);
  });
  const DXGI_MODE_DESC* slowest = nullptr;
  for (const DXGI_MODE_DESC& m : modes) {
    if (m.Width != smallest.Width || m.Height != smallest.Height) continue;
    const UINT hertz = m.RefreshRate.Numerator / m.RefreshRate.Denominator;
    if (!slowest || hertz < slowest->RefreshRate.Numerator / slowest->RefreshRate.Denominator) slowest = &m;
  }

  testing_support::Image shown;
  const engine::WindowSettings s = RunDialog([&shown](XUser& user, Window dialog) {
    shown = user.Capture(dialog);
    user.Click(dialog, kStart);
  });

  EXPECT_EQ(s.width, static_cast<int>(smallest.Width));
  EXPECT_EQ(s.height, static_cast<int>(smallest.Height));
  EXPECT_EQ(s.refreshNumerator, static_cast<int>(slowest->RefreshRate.Numerator));
  EXPECT_EQ(s.refreshDenominator, static_cast<int>(slowest->RefreshRate.Denominator));
  EXPECT_FLOAT_EQ(s.aspect, static_cast<float>(s.width) / static_cast<float>(s.height));
  EXPECT_EQ(s.sampleCount, 1);
  EXPECT_EQ(s.sampleQuality, 0);
  EXPECT_TRUE(s.fullscreen);
  EXPECT_EQ(s.vsync, 0);
  EXPECT_FALSE(s.alwaysOnTop);
  EXPECT_EQ(s.backBufferFormat, 28);
  EXPECT_EQ(s.reservedFormat, 46);
  EXPECT_EQ(s.title, L"Empty");

  // The client area of the 415 x 385 window: banner, labels, lists and buttons as the
  // user sees them.
  EXPECT_EQ(shown.width, 409);
  EXPECT_EQ(shown.height, 356);
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "settings_dialog", shown, 48, 150));
}

TEST_F(SettingsDialogTest, ClicksOnListsAndBoxesChangeWhatStartReturns) {
  UINT levels = 0;
  ID3D10Device* device = nullptr;
  ASSERT_EQ(S_OK, D3D10CreateDevice(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &device));
  // The second multisampling row: the first count above 1 that has a quality level.
  UINT secondCount = 0;
  for (UINT count = 2; count <= 15 && !secondCount; ++count) {
    if (SUCCEEDED(device->CheckMultisampleQualityLevels(DXGI_FORMAT_R8G8B8A8_UNORM, count, &levels)) && levels > 0) {
      secondCount = count;
    }
  }
  device->Release();

  const engine::WindowSettings s = RunDialog([](XUser& user, Window dialog) {
    user.Click(dialog, Row(kAspectList.x, kAspectList.y, 2));  // 16:10
    user.Click(dialog, Row(kMultisamplingList.x, kMultisamplingList.y, 1));
    user.Click(dialog, kFullscreenBox);
    user.Click(dialog, kVsyncBox);
    user.Click(dialog, kAlwaysOnTopBox);
    user.Click(dialog, kStart);
  });
  EXPECT_FLOAT_EQ(s.aspect, 1.6f);
  if (secondCount) {
    EXPECT_EQ(s.sampleCount, static_cast<int>(secondCount));
    EXPECT_EQ(s.sampleQuality, 0);
  }
  EXPECT_FALSE(s.fullscreen);
  EXPECT_EQ(s.vsync, 1);
  EXPECT_TRUE(s.alwaysOnTop);
}

// The dialog ends the process itself; each case runs in a fresh copy of this program.
class SettingsDialogExit : public SettingsDialogTest {
 protected:
  void SetUp() override {
    SettingsDialogTest::SetUp();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The same folder in the parent and in the child, which runs this body again: the
    // child writes its log there and the parent reads it. The child finds it in the
    // environment it inherits; the process id keeps two runs of these tests at once
    // (two builds tested side by side) out of each other's folders.
    if (const char* inherited = std::getenv(kFolderVariable)) {
      folder = inherited;
    } else {
      folder = std::filesystem::path(::testing::TempDir()) /
               (std::string("neblu_dialog_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                "_" + std::to_string(getpid()));
      setenv(kFolderVariable, folder.c_str(), 1);
    }
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "data");
  }
  void TearDown() override {
    std::filesystem::remove_all(folder);
    unsetenv(kFolderVariable);
  }

  static constexpr const char* kFolderVariable = "NEBLU_DIALOG_TEST_FOLDER";

  std::string Log() const {
    std::ifstream in(folder / "data" / "log.html", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs the dialog in the child; returning from it is a failure of its own.
  void DialogInChild(const std::function<void(XUser&, Window)>& user) {
    if (chdir(folder.c_str()) != 0) std::_Exit(4);
    std::thread thread([&user]() {
      XUser x;
      if (x.display) user(x, x.WaitForWindow(kTitle));
    });
    thread.detach();
    engine::SettingsDialog();
    std::_Exit(3);
  }

  std::filesystem::path folder;
};

TEST_F(SettingsDialogExit, ExitButtonEndsTheProcessWithCodeZeroAndClosesTheLog) {
  EXPECT_EXIT(DialogInChild([](XUser& user, Window dialog) { user.Click(dialog, kExit); }),
              ::testing::ExitedWithCode(0), "");
  const std::string log = Log();
  EXPECT_NE(log.find("Settings dialog initiated"), std::string::npos) << log;
  EXPECT_NE(log.find("Goodbye!"), std::string::npos) << "the log was deleted, so its footer is written";
}

TEST_F(SettingsDialogExit, CloseBoxEndsTheProcessWithCodeZero) {
  EXPECT_EXIT(DialogInChild([](XUser& user, Window dialog) { user.Close(dialog); }), ::testing::ExitedWithCode(0),
              "");
  EXPECT_NE(Log().find("Settings dialog initiated"), std::string::npos);
}

}  // namespace
