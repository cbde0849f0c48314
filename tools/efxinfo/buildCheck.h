#pragma once

// What efxinfo --build tells a material's author that the engine would pass over at run
// time. The engine builds what it can and lives with the rest: a pass whose effect file
// is missing or does not compile is left out, an alternative whose technique is not
// there is passed over, and a material none of whose alternatives can be drawn is drawn
// as the wireframe. A tool says so, and fails.

#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "engine/gfx/effectPool.h"
#include "engine/gfx/material.h"

namespace efxinfo {

// The problems of every pass of every alternative, each naming the alternative and the
// pass: an effect file that is missing or does not compile, a technique the effect file
// does not have. Compiles the effect files the passes name (as the engine would), so it
// needs the effect pool's device. Empty when every pass can be built.
std::vector<std::string> PassProblems(const std::vector<engine::gfx::EffectAlternative>& alternatives);

// For a material the effect pool built into `effect`: why it fell back to the wireframe
// (no alternative's techniques are all supported here), or an empty string.
std::string FallbackProblem(const std::vector<engine::gfx::EffectAlternative>& alternatives,
                            const boost::shared_ptr<engine::gfx::Effect>& effect);

}  // namespace efxinfo
