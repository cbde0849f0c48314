#pragma once

// The files an effect is made of, so that a change to any of them can reload it.

#include <string>
#include <vector>

// `effectPath` itself and every file it includes, transitively, as the compiler finds
// them: `#include "name"` resolves against the including file's folder. Files that
// cannot be read are listed (a save may be half done) but not followed; each file is
// listed once, so include cycles end.
std::vector<std::string> EffectSourceFiles(const std::string& effectPath);
