#pragma once

// The Win32 calls and types the engine makes, in their Windows shape. Each family of
// calls has a header and a win32_*.cpp of its own; this one brings them all in.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/api.h"
#include "platform/win32/dialog.h"
#include "platform/win32/display.h"
#include "platform/win32/keys.h"
#include "platform/win32/messages.h"
#include "platform/win32/types.h"
#include "platform/win32/window.h"

// MessageBoxW styles and results.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Code pages. "The ANSI code page" of this system is UTF-8.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;

// Shows a message box and returns once it is dismissed (an alert of the dialog toolkit,
// with MB_OKCANCEL and MB_YESNO as two-button questions). Without a display the text and
// caption go to standard error and the call returns IDOK at once.
PLATFORM_API int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Multi-byte (UTF-8) to wide text. cbMultiByte -1 means zero-terminated, the terminator
// counted; cchWideChar 0 asks for the size. Returns the characters written or needed, or
// 0 when the buffer is too small (or, with MB_ERR_INVALID_CHARS, the input is malformed).
// Malformed input is otherwise replaced with U+FFFD, one per bad byte.
PLATFORM_API int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte,
                                     LPWSTR wide, int cchWideChar);

// Wide to multi-byte (UTF-8) text, with the same size conventions. Code points that
// cannot be encoded (surrogates, values past U+10FFFF) become the default character,
// '?' unless one is given, and set *usedDefaultChar.
PLATFORM_API int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int cchWideChar, LPSTR multiByte,
                                     int cbMultiByte, LPCSTR defaultChar, BOOL* usedDefaultChar);

namespace platform {

// Whole-string forms of the two conversions above.
PLATFORM_API std::wstring WideFromUtf8(const std::string& text);
PLATFORM_API std::string Utf8FromWide(const std::wstring& text);

// Tests watch message boxes instead of showing them: while a hook is set, MessageBoxW
// calls it and returns IDOK without showing anything. An empty hook restores the
// ordinary behaviour.
using MessageBoxHook = std::function<void(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;
PLATFORM_API void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace platform
