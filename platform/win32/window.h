#pragma once

// Window classes and windows. A top-level window is an SDL2 window when there is a
// display, a dialog-toolkit window when it is made to hold controls
// (WS_EX_CONTROLPARENT), and a headless window (sizes, text and messages, no pixels)
// when there is no display or the program runs with -headless. All three behave the
// same towards their window procedure.
//
// Decorations belong to the window manager here, so the layer keeps its own frame
// metrics: AdjustWindowRect adds them, CreateWindowExW and SetWindowPos take them off
// again, and the client area is exactly what AdjustWindowRect was asked for.

#include <string>

#include "platform/api.h"
#include "platform/win32/types.h"

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// Extended window styles.
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos.
#define HWND_TOP (reinterpret_cast<HWND>(0))
#define HWND_BOTTOM (reinterpret_cast<HWND>(1))
#define HWND_TOPMOST (reinterpret_cast<HWND>(-1))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(-2))
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// GetWindowLongW.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_ID = -12;
constexpr int GWLP_HINSTANCE = -6;

// System colour indices for class background brushes (COLOR_WINDOW + 1 and the like).
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_BTNFACE = 15;

#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDI_APPLICATION MAKEINTRESOURCEW(32512)

struct WNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
  HICON hIconSm;
};

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};

// WM_CREATE's lParam.
struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};

// Registration fails (0) for a class name already registered; names compare without case.
PLATFORM_API ATOM RegisterClassExW(const WNDCLASSEXW* wndClass);
PLATFORM_API ATOM RegisterClassW(const WNDCLASSW* wndClass);
// Fails while windows of the class still exist, and for a class never registered.
PLATFORM_API BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);

// Grows a client rectangle to the outer rectangle of a window of this style.
PLATFORM_API BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
PLATFORM_API BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);

// Creates a top-level window of a registered class, or a control ("STATIC", "BUTTON",
// "LISTBOX") when style has WS_CHILD; for a control `menu` carries its id. The window
// procedure receives WM_CREATE before this returns; a result of -1 cancels creation.
PLATFORM_API HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY to the window, then to its controls, and frees them.
PLATFORM_API BOOL DestroyWindow(HWND window);
PLATFORM_API BOOL IsWindow(HWND window);
PLATFORM_API BOOL IsWindowVisible(HWND window);

// Position and size are of the outer rectangle, in screen coordinates.
PLATFORM_API BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Returns whether the window was visible before.
PLATFORM_API BOOL ShowWindow(HWND window, int command);
PLATFORM_API BOOL UpdateWindow(HWND window);
PLATFORM_API BOOL SetWindowTextW(HWND window, LPCWSTR text);
PLATFORM_API int GetWindowTextW(HWND window, LPWSTR text, int maxCount);
// Client rectangle: (0, 0, width, height).
PLATFORM_API BOOL GetClientRect(HWND window, RECT* rect);
// Outer rectangle in screen coordinates (controls: in their parent's client coordinates
// offset by the parent's client origin).
PLATFORM_API BOOL GetWindowRect(HWND window, RECT* rect);
PLATFORM_API LONG GetWindowLongW(HWND window, int index);
// Also GWLP_HINSTANCE: the instance the window was created with.
PLATFORM_API LONG_PTR GetWindowLongPtrW(HWND window, int index);
PLATFORM_API HWND GetParent(HWND window);
PLATFORM_API HWND SetFocus(HWND window);
PLATFORM_API HWND GetFocus();
PLATFORM_API BOOL EnableWindow(HWND window, BOOL enable);

// Working directory into a buffer of `length` characters. Returns the characters
// written without the terminator; when the buffer is too small, the size needed with it.
PLATFORM_API DWORD GetCurrentDirectoryW(DWORD length, LPWSTR buffer);
// The executable's module handle for a null name; null for any other name.
PLATFORM_API HMODULE GetModuleHandleW(LPCWSTR moduleName);
// Icons and cursors: the stock arrow and application icon for a null instance; for the
// executable, icon resources registered with platform::RegisterIconResource (null if
// there is none, as for a missing resource).
PLATFORM_API HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
PLATFORM_API HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);

// Cursor display counter: shown while it is 0 or more. Returns the new count.
PLATFORM_API int ShowCursor(BOOL show);
// Screen coordinates.
PLATFORM_API BOOL GetCursorPos(POINT* point);

namespace platform {

// The kind of window new top-level windows get, decided once: "SDL2", "headless".
PLATFORM_API std::string WindowSystem();
// True when windows are shown on a display (no -headless switch, a display reachable).
PLATFORM_API bool HasDisplay();
// Tests and tools choose headless windows before the first window is made.
PLATFORM_API void ForceHeadless(bool headless);

// The size the native window really has (the SDL window's size, or the widget window's),
// which tests compare with the client rectangle. False for a headless window.
PLATFORM_API bool NativeClientSize(HWND window, int* width, int* height);

// Input as a user would make it. On a window with a display the event is handed to the
// native window system first (an SDL event, a widget event), so it takes the same
// translation path as a real key or click; headless it becomes the message directly.
PLATFORM_API void InjectKey(HWND window, UINT virtualKey, bool down);
PLATFORM_API void InjectMouseMove(HWND window, int clientX, int clientY);
// button: 0 left, 1 right. On a control this clicks it (a list box selects the row
// under the point, a button or check box is pressed).
PLATFORM_API void InjectMouseButton(HWND window, int button, bool down, int clientX, int clientY);
// The close box of the window's frame.
PLATFORM_API void InjectCloseRequest(HWND window);

}  // namespace platform
