// Window, message and control semantics on headless windows: what the engine's window
// procedure and the settings dialog rely on, without a display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

// Handles messages the way the engine's window procedure does: records them, quits on
// destroy, leaves the rest to the default procedure.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Seen{hwnd, message, wParam, lParam});
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::vector<UINT> Messages(std::initializer_list<UINT> kinds) {
  std::vector<UINT> out;
  for (const Seen& s : Log()) {
    for (UINT k : kinds) {
      if (s.message == k) out.push_back(s.message);
    }
  }
  return out;
}

class HeadlessWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::ForceHeadless(true); }

  void SetUp() override {
    Log().clear();
    MSG drain;
    while (PeekMessageW(&drain, nullptr, 0, 0, PM_REMOVE)) {
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"neblu";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    RECT rect{0, 0, 1024, 768};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    outer = rect;
    window = CreateWindowExW(0, L"neblu", L"Orv", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Log().clear();
  }

  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    UnregisterClassW(L"neblu", GetModuleHandleW(nullptr));
    MSG drain;
    while (PeekMessageW(&drain, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // One pass of the engine's pump. Returns the last message taken.
  MSG Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return msg;
  }

  std::vector<Seen> Keys() const {
    std::vector<Seen> keys;
    for (const Seen& s : Log()) {
      if (s.message == WM_KEYDOWN || s.message == WM_KEYUP || s.message == WM_SYSKEYDOWN ||
          s.message == WM_SYSKEYUP) {
        keys.push_back(s);
      }
    }
    return keys;
  }

  HWND window = nullptr;
  RECT outer{};
};

TEST_F(HeadlessWindow, ClientAreaIsExactlyWhatWasAdjustedFor) {
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 1024);
  EXPECT_EQ(client.bottom, 768);
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, outer.right - outer.left);
  EXPECT_EQ(frame.bottom - frame.top, outer.bottom - outer.top);
  EXPECT_GT(outer.right - outer.left, 1024) << "a caption and frame add to the outer size";
}

TEST_F(HeadlessWindow, TopmostAtAPosition) {
  SetWindowPos(window, HWND_TOPMOST, 100, 100, outer.right - outer.left, outer.bottom - outer.top, 0);
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.top, 100);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 1024);
}

TEST_F(HeadlessWindow, CloseRequestDestroysTheWindowAndThenQuits) {
  platform::InjectCloseRequest(window);
  MSG last = Pump();
  EXPECT_EQ(Messages({WM_CLOSE, WM_DESTROY}), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
  // The pump keeps the last message: WM_QUIT, taken after everything else.
  EXPECT_EQ(last.message, static_cast<UINT>(WM_QUIT));
  MSG none;
  EXPECT_FALSE(PeekMessageW(&none, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT comes once";
}

TEST_F(HeadlessWindow, ClassCannotGoWhileItsWindowsExist) {
  EXPECT_FALSE(UnregisterClassW(L"neblu", GetModuleHandleW(nullptr)));
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassW(L"NEBLU", GetModuleHandleW(nullptr))) << "class names ignore case";
}

TEST_F(HeadlessWindow, KeysArriveAsVirtualKeyCodesInOrder) {
  const std::vector<UINT> keys = {'A', 'Z', '0', '9', VK_F1, VK_F9, VK_F11, VK_F12, VK_ESCAPE,
                                  VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_SPACE, VK_RETURN, VK_SHIFT, VK_CONTROL};
  for (UINT vk : keys) {
    platform::InjectKey(window, vk, true);
    platform::InjectKey(window, vk, false);
  }
  Pump();
  const std::vector<Seen> seen = Keys();
  ASSERT_EQ(seen.size(), keys.size() * 2);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(seen[2 * i].message, static_cast<UINT>(WM_KEYDOWN)) << keys[i];
    EXPECT_EQ(seen[2 * i].wParam, keys[i]);
    EXPECT_EQ(seen[2 * i + 1].message, static_cast<UINT>(WM_KEYUP)) << keys[i];
    EXPECT_EQ(seen[2 * i + 1].wParam, keys[i]);
  }
}

TEST_F(HeadlessWindow, AutoRepeatIsRepeatedKeyDownsWithThePreviousStateBit) {
  platform::InjectKey(window, VK_F9, true);
  platform::InjectKey(window, VK_F9, true);
  platform::InjectKey(window, VK_F9, false);
  Pump();
  const std::vector<Seen> seen = Keys();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].lParam & (1 << 30), 0);
  EXPECT_NE(seen[1].lParam & (1 << 30), 0);
  EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(HeadlessWindow, TranslateMessageAddsCharactersRightAfterTheirKey) {
  platform::InjectKey(window, 'Q', true);
  platform::InjectKey(window, 'Q', false);
  platform::InjectKey(window, VK_SHIFT, true);
  platform::InjectKey(window, 'Q', true);
  Pump();
  std::vector<std::pair<UINT, WPARAM>> order;
  for (const Seen& s : Log()) order.emplace_back(s.message, s.wParam);
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'Q'}, {WM_CHAR, 'q'}, {WM_KEYUP, 'Q'}, {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'Q'}, {WM_CHAR, 'Q'}};
  EXPECT_EQ(order, expected);
  platform::InjectKey(window, VK_SHIFT, false);
  platform::InjectKey(window, 'Q', false);
}

