#include <gtest/gtest.h>

#include <string>

#include "engine/core/textConversion.h"
#include "platform/paths.h"
#include "platform/win32.h"

using engine::core::ToNarrow;
using engine::core::ToWide;

namespace {

TEST(TextConversionTest, RoundTripsEveryPlane) {
  const std::wstring wide = L"A\u00e9\u20ac\U0001F600z";
  const std::string narrow = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
  EXPECT_EQ(ToNarrow(wide), narrow);
  EXPECT_EQ(ToWide(narrow), wide);
  EXPECT_EQ(ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(TextConversionTest, MalformedBytesBecomeReplacementCharacters) {
  // A stray continuation byte, a truncated sequence, an overlong '/' and an encoded surrogate.
  EXPECT_EQ(ToWide("a\x80z"), L"a\uFFFDz");
  EXPECT_EQ(ToWide("a\xE2\x82"), L"a\uFFFD\uFFFD");
  EXPECT_EQ(ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");
  EXPECT_EQ(ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
}

TEST(TextConversionTest, UnencodableWideCharactersBecomeTheDefaultCharacter) {
  const wchar_t bad[] = {L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'b', 0};
  EXPECT_EQ(ToNarrow(bad), "a??b");
  BOOL used = FALSE;
  char out[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, bad, -1, out, sizeof out, "#", &used), 5);
  EXPECT_STREQ(out, "a##b");
  EXPECT_TRUE(used);
}

TEST(TextConversionTest, SizeQueriesAndShortBuffersFollowTheWindowsContract) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "h\xC3\xA9", -1, nullptr, 0), 3);  // terminator counted
  wchar_t small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, small, 2), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\xFF", 2, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 0);  // only the system code page is known
  char narrow[2];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u00e9", 1, narrow, 1, nullptr, nullptr), 0);
}

TEST(NativePathTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(platform::NativePath("data\\startup.resources"), "data/startup.resources");
  EXPECT_EQ(platform::NativePath(std::wstring(L"data\\fx\\_shared.fx")), "data/fx/_shared.fx");
  EXPECT_EQ(platform::NativePath("data/log.html"), "data/log.html");
}

}  // namespace
