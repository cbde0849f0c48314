#pragma once

// Entry points the HLSL compiler here cannot take as effect files write them, and the
// wrappers that make them ones it can: literal arguments for uniform parameters, and
// geometry shaders reading clip or cull distances from their input vertices.

#include <string>

#include "platform/effect/syntax.h"

namespace platform::fx {

// The name of a parameter declaration: the last identifier before any semantic or array.
std::string ParamName(const std::string& text);

// A parameter of a stream object type (inout TriangleStream<V> s), not merely of a type
// whose name holds the word (VSStreamOut v).
bool TakesStreamObject(const std::string& param);

// CompileShader(ps_4_0, PS(1, true)) binds uniform parameters at compile time; the HLSL
// compiler wants an entry without them, so `entry` becomes a wrapper appended to `hlsl`
// that makes the call (ref.entry itself when there are no arguments). `index` makes its
// name unique. False with `error` naming the line when the arguments do not fit.
bool WrapEntry(const EffectSyntax& syntax, const ShaderRef& ref, int index, std::string& hlsl, std::string& entry,
               std::string& error);

// Whether geometry shader `entry` reads clip or cull distances from its input vertices,
// as a semantic of its own or of the input struct's members.
bool TakesClipDistances(const EffectSyntax& syntax, const std::string& entry);

// The HLSL compiler here crashes on a geometry shader whose input vertices carry clip or
// cull distances. The wrapper appended to `hlsl` takes the vertices with those members
// under semantics of their own (kClipInputSemantic, kCullInputSemantic, then the index),
// which the GLSL of the stage reads from gl_in, and calls the shader with them copied
// into its own vertex type. False when the shader's input is not an array of a struct
// whose own members carry the distances, or it takes uniform arguments.
bool WrapClipDistanceInputs(const EffectSyntax& syntax, const ShaderRef& ref, int index, std::string& hlsl,
                            std::string& entry);
constexpr const char* kClipInputSemantic = "FXCLIPDIST";
constexpr const char* kCullInputSemantic = "FXCULLDIST";

}  // namespace platform::fx
