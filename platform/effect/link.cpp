#include "platform/effect/link.h"

#include <algorithm>
#include <utility>

#include "platform/effect/entry_wrappers.h"

namespace platform::fx {

int CBufferIndexOfBlock(const CompiledEffect& effect, const std::string& blockName) {
  const std::vector<CBufferDecl>& cbuffers = effect.syntax.cbuffers;
  for (std::size_t i = 0; i < cbuffers.size(); ++i) {
    const std::string& name = i == 0 ? std::string(kGlobalsBlockName) : cbuffers[i].name;
    if (name == blockName) return static_cast<int>(i);
  }
  return -1;
}

namespace {

bool CheckOffsets(const CompiledEffect& effect, const StageReflection& stage, std::string& error) {
  for (const ReflectedBlock& block : stage.blocks) {
    int index = CBufferIndexOfBlock(effect, block.name);
    if (index < 0) continue;
    const CBufferDecl& decl = effect.syntax.cbuffers[static_cast<std::size_t>(index)];
    const CBufferLayout& layout = effect.layouts[static_cast<std::size_t>(index)];
    for (const ReflectedMember& m : block.members) {
      for (std::size_t k = 0; k < decl.variables.size(); ++k) {
        const VariableDecl& v = effect.syntax.variables[static_cast<std::size_t>(decl.variables[k])];
        if (v.name != m.name) continue;
        if (layout.variables[k].offset != m.offset) {
          error = effect.path + ": error: cbuffer " + decl.name + " member " + v.name + " is at offset " +
                  std::to_string(m.offset) + " in the compiled shader but " +
                  std::to_string(layout.variables[k].offset) + " in the effect's layout";
          return false;
        }
      }
    }
  }
  return true;
}

const char* GlslType(char scalar, int components) {
  static const char* const kTypes[3][4] = {{"float", "vec2", "vec3", "vec4"},
                                           {"int", "ivec2", "ivec3", "ivec4"},
                                           {"uint", "uvec2", "uvec3", "uvec4"}};
  const int row = scalar == 'i' ? 1 : scalar == 'u' ? 2 : 0;
  return kTypes[row][std::clamp(components, 1, 4) - 1];
}

// The names transform feedback captures for the pass's stream output declaration, read
// from what `last` (the last vertex stage) writes; outputs taken in part get a copy of
// their own in `plan`. False with `reason` when the declaration asks for what the stage
// does not write.
bool PlanStreamOut(const CompiledPass& pass, const char* lastStage, const StageReflection& last, GlslPlan& plan,
                   std::vector<std::string>& varyings, std::string& reason) {
  std::vector<StreamOutElement> elements = pass.streamOut;
  // GL fills buffers in turn; the declaration may name them in any order.
  std::stable_sort(elements.begin(), elements.end(),
                   [](const StreamOutElement& a, const StreamOutElement& b) { return a.slot < b.slot; });
  int buffer = 0;
  for (const StreamOutElement& e : elements) {
    for (; buffer < e.slot; ++buffer) varyings.push_back("gl_NextBuffer");
    if (e.semantic.empty()) {
      varyings.push_back("gl_SkipComponents" + std::to_string(e.count));
      continue;
    }
    std::string name;
    char scalar = 'f';
    int components = 4;
    if (e.semantic == "SV_POSITION" && e.index == 0) {
      name = "gl_Position";
    } else {
      const ReflectedVarying* found = nullptr;
      for (const ReflectedVarying& v : last.outputs)
        if (v.Key() == e.Key()) found = &v;
      if (!found) {
        reason = "stream output names " + e.Key() + ", which the " + lastStage + " does not write";
        return false;
      }
      name = "out_" + found->Key();
      scalar = found->scalar;
      components = static_cast<int>(found->components);
    }
    const int count = e.count < 0 ? components - e.start : e.count;
    if (e.start + count > components) {
      reason = "stream output takes components the " + std::string(lastStage) + "'s " + e.Key() + " does not have";
      return false;
    }
    if (e.start == 0 && count == components) {
      varyings.push_back(name);
      continue;
    }
    GlslPlan::PartialOutput part;
    part.name = "so_" + e.Key() + "_" + std::to_string(e.start) + std::to_string(count);
    part.type = GlslType(scalar, count);
    part.source = name + "." + std::string("xyzw").substr(static_cast<std::size_t>(e.start), static_cast<std::size_t>(count));
    part.integer = scalar != 'f';
    plan.partialOutputs.push_back(part);
    varyings.push_back(part.name);
  }
  plan.nameOutputs = true;
  return true;
}

// The geometry stage's clip and cull distance inputs, each placed after those of its
// kind with lower semantic indices, as the vertex stage's builtin arrays hold them.
std::map<std::string, GlslPlan::DistanceInput> DistanceInputs(const StageReflection& stage) {
  std::map<std::string, GlslPlan::DistanceInput> inputs;
  for (const auto& [semantic, builtin] : {std::pair<std::string, const char*>{kClipInputSemantic, "gl_ClipDistance"},
                                          std::pair<std::string, const char*>{kCullInputSemantic, "gl_CullDistance"}}) {
    std::map<std::uint32_t, const ReflectedVarying*> byIndex;
    for (const ReflectedVarying& v : stage.inputs)
      if (v.semantic == semantic) byIndex[v.index] = &v;
    std::uint32_t first = 0;
    for (const auto& [index, v] : byIndex) {
      inputs[v->Key()] = {builtin, first, v->components};
      first += v->components;
    }
  }
  return inputs;
}

}  // namespace

bool LinkPass(const CompiledEffect& effect, const CompiledPass& pass, PassProgram& out, bool& runnable,
              std::string& reason, std::string& error) {
  out = PassProgram();
  runnable = pass.valid;
  reason = pass.reason;
  if (!runnable) return true;
  StageReflection stages[kStageCount];
  for (int s = 0; s < kStageCount; ++s) {
    if (pass.shaders[s] < 0) continue;
    out.present[s] = true;
    const ShaderBinary& binary = effect.shaders[static_cast<std::size_t>(pass.shaders[s])];
    if (!ReflectStage(binary.spirv, stages[s], error)) return false;
    if (!CheckOffsets(effect, stages[s], error)) return false;
  }
  // Ints beside floats off std140's alignment fit neither a block nor a vec4 array, and a
  // cbuffer must be declared alike in every stage, so one such block makes the whole
  // program read its cbuffers as plain uniforms.
  bool plain = false;
  for (int s = 0; s < kStageCount; ++s)
    for (const ReflectedBlock& block : stages[s].blocks)
      if (CBufferIndexOfBlock(effect, block.name) >= 0 && !block.fitsStd140 && !block.oneScalarType) plain = true;
  // One numbering for the program: blocks by cbuffer, units by texture/sampler pair.
  for (int s = 0; s < kStageCount; ++s) {
    for (const ReflectedBlock& block : stages[s].blocks) {
      int index = CBufferIndexOfBlock(effect, block.name);
      if (index < 0) continue;
      if (plain) {
        if (!block.plainProblem.empty()) {
          runnable = false;
          reason = "cbuffer " + effect.syntax.cbuffers[static_cast<std::size_t>(index)].name +
                   " cannot be read as plain uniforms: " + block.plainProblem;
          return true;
        }
        std::vector<PlainUniform>& uniforms = out.plain[index];
        for (const PlainUniform& u : block.plain) {
          bool known = false;
          for (const PlainUniform& k : uniforms) known = known || k.name == u.name;
          if (!known) uniforms.push_back(u);
        }
        continue;
      }
      if (!out.blockBindings.count(index)) {
        int binding = static_cast<int>(out.blockBindings.size());
        out.blockBindings[index] = binding;
      }
      if (!block.fitsStd140) out.flattened.insert(index);
    }
    for (const SamplerPair& pair : stages[s].samplers)
      if (!out.samplerUnits.count(pair)) {
        int unit = static_cast<int>(out.samplerUnits.size());
        out.samplerUnits[pair] = unit;
      }
  }
  GlslPlan plans[kStageCount];
  for (int s = 0; s < kStageCount; ++s) {
    plans[s].samplerUnits = out.samplerUnits;
    plans[s].plainUniforms = plain;
    for (auto [index, binding] : out.blockBindings) {
      std::string name = index == 0 ? std::string(kGlobalsBlockName)
                                    : effect.syntax.cbuffers[static_cast<std::size_t>(index)].name;
      plans[s].blockBindings[name] = binding;
      if (out.flattened.count(index)) plans[s].flattenBlocks.insert(name);
    }
  }
  // Vertex inputs are numbered in the order the shader declares them; the input layout
  // maps the same semantics to these locations.
  plans[0].nameInputs = true;
  int location = 0;
  for (ReflectedVarying v : stages[0].inputs) {
    v.location = static_cast<std::uint32_t>(location);
    plans[0].inputLocations[v.Key()] = location++;
    out.vertexInputs.push_back(v);
  }
  // Each later stage reads what the one before writes, matched by semantic.
  int previous = 0;
  for (int s = 1; s < kStageCount; ++s) {
    if (!out.present[s]) continue;
    std::map<std::string, int> locations;
    int next = 0;
    for (const ReflectedVarying& v : stages[previous].outputs) locations[v.Key()] = next++;
    if (s == static_cast<int>(Stage::Geometry)) plans[s].distanceInputs = DistanceInputs(stages[s]);
    for (const ReflectedVarying& v : stages[s].inputs) {
      if (plans[s].distanceInputs.count(v.Key())) continue;
      if (!locations.count(v.Key())) {
        runnable = false;
        reason = std::string(StageName(static_cast<Stage>(s))) + " input " + v.Key() + " is not written by the " +
                 StageName(static_cast<Stage>(previous));
        return true;
      }
    }
    plans[previous].outputLocations = locations;
    plans[s].inputLocations = locations;
    previous = s;
  }
  if (pass.streamsOut && !pass.streamOut.empty()) {
    const int last = out.present[1] ? 1 : 0;
    if (!PlanStreamOut(pass, last ? "geometry shader" : "vertex shader", stages[last], plans[last],
                       out.feedbackVaryings, reason)) {
      runnable = false;
      return true;
    }
  }
  for (int s = 0; s < kStageCount; ++s) {
    if (!out.present[s]) continue;
    const ShaderBinary& binary = effect.shaders[static_cast<std::size_t>(pass.shaders[s])];
    if (!EmitGlsl(binary.spirv, plans[s], out.glsl[s], error)) {
      error = effect.path + ": error: " + binary.entry + ": " + error;
      return false;
    }
  }
  return true;
}

}  // namespace platform::fx
