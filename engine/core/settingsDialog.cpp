// The start-up dialog: resolution, refresh rate, aspect, multisampling and the three
// switches, filled from what the first adapter's first output and the device support.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/core/displayModes.h"
#include "engine/core/logging.h"
#include "engine/core/safeRelease.h"
#include "engine/core/windowStuff.h"
#include "platform/d3d10.h"
#include "platform/dxgi.h"
#include "platform/win32.h"

namespace engine {
namespace {

using core::Multisampling;
using core::RefreshRate;
using core::Resolution;

constexpr int kStartButton = 104;
constexpr int kExitButton = 105;
constexpr int kBannerBitmap = 106;
constexpr int kResolutionList = 107;
constexpr int kRefreshList = 108;
constexpr int kAspectList = 109;
constexpr int kFullscreenBox = 110;
constexpr int kMultisamplingList = 112;
constexpr int kBanner = 113;
constexpr int kVsyncBox = 114;
constexpr int kAlwaysOnTopBox = 115;

constexpr DXGI_FORMAT kBackBufferFormat = DXGI_FORMAT_R8G8B8A8_UNORM;
constexpr UINT kMaxSampleCount = 15;

struct DialogState {
  bool running = true;
  HFONT font = nullptr;
  HWND resolutionList = nullptr;
  HWND refreshList = nullptr;
  HWND aspectList = nullptr;
  HWND multisamplingList = nullptr;
  core::ModeTable modes;
  std::vector<Resolution> resolutions;
  std::vector<RefreshRate> refreshRates;
  std::vector<Multisampling> multisampling;
};

DialogState& Dialog() {
  static DialogState state;
  return state;
}

void AddItem(HWND list, const std::wstring& item) {
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int Selection(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

// The refresh list always shows the rates of one resolution: the first at fill time,
// the selected one after each change of the resolution list.
void ShowRatesOf(DialogState& dialog, const Resolution& resolution) {
  dialog.refreshRates = dialog.modes[resolution];
  for (const RefreshRate& rate : dialog.refreshRates) AddItem(dialog.refreshList, core::RefreshItem(rate));
}

void FillMultisampling(DialogState& dialog, DXGI_FORMAT format) {
  ID3D10Device* device = nullptr;
  if (FAILED(D3D10CreateDevice(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &device))) {
    NEBLU_ERROR("Failed to create Direct3D 10 device");
  }
  for (UINT count = 1; count <= kMaxSampleCount; ++count) {
    UINT levels = 0;
    if (FAILED(device->CheckMultisampleQualityLevels(format, count, &levels))) {
      core::SafeRelease(device);
      NEBLU_ERROR("Could not determine multisampling quality");
    }
    for (UINT quality = 0; quality < levels; ++quality) {
      dialog.multisampling.push_back(Multisampling{static_cast<int>(count), static_cast<int>(quality)});
    }
  }
  core::SafeRelease(device);
  for (const Multisampling& entry : dialog.multisampling) {
    AddItem(dialog.multisamplingList, core::MultisamplingItem(entry));
  }
  SendMessageW(dialog.multisamplingList, LB_SETCURSEL, 0, 0);
}

std::vector<DXGI_MODE_DESC> ReadDisplayModes(DXGI_FORMAT format) {
  IDXGIFactory* factory = nullptr;
  if (FAILED(CreateDXGIFactory(__uuidof(IDXGIFactory), reinterpret_cast<void**>(&factory)))) {
    NEBLU_ERROR("CreateDXGIFactory failed");
  }
  IDXGIAdapter* adapter = nullptr;
  if (FAILED(factory->EnumAdapters(0, &adapter))) {
    core::SafeRelease(factory);
    NEBLU_ERROR("Failed to enum adapter 0");
  }
  IDXGIOutput* output = nullptr;
  if (FAILED(adapter->EnumOutputs(0, &output))) {
    core::SafeRelease(adapter);
    core::SafeRelease(factory);
    NEBLU_ERROR("Failed to enum output 0");
  }
  UINT count = 0;
  std::vector<DXGI_MODE_DESC> modes;
  // A list that cannot be read counts as no mode at all: Start then falls back to the
  // desktop's mode.
  if (SUCCEEDED(output->GetDisplayModeList(format, 0, &count, nullptr)) && count > 0) {
    modes.resize(count);
    if (FAILED(output->GetDisplayModeList(format, 0, &count, modes.data()))) count = 0;
    modes.resize(count);
  }
  core::SafeRelease(output);
  core::SafeRelease(adapter);
  core::SafeRelease(factory);
  return modes;
}

void FillLists(DialogState& dialog, DXGI_FORMAT format) {
  for (HWND list : {dialog.resolutionList, dialog.refreshList, dialog.aspectList, dialog.multisamplingList}) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
  }
  dialog.modes.clear();
  dialog.resolutions.clear();
  dialog.refreshRates.clear();
  dialog.multisampling.clear();

  const std::vector<DXGI_MODE_DESC> modes = ReadDisplayModes(format);
  dialog.modes = core::BuildModeTable(modes.data(), static_cast<UINT>(modes.size()));
  for (auto& [resolution, rates] : dialog.modes) {
    AddItem(dialog.resolutionList, core::ResolutionItem(resolution));
    dialog.resolutions.push_back(resolution);
    core::SortByHertz(&rates);
  }
  if (!dialog.resolutions.empty()) ShowRatesOf(dialog, dialog.resolutions.front());
  for (const wchar_t* item : core::kAspectItems) AddItem(dialog.aspectList, item);
  for (HWND list : {dialog.resolutionList, dialog.refreshList, dialog.aspectList}) {
    SendMessageW(list, LB_SETCURSEL, 0, 0);
  }
  FillMultisampling(dialog, format);
}

void EndSettingsDialog(HWND window) {
  EndDialog(window, 0);
  Dialog().running = false;
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState& dialog = Dialog();
  switch (message) {
    case WM_CLOSE:
      EndSettingsDialog(window);
      std::exit(0);
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kStartButton:
          EndSettingsDialog(window);
          return 0;
        case kExitButton:
          EndSettingsDialog(window);
          delete pattern::Singleton<core::Logging>::mInstance;
          std::exit(0);
        case kResolutionList: {
          SendMessageW(dialog.refreshList, LB_RESETCONTENT, 0, 0);
          const int row = Selection(dialog.resolutionList);
          if (row >= 0 && static_cast<std::size_t>(row) < dialog.resolutions.size()) {
            ShowRatesOf(dialog, dialog.resolutions[row]);
          } else {
            dialog.refreshRates.clear();
          }
          SendMessageW(dialog.refreshList, LB_SETCURSEL, 0, 0);
          return 0;
        }
        default:
          break;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Control(HWND parent, HINSTANCE instance, LPCWSTR className, LPCWSTR text, DWORD style, int x, int y, int width,
             int height, int id) {
  return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), instance, nullptr);
}

void SetFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

}  // namespace

WindowSettings SettingsDialog() {
  InitCommonControls();
  DialogState& dialog = Dialog();
  // A second dialog in the same process starts afresh.
  dialog.running = true;
  dialog.font = CreateFontW(15, 0, 0, 0, 500, 0, 0, 0, ANSI_CHARSET, 6, 0, 6, 0, L"Times New Roman");

  HINSTANCE executable = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = DialogProc;
  windowClass.hInstance = executable;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = L"SettingsDialog";
  // Fails only when an earlier dialog of this process registered the same class.
  RegisterClassExW(&windowClass);

  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, L"SettingsDialog", L"Select Your Settings",
                                WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 415, 385, nullptr,
                                nullptr, executable, nullptr);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  const HFONT font = dialog.font;
  const DWORD list = WS_VSCROLL | LBS_DISABLENOSCROLL;

