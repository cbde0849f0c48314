#pragma once

// What a compiled shader exposes (constant buffers with their member offsets, textures,
// samplers, stage inputs and outputs by semantic) and its translation to GLSL 4.50 with
// bindings and varying locations chosen for the whole program: each stage's compiler
// numbers its own resources from zero, and varyings must meet by semantic, not by
// declaration order.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform::fx {

struct ReflectedMember {
  std::string name;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// One scalar, vector or matrix (or a one-dimensional array of them) of a cbuffer read as
// plain uniforms: its GLSL uniform name and where its values lie in the cbuffer's image.
struct PlainUniform {
  std::string name;  // "cb_Mixed.Palette", "cb_Mixed.Lights[1].Colour"
  std::uint32_t offset = 0;
  char scalar = 'f';  // 'f', 'i', 'u'
  std::uint32_t rows = 1;     // components of a vector, or of one matrix column
  std::uint32_t columns = 1;  // 1 unless a matrix
  std::uint32_t count = 1;    // array elements, 1 when not an array
  std::uint32_t arrayStride = 0;
  std::uint32_t matrixStride = 0;
  bool rowMajor = false;  // the image holds each row of the GLSL matrix contiguously
};

struct ReflectedBlock {
  std::string name;  // the cbuffer's name in the HLSL text
  std::vector<ReflectedMember> members;
  bool fitsStd140 = true;  // expressible as a GL uniform block with explicit offsets
  bool oneScalarType = true;  // every member float, or every member int, or every one uint
  std::vector<PlainUniform> plain;  // the block as plain uniforms, in member order
  std::string plainProblem;         // why the block cannot be plain uniforms, empty when it can
};

struct ReflectedVarying {
  std::string semantic;  // upper case, without the index: "TEXCOORD"
  std::uint32_t index = 0;
  std::uint32_t components = 4;
  char scalar = 'f';  // 'f', 'i', 'u'
  std::uint32_t location = 0;
  std::string Key() const { return semantic + std::to_string(index); }
};

struct SamplerPair {
  std::string texture;
  std::string sampler;  // empty when the texture is only read with Load
  bool operator<(const SamplerPair& o) const {
    return texture != o.texture ? texture < o.texture : sampler < o.sampler;
  }
};

struct StageReflection {
  std::vector<ReflectedBlock> blocks;
  std::vector<SamplerPair> samplers;
  std::vector<ReflectedVarying> inputs;
  std::vector<ReflectedVarying> outputs;
};

bool ReflectStage(const std::vector<std::uint32_t>& spirv, StageReflection& out, std::string& error);

// Program-wide choices made before any stage is translated.
struct GlslPlan {
  std::map<std::string, int> blockBindings;   // cbuffer name -> uniform block binding
  std::map<SamplerPair, int> samplerUnits;    // texture unit per texture/sampler pair
  std::map<std::string, int> inputLocations;  // semantic key -> location of this stage's inputs
  std::map<std::string, int> outputLocations;
  // cbuffers that do not fit std140 and hold one scalar type: read as a vec4 array in a
  // uniform block, which has the HLSL packing's 16-byte registers exactly.
  std::set<std::string> flattenBlocks;
  // Every cbuffer as a uniform of struct type, for packings neither a block nor a vec4
  // array can express (ints beside floats off std140's alignment).
  bool plainUniforms = false;
  bool nameInputs = false;     // vertex inputs named "in_<SEMANTIC><index>" for the input signature
  // Outputs named "out_<SEMANTIC><index>", for transform feedback to name what it captures.
  bool nameOutputs = false;
  // Parts of outputs captured alone (POSITION.xy of a float4): transform feedback takes
  // whole outputs only, so each part is copied into an output of its own as every vertex
  // is written.
  struct PartialOutput {
    std::string name;    // the new output
    std::string type;    // its GLSL type
    std::string source;  // what it copies: "out_POSITION0.xy", "gl_Position.xyz"
    bool integer = false;
  };
  std::vector<PartialOutput> partialOutputs;
  // Geometry stage inputs that are clip or cull distances under a semantic of their own
  // (see platform/effect/entry_wrappers.h): read from gl_in instead, by semantic key.
  struct DistanceInput {
    std::string builtin;  // "gl_ClipDistance" or "gl_CullDistance"
    std::uint32_t first = 0;       // the builtin array's element the input starts at
    std::uint32_t components = 1;
  };
  std::map<std::string, DistanceInput> distanceInputs;
};

bool EmitGlsl(const std::vector<std::uint32_t>& spirv, const GlslPlan& plan, std::string& glsl, std::string& error);

// The GLSL name of a texture/sampler pair's combined sampler.
std::string CombinedSamplerName(const SamplerPair& pair);

}  // namespace platform::fx
