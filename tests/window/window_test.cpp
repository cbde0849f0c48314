// Windows on a display (run under tests/support/xvfb.sh): SDL2 windows with the engine's message
// semantics, and the settings dialog's controls on the dialog toolkit.

#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gl/context.h"
#include "platform/win32.h"
#include "support/golden_image.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

LRESULT CALLBACK EngineLikeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Seen{message, wParam, lParam});
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class DisplayWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::HasDisplay()) << "run under tests/support/xvfb.sh";
    ASSERT_EQ(platform::WindowSystem(), "SDL2");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = EngineLikeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"neblu";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    RECT rect{0, 0, 1024, 768};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    window = CreateWindowExW(0, L"neblu", L"Orv", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    Pump();
    Log().clear();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    UnregisterClassW(L"neblu", GetModuleHandleW(nullptr));
    Pump();
  }

  MSG Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return msg;
  }

  Uint32 NativeId() const {
    // The window the layer made is the only SDL window there is.
    SDL_Window* native = SDL_GetWindowFromID(1);
    for (Uint32 id = 1; !native && id < 64; ++id) native = SDL_GetWindowFromID(id);
    return native ? SDL_GetWindowID(native) : 0;
  }

  void PushKey(SDL_Keycode key, bool down, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = NativeId();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&e);
  }

  std::vector<Seen> Keys() const {
    std::vector<Seen> keys;
    for (const Seen& s : Log()) {
      if (s.message == WM_KEYDOWN || s.message == WM_KEYUP) keys.push_back(s);
    }
    return keys;
  }

  HWND window = nullptr;
};

TEST_F(DisplayWindow, WindowedClientAreaIsExactly1024By768) {
  int width = 0, height = 0;
  ASSERT_TRUE(platform::NativeClientSize(window, &width, &height));
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 1024);
  EXPECT_EQ(client.bottom, 768);
}

