#pragma once

// The thread's message queue and the window procedures it feeds. Native events (SDL
// windows, dialog widgets) are drained into the queue each time it is asked for a
// message, so keys, mouse moves and clicks arrive in the order they happened.

#include "platform/api.h"
#include "platform/win32/types.h"

// Ctrl-C and SIGTERM close a program's top-level windows as their close boxes would (a
// quit message when it has none), at the next message pump. A program that plays writes
// this once at file scope in its main file: the layer then takes the two signals over as
// it loads, so one that comes while the program is still loading ends it just as
// cleanly once its main loop runs. Without it the signals are taken over at the first
// message pump, and a tool that pumps none still ends at once.
#define PLATFORM_PROGRAM_CLOSES_ON_INTERRUPT \
  extern "C" PLATFORM_API const char neblu_program_closes_on_interrupt = 1

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_USER = 0x0400;

// Button state flags in the wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Takes the next message for `window` (null: any window of the thread, including
// messages posted with no window) whose number lies in [filterMin, filterMax] (0, 0:
// all). Posted and input messages come first in the order they arrived; WM_QUIT comes
// once the queue holds nothing else. Returns FALSE when there is no message.
PLATFORM_API BOOL PeekMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg);

// As PeekMessageW with PM_REMOVE, but waits for a message. Returns 0 for WM_QUIT, -1
// for an invalid window filter, otherwise nonzero.
PLATFORM_API BOOL GetMessageW(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);

// Posts WM_CHAR after a key-down that produces a character (letters, digits, space,
// return, escape, tab, backspace). Returns TRUE for key messages.
PLATFORM_API BOOL TranslateMessage(const MSG* msg);

// Calls the window procedure of msg->hwnd's class; 0 when the window no longer exists.
PLATFORM_API LRESULT DispatchMessageW(const MSG* msg);

// Calls the window procedure at once (controls answer their own messages).
PLATFORM_API LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Appends a message to the queue. A null window posts a thread message.
PLATFORM_API BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CLOSE destroys the window; everything else is ignored and answers 0.
PLATFORM_API LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Makes the queue return WM_QUIT (wParam = exitCode) once it is otherwise empty.
PLATFORM_API void PostQuitMessage(int exitCode);

// Keyboard navigation of a window holding controls: Tab and Shift+Tab move the focus
// between controls with WS_TABSTOP. Every other message addressed to the dialog or one
// of its controls is dispatched here. Returns FALSE for messages of other windows.
PLATFORM_API BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
