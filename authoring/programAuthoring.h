#pragma once

// Authoring for any program on the engine, switched on by one line at file scope in the
// program's main file:
//
//   NEBLU_PROGRAM_HAS_AUTHORING;
//
// The program then takes -dev, -loop S E and -watch (authoringSwitches.h; a bad one ends
// it with status 2 before anything opens). When it adds its scene module, which
// implements AuthoredDemo, the player (with -dev or -loop), the overlay (-dev with a
// display) and the file watcher (-watch) are added after it, under the keys
// 30001 to 30003, and freed when the process ends. Without the switches nothing is added
// and the program plays as it would without the line.

#include "platform/api.h"

namespace authoring {

// What the line runs as the program loads.
void SwitchOn();

}  // namespace authoring

// The symbol also tells the layer's --help to list the authoring switches and keys.
#define NEBLU_PROGRAM_HAS_AUTHORING \
  extern "C" PLATFORM_API const char neblu_program_has_authoring = (::authoring::SwitchOn(), 1)
