#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/win32/messages.h"
#include "platform/win32/window_internal.h"

// Defined by PLATFORM_PROGRAM_CLOSES_ON_INTERRUPT in the executable; weak, so the
// address is null in every other program. Resolved before any initialiser runs.
extern "C" __attribute__((weak)) const char neblu_program_closes_on_interrupt;

namespace platform {
namespace win {
namespace {

struct WindowClass {
  std::wstring name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  ATOM atom = 0;
  int windows = 0;
};

struct Registry {
  std::vector<WindowClass> classes;
  std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::uintptr_t nextHandle = 0x10010;
  ATOM nextAtom = 0xC000;
  int cursorCount = 0;
};

Registry& State() {
  static Registry registry;
  return registry;
}

enum class System { Undecided, Display, Headless };
System& ChosenSystem() {
  static System system = System::Undecided;
  return system;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

WindowClass* FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  for (WindowClass& c : State().classes) {
    if (IS_INTRESOURCE(name) ? c.atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name))
                             : SameName(c.name, name)) {
      return &c;
    }
  }
  return nullptr;
}

ControlKind ControlClass(LPCWSTR name) {
  if (!name || IS_INTRESOURCE(name)) return ControlKind::NotAControl;
  if (SameName(name, L"STATIC")) return ControlKind::Static;
  if (SameName(name, L"BUTTON")) return ControlKind::Button;
  if (SameName(name, L"LISTBOX")) return ControlKind::ListBox;
  return ControlKind::NotAControl;
}

ATOM Register(const std::wstring& name, UINT style, WNDPROC proc, HINSTANCE instance, HICON icon, HCURSOR cursor,
              HBRUSH background) {
  if (name.empty() || !proc || FindClass(name.c_str()) || ControlClass(name.c_str()) != ControlKind::NotAControl) return 0;
  WindowClass c;
  c.name = name;
  c.style = style;
  c.proc = proc;
  c.instance = instance;
  c.icon = icon;
  c.cursor = cursor;
  c.background = background;
  c.atom = State().nextAtom++;
  State().classes.push_back(c);
  return c.atom;
}

void Log(const std::string& line) {
  std::fprintf(stderr, "platform: %s\n", line.c_str());
  std::fflush(stderr);
}

// Decided once per process, at the first window: every later window is of the same kind.
System Decide() {
  System& system = ChosenSystem();
  if (system != System::Undecided) return system;
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (HasCommandLineSwitch("-headless")) {
    Log("windows: headless (-headless)");
    system = System::Headless;
  } else if ((!display || !*display) && (!wayland || !*wayland)) {
    Log("windows: headless (no DISPLAY or WAYLAND_DISPLAY)");
    system = System::Headless;
  } else if (!SdlVideoAvailable()) {
    Log("windows: headless (no display could be opened)");
    system = System::Headless;
  } else {
    Log(std::string("windows: SDL2 on display ") + (display && *display ? display : wayland));
    system = System::Display;
  }
  return system;
}

void ClientFromOuter(Window& w, int x, int y, int outerWidth, int outerHeight, bool move, bool size) {
  int left, top, right, bottom;
  FrameMetrics(w.style, w.exStyle, &left, &top, &right, &bottom);
  if (move) {
    w.x = x + left;
    w.y = y + top;
  }
  if (size) {
    w.width = std::max(0, outerWidth - left - right);
    w.height = std::max(0, outerHeight - top - bottom);
  }
}

Backend* BackendOf(Window& w) {
  Window* top = TopLevelOf(w);
  return top ? top->backend.get() : nullptr;
}

}  // namespace

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

void TakeOverInterrupts() {
  static const bool installed = [] {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: a second Ctrl-C ends a program that does not answer the first.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
  }();
  (void)installed;
}

// As the layer loads, before the program's own code: a signal that comes while the
// program loads waits for the first message pump instead of ending the process with
// its log cut. Programs that did not ask keep the default until their first pump, so a
// tool still ends at once on SIGTERM.
__attribute__((constructor(101))) void TakeOverInterruptsAtLoad() {
  if (&neblu_program_closes_on_interrupt != nullptr) TakeOverInterrupts();
}

}  // namespace

bool InterruptPending() { return interrupted != 0; }

void DeliverInterrupt() {
  TakeOverInterrupts();
  if (!interrupted) return;
  interrupted = 0;
  // Ctrl-C or a kill closes the program's windows as their close boxes would, so a
  // capture finishes its video and the log is written out.
  std::vector<Window*> topLevel;
  for (auto& entry : State().windows) {
    if (!entry.second->parent && !entry.second->destroying) topLevel.push_back(entry.second.get());
  }
  for (Window* w : topLevel) PostClose(*w);
  if (topLevel.empty()) PostQuitMessage(0);
}