TEST_F(HeadlessWindow, MouseCarriesSignedClientCoordinatesAndButtons) {
  platform::InjectMouseMove(window, -5, 20);
  platform::InjectMouseButton(window, 0, true, 30, 40);
  platform::InjectMouseButton(window, 0, false, 30, 40);
  platform::InjectMouseButton(window, 1, true, 31, 41);
  platform::InjectMouseButton(window, 1, false, 31, 41);
  Pump();
  ASSERT_EQ(Messages({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}));
  const Seen& move = Log()[0];
  EXPECT_EQ(GET_X_LPARAM(move.lParam), -5);
  EXPECT_EQ(GET_Y_LPARAM(move.lParam), 20);
  EXPECT_EQ(Log()[1].wParam & MK_LBUTTON, MK_LBUTTON);
  // The cursor in screen coordinates: the client origin plus the client position.
  RECT frame{};
  GetWindowRect(window, &frame);
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, frame.left + 8 - 5);
}

TEST_F(HeadlessWindow, PeekFiltersByWindowAndRangeAndCanLeaveMessagesQueued) {
  PostMessageW(window, WM_USER + 1, 1, 0);
  PostMessageW(nullptr, WM_USER + 2, 2, 0);
  PostMessageW(window, WM_USER + 3, 3, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 3, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageW(&msg, window, WM_USER + 2, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3) << "a window filter skips thread messages";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(HeadlessWindow, GetMessageReturnsZeroForQuitAfterWhatWasQueuedFirst) {
  PostQuitMessage(3);
  PostMessageW(window, WM_USER, 0, 0);
  MSG msg{};
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(HeadlessWindow, TitleChangesThroughSetWindowText) {
  SetWindowTextW(window, L"Orv — running");
  wchar_t text[64];
  EXPECT_EQ(GetWindowTextW(window, text, 64), 13);
  EXPECT_EQ(std::wstring(text), L"Orv — running");
}

// The settings dialog's controls, headless: their state and notifications work without
// a display, so the dialog logic is testable anywhere.
class HeadlessDialog : public ::testing::Test {
 protected:
  static LRESULT CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  void SetUp() override {
    platform::ForceHeadless(true);
    commands.clear();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SettingsDialog";
    ASSERT_NE(RegisterClassW(&wc), 0);
    dialog = CreateWindowExW(WS_EX_CONTROLPARENT, L"SettingsDialog", L"Select Your Settings",
                             WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 415, 385, nullptr,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_NE(dialog, nullptr);
    const DWORD child = WS_CHILD | WS_VISIBLE;
    start = Control(L"BUTTON", L"Start", child | WS_TABSTOP, 20, 315, 220, 24, 104);
    Control(L"STATIC", L"Resolution", child, 20, 120, 100, 18, 0);
    fullscreen = Control(L"BUTTON", L"", child | WS_TABSTOP | BS_AUTOCHECKBOX, 20, 290, 20, 20, 110);
    resolutions = Control(L"LISTBOX", nullptr, child | WS_VSCROLL | LBS_DISABLENOSCROLL, 20, 140, 100, 150, 107);
    refresh = Control(L"LISTBOX", nullptr, child | WS_TABSTOP | WS_VSCROLL, 130, 140, 100, 70, 108);
  }

  void TearDown() override {
    DestroyWindow(dialog);
    UnregisterClassW(L"SettingsDialog", GetModuleHandleW(nullptr));
    MSG drain;
    while (PeekMessageW(&drain, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  HWND Control(LPCWSTR cls, LPCWSTR text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExW(0, cls, text, style, x, y, w, h, dialog,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), GetModuleHandleW(nullptr),
                           nullptr);
  }

  void DialogPump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageW(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  static std::vector<std::pair<WORD, WORD>> commands;
  HWND dialog = nullptr, start = nullptr, fullscreen = nullptr, resolutions = nullptr, refresh = nullptr;
};

std::vector<std::pair<WORD, WORD>> HeadlessDialog::commands;

TEST_F(HeadlessDialog, ListBoxKeepsItemsAndSelection) {
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(resolutions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"800 x 600")), 0);
  EXPECT_EQ(SendMessageW(resolutions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"1024 x 768")), 1);
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(resolutions, LB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageW(resolutions, LB_SETCURSEL, 5, 0), LB_ERR);
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), 1) << "a bad index leaves the selection";
  wchar_t text[32];
  EXPECT_EQ(SendMessageW(resolutions, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)), 10);
  EXPECT_EQ(std::wstring(text), L"1024 x 768");
  SendMessageW(resolutions, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), LB_ERR);
  DialogPump();
  EXPECT_TRUE(commands.empty()) << "changes made by messages do not notify";
}

