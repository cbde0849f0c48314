#pragma once

// Turns one pass of a compiled effect into the GLSL of each stage, with one numbering of
// uniform blocks, texture units and varying locations for the whole program, and checks
// what GL would otherwise only catch at link time (a stage reading a varying the stage
// before does not write) or never (cbuffer offsets that differ from the front end's).

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/effect/compiler.h"
#include "platform/effect/reflect.h"

namespace platform::fx {

struct PassProgram {
  bool present[kStageCount] = {false, false, false};
  std::string glsl[kStageCount];
  std::vector<ReflectedVarying> vertexInputs;  // the input signature, locations assigned
  std::map<int, int> blockBindings;            // cbuffer index (in the effect) -> block binding
  std::map<SamplerPair, int> samplerUnits;
  std::set<int> flattened;  // cbuffers read as vec4 arrays: their packing does not fit std140
  // Set when some cbuffer fits neither a block nor a vec4 array; then every cbuffer of the
  // program is plain uniforms (none in blockBindings), by cbuffer index, over all stages.
  std::map<int, std::vector<PlainUniform>> plain;
  // What transform feedback captures, as the device's stream output program takes it;
  // empty unless the pass streams out.
  std::vector<std::string> feedbackVaryings;
};

// False with `error` for faults of the effect (offsets the compiler placed differently);
// a pass that merely cannot run returns true with `runnable` false and the reason.
bool LinkPass(const CompiledEffect& effect, const CompiledPass& pass, PassProgram& out, bool& runnable,
              std::string& reason, std::string& error);

// The effect's cbuffer a compiled block belongs to, -1 when none.
int CBufferIndexOfBlock(const CompiledEffect& effect, const std::string& blockName);

}  // namespace platform::fx