Window* Find(HWND handle) {
  auto it = State().windows.find(reinterpret_cast<std::uintptr_t>(handle));
  return it == State().windows.end() ? nullptr : it->second.get();
}

Window* TopLevelOf(Window& window) {
  Window* w = &window;
  while (w && w->parent) w = Find(w->parent);
  return w;
}

// Sizes of a frame drawn by the system of the original platform at 96 dpi: a sizing
// frame of 8 pixels, a fixed dialog frame of 3, and a caption of 23 above the client.
void FrameMetrics(DWORD style, DWORD /*exStyle*/, int* left, int* top, int* right, int* bottom) {
  int border = 0;
  if (style & WS_CHILD) {
    border = 0;
  } else if (style & WS_THICKFRAME) {
    border = 8;
  } else if ((style & WS_CAPTION) || (style & WS_DLGFRAME) || (style & WS_BORDER)) {
    border = 3;
  }
  const int caption = (!(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION) ? 23 : 0;
  *left = border;
  *right = border;
  *bottom = border;
  *top = border + caption;
}

}  // namespace win

std::string WindowSystem() { return win::Decide() == win::System::Display ? "SDL2" : "headless"; }

bool HasDisplay() { return win::Decide() == win::System::Display; }

void ForceHeadless(bool headless) {
  win::ChosenSystem() = headless ? win::System::Headless : win::System::Undecided;
}

bool NativeClientSize(HWND window, int* width, int* height) {
  win::Window* w = win::Find(window);
  if (!w || !w->backend) return false;
  return w->backend->NativeSize(*w, width, height);
}

void InjectKey(HWND window, UINT virtualKey, bool down) {
  win::Window* w = win::Find(window);
  if (!w || virtualKey > 255) return;
  win::Backend* backend = win::BackendOf(*w);
  if (backend && backend->InjectKey(*w, virtualKey, down)) return;
  win::PostKey(*w, virtualKey, down, 0);
}

void InjectMouseMove(HWND window, int clientX, int clientY) {
  win::Window* w = win::Find(window);
  if (!w) return;
  win::Backend* backend = win::BackendOf(*w);
  if (backend && backend->InjectMouseMove(*w, clientX, clientY)) return;
  win::PostMouseMove(*w, clientX, clientY);
}

void InjectMouseButton(HWND window, int button, bool down, int clientX, int clientY) {
  win::Window* w = win::Find(window);
  if (!w) return;
  win::Window* top = win::TopLevelOf(*w);
  win::Window* control = w->parent ? w : nullptr;
  if (top && top->backend && top->backend->InjectMouseButton(*top, control, button, down, clientX, clientY)) return;
  if (control) {
    if (!down && button == 0) win::ClickControl(*control, clientX, clientY);
    return;
  }
  win::PostMouseButton(*w, button, down, clientX, clientY);
}

void InjectCloseRequest(HWND window) {
  win::Window* w = win::Find(window);
  if (!w) return;
  if (w->backend && w->backend->InjectClose(*w)) return;
  win::PostClose(*w);
}

}  // namespace platform

using platform::win::Find;
using platform::win::Window;

ATOM RegisterClassExW(const WNDCLASSEXW* c) {
  if (!c || !c->lpszClassName || IS_INTRESOURCE(c->lpszClassName)) return 0;
  return platform::win::Register(c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hIcon, c->hCursor,
                                 c->hbrBackground);
}

