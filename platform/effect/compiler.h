#pragma once

// The effect compiler's front end: preprocesses an effect file (includes resolved
// relative to the including file), parses the effect syntax, lays out the constant
// buffers and compiles every entry point the passes name to SPIR-V, through the on-disk
// cache. It decides which techniques can run here; it knows nothing of GL.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/effect/layout.h"
#include "platform/effect/stream_out.h"
#include "platform/effect/syntax.h"

namespace platform::fx {

enum class Stage { Vertex = 0, Geometry = 1, Pixel = 2 };
constexpr int kStageCount = 3;
const char* StageName(Stage stage);  // "vs", "gs", "ps"

// One compiled entry point.
struct ShaderBinary {
  Stage stage = Stage::Vertex;
  std::string entry;    // as the pass names it
  std::string profile;  // vs_4_0 ...
  std::vector<std::string> args;
  std::vector<std::uint32_t> spirv;
};

struct CompiledPass {
  int shaders[kStageCount] = {-1, -1, -1};  // indices into CompiledEffect::shaders
  bool valid = true;
  std::string reason;  // why it cannot run
  // The last vertex stage's outputs go to the stream output targets as declared (with no
  // geometry stage when the shader given to ConstructGSWithSO was a vertex shader).
  bool streamsOut = false;
  std::vector<StreamOutElement> streamOut;
};

struct CompiledTechnique {
  bool valid = true;
  std::string reason;
  std::vector<CompiledPass> passes;
};

struct CompiledEffect {
  std::string path;
  EffectSyntax syntax;
  std::vector<CBufferLayout> layouts;  // parallel to syntax.cbuffers
  std::vector<ShaderBinary> shaders;
  std::vector<CompiledTechnique> techniques;  // parallel to syntax.techniques
};

struct CompileOptions {
  std::vector<std::pair<std::string, std::string>> defines;
  bool useCache = true;
};

// Compiles the effect file at `path`. False with the compiler's message, naming the file
// and line, in `error` when the file cannot be read, preprocessed, parsed or compiled.
// A pass whose profile cannot run here does not fail the effect: its technique is
// marked invalid.
bool CompileEffectFile(const std::string& path, const CompileOptions& options, CompiledEffect& out,
                       std::string& error);
// The same for source text; includes resolve against the folder of `name`.
bool CompileEffectSource(const std::string& source, const std::string& name, const CompileOptions& options,
                         CompiledEffect& out, std::string& error);

// An entry point the passes need, found before anything is compiled. `ref` points into
// the CompiledEffect's syntax the plan was made with.
struct PlannedShader {
  const ShaderRef* ref = nullptr;
  Stage stage = Stage::Vertex;
  std::string entry;  // the name to compile: ref->entry, or a wrapper binding its uniform arguments
};

struct EffectPlan {
  std::string hlsl;  // the effect's HLSL with the wrappers appended; every stage compiles this text
  std::vector<PlannedShader> shaders;  // CompiledEffect::shaders will be these, in this order
};

// Everything CompileEffectSource does before the HLSL compiler runs: preprocessing
// (includes included), parsing, constant buffer layout, and which techniques and passes
// can run here with the entry points they need. Fills out.syntax, out.layouts and
// out.techniques; out.shaders stays empty. Cheap enough to fuzz.
bool PlanEffectSource(const std::string& source, const std::string& name, const CompileOptions& options,
                      CompiledEffect& out, EffectPlan& plan, std::string& error);

// The shader a pass's reference names, directly or through shader variables (which may
// name one another: ConstructGSWithSO(otherShader, ...)); null when a name is unknown,
// a reference marked null for a variable set to NULL.
// `streamOut`, when given, gets the first reference on the way that declares stream
// output, null when none does.
const ShaderRef* ResolveShaderRef(const EffectSyntax& syntax, const ShaderRef& ref,
                                  const ShaderRef** streamOut = nullptr);

// Stage and support of a profile: vs/gs/ps 4_0 and 4_1 run; anything else does not.
bool ProfileStage(const std::string& profile, Stage& stage);
bool ProfileSupported(const std::string& profile);

// How many entry points went through the HLSL compiler in this process (cache misses).
std::uint64_t HlslCompileCount();

}  // namespace platform::fx
