#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

#include "platform/win32/window_internal.h"

namespace platform {
namespace win {
namespace {

struct Queue {
  std::deque<MSG> messages;
  bool quitPending = false;
  int quitCode = 0;
  HWND focus = nullptr;
  POINT cursor{0, 0};
  // Modifiers as the input events left them, and as of the last message taken from
  // the queue: translating a key uses the latter, as the original's key state does.
  bool control = false;
  bool alt = false;
  bool shiftTaken = false;
  WPARAM buttons = 0;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

bool IsChildOf(HWND parent, HWND window) {
  for (Window* w = Find(window); w && w->parent; w = Find(w->parent)) {
    if (w->parent == parent) return true;
  }
  return false;
}

bool Matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (m.hwnd) return false;
  } else if (window && m.hwnd != window && !IsChildOf(window, m.hwnd)) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  return m.message >= filterMin && m.message <= filterMax;
}

void PumpNative() {
  DeliverInterrupt();
  PumpSdl();
  PumpFltk(0.0);
}

bool Take(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  Queue& q = TheQueue();
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *msg = *it;
    if (remove) {
      q.messages.erase(it);
      if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_SHIFT) {
        q.shiftTaken = msg->message == WM_KEYDOWN;
      }
    }
    return true;
  }
  // The quit message is a flag rather than a queued message: it comes out once the
  // queue has nothing else for the caller, whatever the filter.
  if (q.quitPending) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, MessageTime(), q.cursor};
    if (remove) q.quitPending = false;
    return true;
  }
  return false;
}

// The character a key-down produces on a US layout, or 0.
wchar_t CharacterOf(WPARAM vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<wchar_t>(shift ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9' && !shift) return static_cast<wchar_t>(vk);
  switch (vk) {
    case VK_SPACE:
      return L' ';
    case VK_RETURN:
      return L'\r';
    case VK_ESCAPE:
      return 0x1B;
    case VK_TAB:
      return L'\t';
    case VK_BACK:
      return 0x08;
    default:
      return 0;
  }
}

bool Focusable(const Window& w) { return w.visible && w.enabled && (w.style & WS_TABSTOP); }

void MoveFocus(Window& dialog, bool backwards) {
  std::vector<HWND> stops;
  for (HWND child : dialog.children) {
    if (Window* c = Find(child); c && Focusable(*c)) stops.push_back(child);
  }
  if (stops.empty()) return;
  std::size_t index = stops.size();
  for (std::size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == TheQueue().focus) index = i;
  }
  std::size_t next;
  if (index == stops.size()) {
    next = backwards ? stops.size() - 1 : 0;
  } else {
    next = backwards ? (index + stops.size() - 1) % stops.size() : (index + 1) % stops.size();
  }
  SetFocus(stops[next]);
}

constexpr int kListItemHeight = 16;

}  // namespace

DWORD MessageTime() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<DWORD>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TheQueue().messages.push_back(MSG{window, message, wParam, lParam, MessageTime(), TheQueue().cursor});
}

void PostKey(Window& window, UINT vk, bool down, int scanCode) {
  if (vk == 0 || vk > 255) return;
  Queue& q = TheQueue();
  Window* top = TopLevelOf(window);
  bool* state = top ? top->keyDown : window.keyDown;
  const bool repeat = down && state[vk];
  state[vk] = down;
  if (vk == VK_CONTROL) q.control = down;
  if (vk == VK_MENU) q.alt = down;
  // Bits of lParam: repeat count, scan code, previous state (30), transition (31).
  LPARAM lParam = 1 | (static_cast<LPARAM>(scanCode & 0xFF) << 16);
  if (repeat || !down) lParam |= static_cast<LPARAM>(1) << 30;
  if (!down) lParam |= static_cast<LPARAM>(1) << 31;
  // Alt, alone or held with another key, and F10 make system key messages.
  const bool system = vk == VK_MENU || vk == VK_F10 || (q.alt && !q.control);
  const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  Post(window.handle, message, vk, lParam);
}