ATOM RegisterClassW(const WNDCLASSW* c) {
  if (!c || !c->lpszClassName || IS_INTRESOURCE(c->lpszClassName)) return 0;
  return platform::win::Register(c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hIcon, c->hCursor,
                                 c->hbrBackground);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE /*instance*/) {
  auto& classes = platform::win::State().classes;
  platform::win::WindowClass* c = platform::win::FindClass(className);
  if (!c || c->windows > 0) return FALSE;
  classes.erase(classes.begin() + (c - classes.data()));
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL /*menu*/, DWORD exStyle) {
  if (!rect) return FALSE;
  int left, top, right, bottom;
  platform::win::FrameMetrics(style, exStyle, &left, &top, &right, &bottom);
  rect->left -= left;
  rect->top -= top;
  rect->right += right;
  rect->bottom += bottom;
  return TRUE;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  using namespace platform::win;
  const ControlKind kind = ControlClass(className);
  WindowClass* windowClass = nullptr;
  Window* parentWindow = nullptr;
  if (kind != ControlKind::NotAControl) {
    parentWindow = Find(parent);
    if (!(style & WS_CHILD) || !parentWindow) {
      Log("CreateWindowExW: a control needs WS_CHILD and an existing parent");
      return nullptr;
    }
  } else {
    windowClass = FindClass(className);
    if (!windowClass) return nullptr;
    if (style & WS_CHILD) {
      Log("CreateWindowExW: child windows of registered classes: not implemented");
      return nullptr;
    }
  }

  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  Registry& state = State();
  w.handle = reinterpret_cast<HWND>(state.nextHandle);
  state.nextHandle += 2;
  w.style = style & ~WS_VISIBLE;
  w.exStyle = exStyle;
  w.text = windowName ? windowName : L"";
  w.instance = instance;
  if (kind != ControlKind::NotAControl) {
    w.className = className;
    w.parent = parent;
    w.id = static_cast<int>(reinterpret_cast<std::intptr_t>(menu));
    w.control.kind = kind;
    w.x = x;
    w.y = y;
    w.width = std::max(0, width);
    w.height = std::max(0, height);
    w.visible = (style & WS_VISIBLE) != 0;
  } else {
    w.className = windowClass->name;
    w.proc = windowClass->proc;
    w.icon = windowClass->icon;
    const int outerWidth = width == CW_USEDEFAULT ? 800 : width;
    const int outerHeight = (width == CW_USEDEFAULT || height == CW_USEDEFAULT) ? 600 : height;
    ClientFromOuter(w, x == CW_USEDEFAULT ? 40 : x, (x == CW_USEDEFAULT || y == CW_USEDEFAULT) ? 40 : y,
                    outerWidth, outerHeight, true, true);
    ++windowClass->windows;
  }
  state.windows[reinterpret_cast<std::uintptr_t>(w.handle)] = std::move(owned);

  if (kind != ControlKind::NotAControl) {
    parentWindow->children.push_back(w.handle);
    // A picture static may name its bitmap resource in its text, "#106".
    if ((w.style & 0x1F) == SS_BITMAP && kind == ControlKind::Static && w.text.size() > 1 && w.text[0] == L'#') {
      const int resource = std::wcstol(w.text.c_str() + 1, nullptr, 10);
      w.text.clear();
      if (HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(resource))) {
        ControlMessage(w, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
      }
    }
    if (Backend* backend = BackendOf(w)) backend->ControlCreated(*parentWindow, w);
    return w.handle;
  }

  if (Decide() == System::Display) {
    w.backend = (exStyle & WS_EX_CONTROLPARENT) ? MakeFltkBackend(w) : MakeSdlBackend(w);
  } else if (exStyle & WS_EX_CONTROLPARENT) {
    Log("window \"" + platform::Utf8FromWide(w.text) + "\" holds controls but there is no display: it cannot show");
  }

  CREATESTRUCTW create{param,  instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                       windowName, w.className.c_str(), exStyle};
  HWND handle = w.handle;
  if (w.proc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if ((style & WS_VISIBLE) && Find(handle)) ShowWindow(handle, SW_SHOW);
  return Find(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND handle) {
  using namespace platform::win;
  Window* w = Find(handle);
  if (!w || w->destroying) return FALSE;
  w->destroying = true;
  if (w->proc) w->proc(handle, WM_DESTROY, 0, 0);
  w = Find(handle);
  if (!w) return TRUE;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) DestroyWindow(child);
  w = Find(handle);
  if (!w) return TRUE;
  if (w->parent) {
    if (Window* parent = Find(w->parent)) {
      if (Backend* backend = BackendOf(*w)) backend->ControlDestroyed(*w);
      parent->children.erase(std::remove(parent->children.begin(), parent->children.end(), handle),
                             parent->children.end());
    }
  } else if (WindowClass* c = FindClass(w->className.c_str())) {
    --c->windows;
  }
  if (FocusWindow() == handle) SetFocusWindow(nullptr);
  // The native window goes before the record, so its last events find no window and
  // are dropped.
  std::unique_ptr<Window> owned = std::move(State().windows[reinterpret_cast<std::uintptr_t>(handle)]);
  State().windows.erase(reinterpret_cast<std::uintptr_t>(handle));
  owned->backend.reset();
  return TRUE;
}

BOOL IsWindow(HWND window) { return Find(window) != nullptr; }

BOOL IsWindowVisible(HWND window) {
  Window* w = Find(window);
  while (w) {
    if (!w->visible) return FALSE;
    if (!w->parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w) return FALSE;
  const bool move = !(flags & SWP_NOMOVE);
  const bool size = !(flags & SWP_NOSIZE);
  if (w->parent) {
    if (move) {
      w->x = x;
      w->y = y;
    }
    if (size) {
      w->width = std::max(0, cx);
      w->height = std::max(0, cy);
    }
    if (Backend* backend = BackendOf(*w)) backend->ControlChanged(*w);
  } else {
    ClientFromOuter(*w, x, y, cx, cy, move, size);
    if (w->backend && (move || size)) w->backend->SetBounds(*w);
    if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
      w->topmost = insertAfter == HWND_TOPMOST;
      if (w->backend) w->backend->SetTopmost(*w, w->topmost);
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w) return FALSE;
  const bool before = w->visible;
  w->visible = command != SW_HIDE;
  if (w->parent) {
    if (Backend* backend = BackendOf(*w)) backend->ControlChanged(*w);
  } else if (w->backend) {
    w->backend->SetVisible(*w, w->visible);
  }
  return before ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w) return FALSE;
  if (Backend* backend = BackendOf(*w)) backend->Redraw(*w);
  return TRUE;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w) return FALSE;
  w->text = text ? text : L"";
  if (w->parent) {
    if (Backend* backend = BackendOf(*w)) backend->ControlChanged(*w);
  } else if (w->backend) {
    w->backend->SetTitle(*w);
  }
  return TRUE;
}