TEST_F(DisplayWindow, CloseRequestDeliversDestroyAndThenQuit) {
  platform::InjectCloseRequest(window);
  const MSG last = Pump();
  std::vector<UINT> order;
  for (const Seen& s : Log()) {
    if (s.message == WM_CLOSE || s.message == WM_DESTROY) order.push_back(s.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(last.message, static_cast<UINT>(WM_QUIT));
}

struct KeyCase {
  SDL_Keycode sdl;
  UINT vk;
};

TEST_F(DisplayWindow, SdlKeysArriveAsVirtualKeyCodesInOrder) {
  const std::vector<KeyCase> cases = {
      {SDLK_a, 'A'},          {SDLK_z, 'Z'},         {SDLK_0, '0'},         {SDLK_9, '9'},
      {SDLK_F1, VK_F1},       {SDLK_F9, 0x78},       {SDLK_F11, 0x7A},      {SDLK_F12, VK_F12},
      {SDLK_ESCAPE, 27},      {SDLK_LEFT, VK_LEFT},  {SDLK_UP, VK_UP},      {SDLK_RIGHT, VK_RIGHT},
      {SDLK_DOWN, VK_DOWN},   {SDLK_SPACE, VK_SPACE}, {SDLK_RETURN, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT},
      {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL}, {SDLK_RCTRL, VK_CONTROL}};
  for (const KeyCase& k : cases) {
    PushKey(k.sdl, true);
    PushKey(k.sdl, false);
  }
  // Everything pushed before one pump: each down and up is still its own message.
  Pump();
  const std::vector<Seen> keys = Keys();
  ASSERT_EQ(keys.size(), cases.size() * 2);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(keys[2 * i].message, static_cast<UINT>(WM_KEYDOWN)) << "case " << i;
    EXPECT_EQ(keys[2 * i].wParam, cases[i].vk) << "case " << i;
    EXPECT_EQ(keys[2 * i + 1].message, static_cast<UINT>(WM_KEYUP)) << "case " << i;
    EXPECT_EQ(keys[2 * i + 1].wParam, cases[i].vk) << "case " << i;
  }
}

TEST_F(DisplayWindow, SdlAutoRepeatBecomesRepeatedKeyDowns) {
  PushKey(SDLK_RIGHT, true);
  PushKey(SDLK_RIGHT, true, true);
  PushKey(SDLK_RIGHT, true, true);
  PushKey(SDLK_RIGHT, false);
  Pump();
  const std::vector<Seen> keys = Keys();
  ASSERT_EQ(keys.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(keys[i].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_NE(keys[2].lParam & (1 << 30), 0);
  EXPECT_EQ(keys[3].message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(DisplayWindow, MouseMovesAndButtonsComeFromSdl) {
  platform::InjectMouseMove(window, 300, 200);
  platform::InjectMouseButton(window, 1, true, 300, 200);
  platform::InjectMouseButton(window, 1, false, 300, 200);
  Pump();
  std::vector<Seen> mouse;
  for (const Seen& s : Log()) {
    if (s.message >= WM_MOUSEMOVE && s.message <= WM_RBUTTONUP) mouse.push_back(s);
  }
  ASSERT_EQ(mouse.size(), 3u);
  EXPECT_EQ(mouse[0].message, static_cast<UINT>(WM_MOUSEMOVE));
  EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), 300);
  EXPECT_EQ(GET_Y_LPARAM(mouse[0].lParam), 200);
  EXPECT_EQ(mouse[1].message, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(mouse[2].message, static_cast<UINT>(WM_RBUTTONUP));
}

TEST_F(DisplayWindow, DesktopModeComesFromTheDisplay) {
  DEVMODEW mode{};
  mode.dmSize = sizeof(mode);
  ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
  // The virtual screen the test is registered with in CTest.
  EXPECT_EQ(mode.dmPelsWidth, 1920u);
  EXPECT_EQ(mode.dmPelsHeight, 1080u);
  EXPECT_GT(mode.dmDisplayFrequency, 0u);
}

TEST_F(DisplayWindow, SuppliesTheDeviceAGlContextAndShowsPresentedFramesUpright) {
  std::string error;
  std::unique_ptr<platform::GlSurface> surface = platform::CreateGlSurface(window, &error);
  ASSERT_TRUE(surface) << error;
  EXPECT_EQ(surface->Describe().rfind("SDL2 window", 0), 0u) << surface->Describe();
  ASSERT_TRUE(surface->EnsureCurrent());
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  EXPECT_GE(major * 10 + minor, 45);

  // A frame whose top row is red and the rest blue, stored top row first.
  const int width = 64, height = 48;
  std::vector<std::uint8_t> pixels(width * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &pixels[(y * width + x) * 4];
      p[0] = y < 4 ? 255 : 0;
      p[2] = y < 4 ? 0 : 255;
      p[3] = 255;
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  surface->Present(texture, width, height, 0);
  // Present's copy, read back before a swap: the frame scaled to 1024 x 768 with its
  // top rows red. GL counts rows from the bottom, so the top of the window is row 767.
  platform::BlitToDefaultFramebuffer(texture, width, height, 1024, 768);
  glReadBuffer(GL_BACK);
  std::uint8_t top[4] = {}, bottom[4] = {};
  glReadPixels(512, 767, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, top);
  glReadPixels(512, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, bottom);
  EXPECT_GT(top[0], 200);
  EXPECT_LT(top[2], 50);
  EXPECT_LT(bottom[0], 50);
  EXPECT_GT(bottom[2], 200);
  glDeleteTextures(1, &texture);
}

TEST(HeadlessGlSurface, AHeadlessWindowLeavesTheDeviceItsOwnContext) {
  // Any window the factory does not know falls back to the built-in surfaceless one.
  std::string error;
  std::unique_ptr<platform::GlSurface> surface =
      platform::CreateGlSurface(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7777)), &error);
  if (!surface) GTEST_SKIP() << "no EGL device here: " << error;
  EXPECT_EQ(surface->Describe().rfind("EGL surfaceless", 0), 0u) << surface->Describe();
}

// The settings dialog's control table, built the way the engine builds it.
class DisplayDialog : public ::testing::Test {
 protected:
  static LRESULT CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  void SetUp() override {
    ASSERT_TRUE(platform::HasDisplay()) << "run under tests/support/xvfb.sh";
    commands.clear();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The banner: a fixed gradient in place of the executable's picture.
    std::vector<std::uint8_t> banner(370 * 80 * 3);
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 370; ++x) {
        std::uint8_t* p = &banner[(y * 370 + x) * 3];
        p[0] = static_cast<std::uint8_t>(x * 255 / 369);
        p[1] = static_cast<std::uint8_t>(y * 255 / 79);
        p[2] = 160;
      }
    }
    platform::RegisterBitmapResource(106, 370, 80, banner);
    InitCommonControls();
    font = CreateFontW(15, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 6, 0, 6, 0, L"Times New Roman");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_BTNFACE + 1));
    wc.lpszClassName = L"SettingsDialog";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    dialog = CreateWindowExW(WS_EX_CONTROLPARENT, L"SettingsDialog", L"Select Your Settings",
                             WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 415, 385, nullptr,
                             nullptr, instance, nullptr);
    ASSERT_NE(dialog, nullptr);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD list = child | WS_VSCROLL | LBS_DISABLENOSCROLL;
    Label(L"Resolution", 20, 120, 100);
    Label(L"Refresh Rate", 130, 120, 100);
    Label(L"Aspect Ratio", 130, 210, 100);
    Label(L"Fullscreen", 40, 291, 50);
    Label(L"VSync", 150, 291, 100);
    Label(L"Allways on top", 260, 291, 100);
    Label(L"Antialiasing Level", 240, 120, 100);
    HWND picture = Make(L"STATIC", L"", child | SS_BITMAP, 20, 20, 0, 0, 113);
    SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(LoadBitmapW(instance, MAKEINTRESOURCEW(106))));
    start = Make(L"BUTTON", L"Start", child | WS_TABSTOP, 20, 315, 220, 24, 104, true);
    Make(L"BUTTON", L"Exit", child | WS_TABSTOP, 240, 315, 150, 24, 105, true);
    fullscreen = Make(L"BUTTON", L"", child | WS_TABSTOP | BS_AUTOCHECKBOX, 20, 290, 20, 20, 110);
    Make(L"BUTTON", L"", child | WS_TABSTOP | BS_AUTOCHECKBOX, 130, 290, 20, 20, 114);
    Make(L"BUTTON", L"", child | WS_TABSTOP | BS_AUTOCHECKBOX, 240, 290, 20, 20, 115);
    resolutions = Make(L"LISTBOX", nullptr, list, 20, 140, 100, 150, 107, true);
    refresh = Make(L"LISTBOX", nullptr, list | WS_TABSTOP, 130, 140, 100, 70, 108, true);
    HWND aspect = Make(L"LISTBOX", nullptr, list | WS_TABSTOP, 130, 230, 100, 50, 109, true);
    HWND samples = Make(L"LISTBOX", nullptr, list | WS_TABSTOP, 240, 140, 150, 150, 112, true);
    for (const wchar_t* item : {L"640 x 480", L"800 x 600", L"1024 x 768", L"1280 x 720", L"1920 x 1080"}) {
      SendMessageW(resolutions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    for (const wchar_t* item : {L"60Hz", L"75Hz"}) SendMessageW(refresh, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    for (const wchar_t* item : {L"Auto", L"4:3", L"16:10", L"16:9", L"5:4"}) {
      SendMessageW(aspect, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    for (const wchar_t* item : {L"Samples: 1, Quality: 0", L"Samples: 4, Quality: 0"}) {
      SendMessageW(samples, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    for (HWND l : {resolutions, refresh, aspect, samples}) SendMessageW(l, LB_SETCURSEL, 0, 0);
    SendMessageW(fullscreen, BM_SETCHECK, BST_CHECKED, 0);
    SetFocus(start);
    UpdateWindow(dialog);
    Pump();
    commands.clear();
  }

  void TearDown() override {
    DestroyWindow(dialog);
    UnregisterClassW(L"SettingsDialog", GetModuleHandleW(nullptr));
    Pump();
  }

  HWND Make(LPCWSTR cls, LPCWSTR text, DWORD style, int x, int y, int w, int h, int id, bool withFont = false) {
    HWND control = CreateWindowExW(0, cls, text, style, x, y, w, h, dialog,
                                   reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (withFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return control;
  }
  void Label(LPCWSTR text, int x, int y, int w) { Make(L"STATIC", text, WS_CHILD | WS_VISIBLE, x, y, w, 18, 0, true); }

  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  static std::vector<std::pair<WORD, WORD>> commands;
  HFONT font = nullptr;
  HWND dialog = nullptr, start = nullptr, fullscreen = nullptr, resolutions = nullptr, refresh = nullptr;
};

std::vector<std::pair<WORD, WORD>> DisplayDialog::commands;

TEST_F(DisplayDialog, ControlsStandAtTheirPositions) {
  testing_support::Image image;
  ASSERT_TRUE(platform::CaptureWindow(dialog, &image.rgb, &image.width, &image.height));
  // The client area of a 415 x 385 dialog with a caption and a fixed frame.
  EXPECT_EQ(image.width, 409);
  EXPECT_EQ(image.height, 356);
  EXPECT_TRUE(testing_support::MatchesGolden(NEBLU_GOLDEN_DIR, "settings_dialog", image, 48, 100));
}

TEST_F(DisplayDialog, ClickOnAListRowSelectsItAndNotifies) {
  const int row = static_cast<int>(SendMessageW(resolutions, LB_GETITEMHEIGHT, 0, 0));
  platform::InjectMouseButton(resolutions, 0, true, 30, 3 * row + row / 2);
  platform::InjectMouseButton(resolutions, 0, false, 30, 3 * row + row / 2);
  Pump();
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), 3);
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.front(), std::make_pair(WORD{107}, LBN_SELCHANGE));
}

TEST_F(DisplayDialog, CheckBoxClickTogglesAndNotifies) {
  platform::InjectMouseButton(fullscreen, 0, true, 8, 10);
  platform::InjectMouseButton(fullscreen, 0, false, 8, 10);
  Pump();
  EXPECT_EQ(SendMessageW(fullscreen, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.front(), std::make_pair(WORD{110}, BN_CLICKED));
}

TEST_F(DisplayDialog, TabKeyFromTheToolkitMovesFocusThroughTheDialogLoop) {
  ASSERT_EQ(GetFocus(), start);
  platform::InjectKey(dialog, VK_TAB, true);
  platform::InjectKey(dialog, VK_TAB, false);
  Pump();
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 105) << "Exit follows Start";
}

}  // namespace