void PostMouseMove(Window& window, int x, int y) {
  Window* top = TopLevelOf(window);
  if (top) SetCursor(top->x + x, top->y + y);
  Post(window.handle, WM_MOUSEMOVE, TheQueue().buttons,
       MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
}

void PostMouseButton(Window& window, int button, bool down, int x, int y) {
  Queue& q = TheQueue();
  const WPARAM flag = button == 0 ? MK_LBUTTON : button == 1 ? MK_RBUTTON : MK_MBUTTON;
  q.buttons = down ? (q.buttons | flag) : (q.buttons & ~flag);
  UINT message;
  if (button == 0) {
    message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  } else if (button == 1) {
    message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  } else {
    message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
  Post(window.handle, message, q.buttons,
       MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
}

void PostClose(Window& window) { Post(window.handle, WM_CLOSE, 0, 0); }

// List boxes notify their parent whatever their LBS_NOTIFY style: the one dialog that
// uses them rebuilds its refresh list on the resolution list's notification and would
// otherwise never hear of a new selection.
void Notify(Window& control, WORD code) {
  if (!control.parent) return;
  Post(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code), reinterpret_cast<LPARAM>(control.handle));
}

void SetCursor(int x, int y) { TheQueue().cursor = POINT{x, y}; }

POINT CursorPos() {
  POINT screen{};
  if (SdlGlobalCursor(&screen)) return screen;
  return TheQueue().cursor;
}

void SetFocusWindow(HWND window) { TheQueue().focus = window; }

HWND FocusWindow() { return TheQueue().focus; }

void ClickControl(Window& control, int /*x*/, int y) {
  if (!control.enabled) return;
  switch (control.control.kind) {
    case ControlKind::Button: {
      if (control.style & WS_TABSTOP) SetFocus(control.handle);
      if ((control.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        control.control.checked = !control.control.checked;
        SendMessageW(control.handle, BM_SETCHECK, control.control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      Notify(control, BN_CLICKED);
      break;
    }
    case ControlKind::ListBox: {
      if (control.style & WS_TABSTOP) SetFocus(control.handle);
      const int row = y / kListItemHeight;
      if (y < 0 || row >= static_cast<int>(control.control.items.size())) return;
      SendMessageW(control.handle, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
      Notify(control, LBN_SELCHANGE);
      break;
    }
    default:
      break;
  }
}

LRESULT ControlMessage(Window& control, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState& state = control.control;
  auto changed = [&control]() {
    if (Window* top = TopLevelOf(control); top && top->backend) top->backend->ControlChanged(control);
  };
  switch (message) {
    case WM_SETTEXT:
      control.text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
      changed();
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(control.text.size());
    case WM_GETTEXT:
      return GetWindowTextW(control.handle, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    case WM_SETFONT:
      state.font = reinterpret_cast<HFONT>(wParam);
      changed();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state.font);
    default:
      break;
  }
  if (state.kind == ControlKind::Static) {
    if (message == STM_SETIMAGE && wParam == IMAGE_BITMAP) {
      const HBITMAP before = state.image;
      state.image = reinterpret_cast<HBITMAP>(lParam);
      // A picture static takes the size of its picture.
      if ((control.style & 0x1F) == SS_BITMAP) {
        if (const Bitmap* bitmap = FindBitmap(state.image)) {
          control.width = bitmap->width;
          control.height = bitmap->height;
        }
      }
      changed();
      return reinterpret_cast<LRESULT>(before);
    }
    if (message == STM_GETIMAGE) return reinterpret_cast<LRESULT>(state.image);
    return 0;
  }
  if (state.kind == ControlKind::Button) {
    switch (message) {
      case BM_GETCHECK:
        return state.checked ? BST_CHECKED : BST_UNCHECKED;
      case BM_SETCHECK:
        state.checked = wParam == BST_CHECKED;
        changed();
        return 0;
      case BM_CLICK:
        ClickControl(control, 0, 0);
        return 0;
      default:
        return 0;
    }
  }
  if (state.kind == ControlKind::ListBox) {
    const int count = static_cast<int>(state.items.size());
    const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    switch (message) {
      case LB_ADDSTRING: {
        const std::wstring item = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
        auto at = state.items.end();
        if (control.style & LBS_SORT) {
          at = std::upper_bound(state.items.begin(), state.items.end(), item);
        }
        const int position = static_cast<int>(at - state.items.begin());
        state.items.insert(at, item);
        if (state.selection >= position) ++state.selection;
        changed();
        return position;
      }
      case LB_RESETCONTENT:
        state.items.clear();
        state.selection = -1;
        changed();
        return 0;
      case LB_SETCURSEL:
        if (index == -1) {
          state.selection = -1;
          changed();
          return LB_ERR;
        }
        if (index < 0 || index >= count) return LB_ERR;
        state.selection = index;
        changed();
        return index;
      case LB_GETCURSEL:
        return state.selection < 0 ? LB_ERR : state.selection;
      case LB_GETCOUNT:
        return count;
      case LB_GETTEXTLEN:
        return index >= 0 && index < count ? static_cast<LRESULT>(state.items[index].size()) : LB_ERR;
      case LB_GETTEXT: {
        if (index < 0 || index >= count || !lParam) return LB_ERR;
        const std::wstring& item = state.items[index];
        LPWSTR out = reinterpret_cast<LPWSTR>(lParam);
        std::copy(item.begin(), item.end(), out);
        out[item.size()] = L'\0';
        return static_cast<LRESULT>(item.size());
      }
      case LB_GETITEMHEIGHT:
        return kListItemHeight;
      default:
        return 0;
    }
  }
  return 0;
}

}  // namespace win
}  // namespace platform

using platform::win::Find;
using platform::win::Window;

BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) return FALSE;
  platform::win::PumpNative();
  return platform::win::Take(msg, window, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  using namespace platform::win;
  if (!msg) return -1;
  if (window && window != reinterpret_cast<HWND>(-1) && !Find(window)) return -1;
  for (;;) {
    PumpNative();
    if (Take(msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
    if (FltkActive()) {
      PumpFltk(0.01);
    } else if (SdlActive()) {
      WaitSdl(10);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

BOOL TranslateMessage(const MSG* msg) {
  using namespace platform::win;
  if (!msg) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN: {
      const wchar_t ch = CharacterOf(msg->wParam, TheQueue().shiftTaken);
      if (ch) {
        // The character comes out before anything queued after its key.
        TheQueue().messages.push_front(
            MSG{msg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg->lParam, msg->time, msg->pt});
      }
      return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(window);
  if (!w) return 0;
  if (w->proc) return w->proc(window, message, wParam, lParam);
  return platform::win::ControlMessage(*w, message, wParam, lParam);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !Find(window)) return FALSE;
  platform::win::Post(window, message, wParam, lParam);
  return TRUE;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SETTEXT:
      SetWindowTextW(window, reinterpret_cast<LPCWSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return GetWindowTextW(window, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
    default:
      return 0;
  }
}

void PostQuitMessage(int exitCode) {
  platform::win::TheQueue().quitPending = true;
  platform::win::TheQueue().quitCode = exitCode;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  using namespace platform::win;
  Window* d = Find(dialog);
  if (!d || !msg || (msg->hwnd != dialog && !IsChildOf(dialog, msg->hwnd))) return FALSE;
  if (msg->wParam == VK_TAB && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)) {
    if (msg->message == WM_KEYDOWN) MoveFocus(*d, TheQueue().shiftTaken);
    return TRUE;
  }
  if (msg->message == WM_CHAR && msg->wParam == L'\t') return TRUE;
  DispatchMessageW(msg);
  return TRUE;
}