int GetWindowTextW(HWND window, LPWSTR text, int maxCount) {
  Window* w = Find(window);
  if (!w || !text || maxCount <= 0) return 0;
  const int n = std::min(static_cast<int>(w->text.size()), maxCount - 1);
  std::copy(w->text.begin(), w->text.begin() + n, text);
  text[n] = L'\0';
  return n;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  Window* w = Find(window);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->width, w->height};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w || !rect) return FALSE;
  int left = 0, top = 0, right = 0, bottom = 0;
  int originX = 0, originY = 0;
  if (w->parent) {
    // A control's client origin is its parent's client origin plus its own position.
    for (Window* p = Find(w->parent); p; p = p->parent ? Find(p->parent) : nullptr) {
      originX += p->x;
      originY += p->y;
    }
  } else {
    FrameMetrics(w->style, w->exStyle, &left, &top, &right, &bottom);
  }
  *rect = RECT{originX + w->x - left, originY + w->y - top, originX + w->x + w->width + right,
               originY + w->y + w->height + bottom};
  return TRUE;
}

LONG GetWindowLongW(HWND window, int index) {
  Window* w = Find(window);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0) | (w->enabled ? 0 : WS_DISABLED));
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle | (w->topmost ? WS_EX_TOPMOST : 0));
    case GWL_ID:
      return w->id;
    default:
      return 0;
  }
}

LONG_PTR GetWindowLongPtrW(HWND window, int index) {
  Window* w = Find(window);
  if (!w) return 0;
  if (index == GWLP_HINSTANCE) return reinterpret_cast<LONG_PTR>(w->instance);
  return GetWindowLongW(window, index);
}

HWND GetParent(HWND window) {
  Window* w = Find(window);
  return w ? w->parent : nullptr;
}

HWND SetFocus(HWND window) {
  using namespace platform::win;
  const HWND before = FocusWindow();
  Window* w = Find(window);
  if (window && !w) return nullptr;
  SetFocusWindow(window);
  if (w && w->parent) {
    if (Backend* backend = BackendOf(*w)) backend->FocusControl(*w);
  }
  return before;
}

HWND GetFocus() { return platform::win::FocusWindow(); }

BOOL EnableWindow(HWND window, BOOL enable) {
  using namespace platform::win;
  Window* w = Find(window);
  if (!w) return FALSE;
  const bool wasDisabled = !w->enabled;
  w->enabled = enable != FALSE;
  if (w->parent) {
    if (Backend* backend = BackendOf(*w)) backend->ControlChanged(*w);
  }
  return wasDisabled ? TRUE : FALSE;
}

DWORD GetCurrentDirectoryW(DWORD length, LPWSTR buffer) {
  std::vector<char> path(4096);
  while (!getcwd(path.data(), path.size())) {
    if (errno != ERANGE) return 0;
    path.resize(path.size() * 2);
  }
  const std::wstring wide = platform::WideFromUtf8(path.data());
  const DWORD needed = static_cast<DWORD>(wide.size()) + 1;
  if (!buffer || length < needed) return needed;
  std::copy(wide.begin(), wide.end(), buffer);
  buffer[wide.size()] = L'\0';
  return needed - 1;
}

namespace {
// Any fixed, non-null value: nothing dereferences module handles.
HMODULE ExecutableModule() { return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000)); }
}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) { return moduleName ? nullptr : ExecutableModule(); }

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (!instance) {
    return name == IDI_APPLICATION ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x7F00)) : nullptr;
  }
  if (!IS_INTRESOURCE(name)) return nullptr;
  const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  return platform::win::FindIconResource(id) ? reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0x30000 + id)) : nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance || name != IDC_ARROW) return nullptr;
  return reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0x7F00));
}

int ShowCursor(BOOL show) {
  int& count = platform::win::State().cursorCount;
  count += show ? 1 : -1;
  platform::win::SdlShowCursor(count >= 0);
  return count;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = platform::win::CursorPos();
  return TRUE;
}
