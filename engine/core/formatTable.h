#pragma once

#include <map>
#include <string>

#include "engine/api.h"

namespace engine {
namespace core {

// Format names a resource script may use: "FMT_" and the device format's name, mapped
// to its code, for every code from 0 (FMT_UNKNOWN) to 88 (FMT_B8G8R8X8_UNORM).
ENGINE_API std::map<std::string, int> BuildFormatTable();

}  // namespace core
}  // namespace engine
