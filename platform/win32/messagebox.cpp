#include <cstdio>
#include <utility>

#include "platform/win32/window_internal.h"

namespace {

platform::MessageBoxHook& Hook() {
  static platform::MessageBoxHook hook;
  return hook;
}

}  // namespace

namespace platform {

void SetMessageBoxHook(MessageBoxHook hook) { Hook() = std::move(hook); }

}  // namespace platform

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  const std::wstring message = text ? text : L"";
  const std::wstring title = caption ? caption : L"Error";
  if (Hook()) {
    Hook()(owner, message, title, type);
    return IDOK;
  }
  int result = IDOK;
  if (platform::HasDisplay() && platform::win::FltkMessageBox(message, title, type, &result)) return result;
  // Headless, the user still has to see why the program stopped.
  std::fprintf(stderr, "%s: %s\n", platform::Utf8FromWide(title).c_str(), platform::Utf8FromWide(message).c_str());
  std::fflush(stderr);
  return IDOK;
}
