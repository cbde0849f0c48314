#pragma once

// Scene descriptions: the hand-written Lua form of a demo file that demowrite turns into
// one. The format is documented at the top of tools/demo/example.scene.lua.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/gfx/demoFileReader.h"

namespace demo {

// Why a description could not be turned into a demo file. The message names the scene
// file and, where it can, the object, curve and key.
class SceneError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One section of the soundtrack's score, in frames of 1/25 s: what a scene's length and
// its keys are cut to.
struct ScoreSection {
  std::string name;
  int first = 0;
  int frames = 0;
};

// Reads the section table the soundtrack tool writes: lines "NAME FIRST FRAMES", then
// "total FRAMES". Raises SceneError naming the file and line.
std::vector<ScoreSection> ReadScoreSections(const std::string& path);
// The same for the table's text; `source` names it in messages.
std::vector<ScoreSection> ParseScoreSections(const std::string& text, const std::string& source);

// Runs the description at `path` (a sandboxed Lua 5.1 state with the helpers the format
// documents; `sections` becomes its global table sections.NAME = {first=, frames=}) and
// builds the file it describes, checked so that the engine's loader accepts it. Raises
// SceneError.
// `preludes` run first, in the same state: helpers several descriptions share.
engine::gfx::DemoFile ReadSceneDescription(const std::string& path,
                                           const std::vector<ScoreSection>& sections = {},
                                           const std::vector<std::string>& preludes = {});

// Key `index` of `keys` with the handles a modelling tool gives an auto-smoothed,
// clamped key; only the key times and values of `keys` are read. Each handle lies a
// third of the way in time towards the neighbouring key, on a line through the key
// whose slope is that of the line between the two neighbours. The slope is then
// reduced, on both sides alike, until neither handle's value passes the neighbour's
// value: a key that is a peak or a trough gets flat handles and no segment overshoots
// its keys. The end keys are flat, and a lone key gets flat handles one frame either
// side. Times must rise strictly.
engine::gfx::DemoKey AutoSmoothKey(const std::vector<engine::gfx::DemoKey>& keys, std::size_t index);

}  // namespace demo
