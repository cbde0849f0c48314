#pragma once

#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// Narrow text is in the system's code page (UTF-8 here); wide text is what names,
// paths and the log hold. Malformed bytes become U+FFFD rather than being dropped.
ENGINE_API std::wstring ToWide(const std::string& text);
ENGINE_API std::string ToNarrow(const std::wstring& text);

}  // namespace core
}  // namespace engine
