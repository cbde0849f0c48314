#include "engine/core/textConversion.h"

#include "platform/win32.h"

namespace engine {
namespace core {

// Both go through MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
std::wstring ToWide(const std::string& text) { return platform::WideFromUtf8(text); }
std::string ToNarrow(const std::wstring& text) { return platform::Utf8FromWide(text); }

}  // namespace core
}  // namespace engine
