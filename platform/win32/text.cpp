#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence starting at p (n bytes left). Returns the bytes used (at
// least 1) and the code point in *out; malformed input yields kReplacement for one byte.
int DecodeUtf8(const unsigned char* p, int n, char32_t* out, bool* bad) {
  const unsigned char lead = p[0];
  int length;
  char32_t cp;
  char32_t minimum;
  if (lead < 0x80) {
    *out = lead;
    *bad = false;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    *out = kReplacement;
    *bad = true;
    return 1;
  }
  if (length > n) {
    *out = kReplacement;
    *bad = true;
    return 1;
  }
  for (int i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      *out = kReplacement;
      *bad = true;
      return 1;
    }
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  // Overlong forms, surrogates and values past the last plane are not text.
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    *out = kReplacement;
    *bad = true;
    return 1;
  }
  *out = cp;
  *bad = false;
  return length;
}

// Encodes cp into buf; returns the byte count, or 0 when cp is not a scalar value.
int EncodeUtf8(char32_t cp, char* buf) {
  if (cp < 0x80) {
    buf[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    buf[0] = static_cast<char>(0xC0 | (cp >> 6));
    buf[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  if (cp < 0x10000) {
    buf[0] = static_cast<char>(0xE0 | (cp >> 12));
    buf[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    buf[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  if (cp <= 0x10FFFF) {
    buf[0] = static_cast<char>(0xF0 | (cp >> 18));
    buf[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    buf[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    buf[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
  }
  return 0;
}

bool KnownCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_UTF8; }

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPWSTR wide,
                        int cchWideChar) {
  if (!KnownCodePage(codePage) || multiByte == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
      cchWideChar < 0 || (cchWideChar > 0 && wide == nullptr)) {
    return 0;
  }
  // -1 converts the terminator too, as the count says.
  const int n = cbMultiByte == -1 ? static_cast<int>(std::strlen(multiByte)) + 1 : cbMultiByte;
  const auto* p = reinterpret_cast<const unsigned char*>(multiByte);
  int written = 0;
  for (int i = 0; i < n;) {
    char32_t cp;
    bool bad;
    i += DecodeUtf8(p + i, n - i, &cp, &bad);
    if (bad && (flags & MB_ERR_INVALID_CHARS)) return 0;
    if (cchWideChar > 0) {
      if (written >= cchWideChar) return 0;
      wide[written] = static_cast<wchar_t>(cp);
    }
    ++written;
  }
  return written;
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wide, int cchWideChar, LPSTR multiByte,
                        int cbMultiByte, LPCSTR defaultChar, BOOL* usedDefaultChar) {
  if (!KnownCodePage(codePage) || wide == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && multiByte == nullptr)) {
    return 0;
  }
  if (usedDefaultChar) *usedDefaultChar = FALSE;
  const int n = cchWideChar == -1 ? static_cast<int>(std::wcslen(wide)) + 1 : cchWideChar;
  const char* fallback = defaultChar ? defaultChar : "?";
  const int fallbackLength = static_cast<int>(std::strlen(fallback));
  int written = 0;
  for (int i = 0; i < n; ++i) {
    char buf[4];
    int length = EncodeUtf8(static_cast<char32_t>(wide[i]), buf);
    const char* bytes = buf;
    if (length == 0) {
      bytes = fallback;
      length = fallbackLength;
      if (usedDefaultChar) *usedDefaultChar = TRUE;
    }
    if (cbMultiByte > 0) {
      if (written + length > cbMultiByte) return 0;
      std::memcpy(multiByte + written, bytes, static_cast<size_t>(length));
    }
    written += length;
  }
  return written;
}

namespace platform {

std::wstring WideFromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), needed);
  return wide;
}

std::string Utf8FromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), needed, nullptr, nullptr);
  return narrow;
}

}  // namespace platform