TEST_F(HeadlessDialog, ClickOnARowSelectsItAndNotifiesTheParent) {
  for (const wchar_t* item : {L"640 x 480", L"800 x 600", L"1024 x 768"}) {
    SendMessageW(resolutions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  const int row = static_cast<int>(SendMessageW(resolutions, LB_GETITEMHEIGHT, 0, 0));
  platform::InjectMouseButton(resolutions, 0, true, 10, 2 * row + row / 2);
  platform::InjectMouseButton(resolutions, 0, false, 10, 2 * row + row / 2);
  DialogPump();
  EXPECT_EQ(SendMessageW(resolutions, LB_GETCURSEL, 0, 0), 2);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{107}, LBN_SELCHANGE));
}

TEST_F(HeadlessDialog, AutoCheckBoxTogglesOnClickAndNotifies) {
  CheckDlgButton(dialog, 110, BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 110), BST_CHECKED);
  SendMessageW(fullscreen, BM_CLICK, 0, 0);
  DialogPump();
  EXPECT_EQ(SendMessageW(fullscreen, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], std::make_pair(WORD{110}, BN_CLICKED));
  SendMessageW(start, BM_CLICK, 0, 0);
  DialogPump();
  EXPECT_EQ(commands.back(), std::make_pair(WORD{104}, BN_CLICKED));
}

TEST_F(HeadlessDialog, TabMovesTheFocusBetweenTabStopsInCreationOrder) {
  SetFocus(start);
  const std::vector<HWND> forward = {fullscreen, refresh, start};
  for (HWND expected : forward) {
    platform::InjectKey(GetFocus(), VK_TAB, true);
    platform::InjectKey(GetFocus(), VK_TAB, false);
    DialogPump();
    EXPECT_EQ(GetFocus(), expected);
  }
  platform::InjectKey(GetFocus(), VK_SHIFT, true);
  platform::InjectKey(GetFocus(), VK_TAB, true);
  DialogPump();
  EXPECT_EQ(GetFocus(), refresh) << "Shift+Tab goes back";
  platform::InjectKey(GetFocus(), VK_TAB, false);
  platform::InjectKey(GetFocus(), VK_SHIFT, false);
  DialogPump();
}

TEST_F(HeadlessDialog, PictureStaticTakesTheSizeOfItsBitmap) {
  platform::RegisterBitmapResource(106, 370, 80, std::vector<std::uint8_t>(370 * 80 * 3, 0x80));
  HWND picture = Control(L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 20, 20, 0, 0, 113);
  HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(106));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(107)), nullptr);
  SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  RECT rect{};
  GetClientRect(picture, &rect);
  EXPECT_EQ(rect.right, 370);
  EXPECT_EQ(rect.bottom, 80);
}

TEST(HeadlessDisplay, DesktopIs720pAt60AndModesIncludeFractionalRates) {
  platform::ForceHeadless(true);
  DEVMODEW mode{};
  mode.dmSize = sizeof(mode);
  ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
  EXPECT_EQ(mode.dmPelsWidth, 1280u);
  EXPECT_EQ(mode.dmPelsHeight, 720u);
  EXPECT_EQ(mode.dmDisplayFrequency, 60u);
  bool ntsc = false, smallest = false;
  for (const platform::DisplayMode& m : platform::DisplayModes()) {
    ntsc |= m.refreshNumerator == 60000 && m.refreshDenominator == 1001;
    smallest |= m.width == 640 && m.height == 480;
  }
  EXPECT_TRUE(ntsc);
  EXPECT_TRUE(smallest);
}

TEST(WorkingDirectory, SmallBufferAsksForTheSizeWithTerminator) {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  ASSERT_GT(needed, 1u);
  std::vector<wchar_t> buffer(needed);
  EXPECT_EQ(GetCurrentDirectoryW(needed, buffer.data()), needed - 1);
  EXPECT_EQ(GetCurrentDirectoryW(needed - 1, buffer.data()), needed);
}

}  // namespace