  SetFont(Control(window, instance, L"STATIC", L"Resolution", 0, 20, 120, 100, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"Refresh Rate", 0, 130, 120, 100, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"Aspect Ratio", 0, 130, 210, 100, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"Fullscreen", 0, 40, 291, 50, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"VSync", 0, 150, 291, 100, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"Allways on top", 0, 260, 291, 100, 18, 0), font);
  SetFont(Control(window, instance, L"STATIC", L"Antialiasing Level", 0, 240, 120, 100, 18, 0), font);
  HWND banner = Control(window, instance, L"STATIC", L"", SS_BITMAP, 20, 20, 0, 0, kBanner);
  SendMessageW(banner, STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(kBannerBitmap), IMAGE_BITMAP, 0, 0,
                                                   LR_DEFAULTCOLOR)));
  HWND start = Control(window, instance, L"BUTTON", L"Start", WS_TABSTOP, 20, 315, 220, 24, kStartButton);
  SetFont(start, font);
  SetFocus(start);
  SetFont(Control(window, instance, L"BUTTON", L"Exit", WS_TABSTOP, 240, 315, 150, 24, kExitButton), font);
  Control(window, instance, L"BUTTON", L"", WS_TABSTOP | BS_AUTOCHECKBOX, 20, 290, 20, 20, kFullscreenBox);
  Control(window, instance, L"BUTTON", L"", WS_TABSTOP | BS_AUTOCHECKBOX, 130, 290, 20, 20, kVsyncBox);
  Control(window, instance, L"BUTTON", L"", WS_TABSTOP | BS_AUTOCHECKBOX, 240, 290, 20, 20, kAlwaysOnTopBox);
  dialog.resolutionList = Control(window, instance, L"LISTBOX", nullptr, list, 20, 140, 100, 150, kResolutionList);
  dialog.refreshList =
      Control(window, instance, L"LISTBOX", nullptr, WS_TABSTOP | list, 130, 140, 100, 70, kRefreshList);
  dialog.aspectList = Control(window, instance, L"LISTBOX", nullptr, WS_TABSTOP | list, 130, 230, 100, 50, kAspectList);
  dialog.multisamplingList =
      Control(window, instance, L"LISTBOX", nullptr, WS_TABSTOP | list, 240, 140, 150, 150, kMultisamplingList);
  for (HWND l : {dialog.resolutionList, dialog.refreshList, dialog.aspectList, dialog.multisamplingList}) {
    SetFont(l, font);
  }

  try {
    FillLists(dialog, kBackBufferFormat);
  } catch (...) {
    // The error leaves the dialog; its window goes with it.
    DestroyWindow(window);
    throw;
  }

  CheckDlgButton(window, kFullscreenBox, BST_CHECKED);
  NEBLU_MESSAGE("Settings dialog initiated");

  MSG msg;
  while (dialog.running) {
    if (GetMessageW(&msg, nullptr, 0, 0) == -1) break;
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  core::DialogChoice choice;
  choice.resolution = Selection(dialog.resolutionList);
  choice.refresh = Selection(dialog.refreshList);
  choice.aspect = Selection(dialog.aspectList);
  choice.multisampling = Selection(dialog.multisamplingList);
  choice.fullscreen = IsDlgButtonChecked(window, kFullscreenBox) == BST_CHECKED;
  choice.vsync = IsDlgButtonChecked(window, kVsyncBox) == BST_CHECKED;
  choice.alwaysOnTop = IsDlgButtonChecked(window, kAlwaysOnTopBox) == BST_CHECKED;
  DEVMODEW desktop = {};
  desktop.dmSize = sizeof(desktop);
  EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &desktop);
  const WindowSettings settings = core::SettingsFromChoice(
      choice, dialog.resolutions, dialog.refreshRates, dialog.multisampling,
      Resolution(static_cast<int>(desktop.dmPelsWidth), static_cast<int>(desktop.dmPelsHeight)),
      RefreshRate{static_cast<int>(desktop.dmDisplayFrequency), 1});
  DestroyWindow(window);
  return settings;
}

}  // namespace engine
