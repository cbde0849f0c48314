#pragma once

// What an effect file declares, as the front end's parser finds it: variables grouped in
// constant buffers, resource and state objects, techniques with their passes, and the
// HLSL text the shader compiler gets once the effect-only syntax is blanked out of it.
// Nothing here knows about GL or the shader compiler.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/effect/lexer.h"

namespace platform::fx {

enum class ScalarType { Float, Int, Uint, Bool };

enum class ObjectType {
  None,
  String,
  Texture,
  Texture1D,
  Texture1DArray,
  Texture2D,
  Texture2DArray,
  Texture2DMS,
  Texture2DMSArray,
  Texture3D,
  TextureCube,
  Buffer,  // Buffer<T>: a buffer's elements, read with Load
  SamplerState,
  SamplerComparisonState,
  BlendState,
  DepthStencilState,
  RasterizerState,
  VertexShader,
  GeometryShader,
  PixelShader,
};

enum class TypeClass { Scalar, Vector, Matrix, Struct, Object };

struct Field;

struct Type {
  TypeClass cls = TypeClass::Scalar;
  ScalarType scalar = ScalarType::Float;
  ObjectType object = ObjectType::None;
  int rows = 1;           // matrices: rows; vectors and scalars: 1
  int cols = 1;           // vectors: components; matrices: columns
  bool rowMajor = false;  // matrices only; HLSL's default is column_major
  int elements = 0;       // array length, 0 when not an array; an array of arrays counts every element
  std::vector<int> arrayDims;  // float g[7][5]: {7, 5}, as the HLSL compiler is to read it; empty for one dimension
  std::string name;       // as effect authors write it: "float4x4", "Texture2D", a struct name
  std::vector<Field> fields;

  bool IsNumeric() const { return cls != TypeClass::Object; }
  // Whatever a shader resource view binds: the textures and Buffer<T>.
  bool IsTexture() const { return object >= ObjectType::Texture && object <= ObjectType::Buffer; }
  bool IsSampler() const { return object == ObjectType::SamplerState || object == ObjectType::SamplerComparisonState; }
  int Components() const { return rows * cols; }  // scalar count of one element
};

struct Field {
  std::string name;
  Type type;
  std::string semantic;
};

// A value written in the source: an annotation or an initial value. Numbers are kept as
// 32-bit patterns of the declared scalar type, flattened in declaration order.
struct Value {
  Type type;
  std::vector<std::uint32_t> data;
  std::string text;  // strings
};

struct Annotation {
  std::string name;
  Value value;
};

// One `Field = value;` line of a sampler or state block.
struct StateAssignment {
  std::string name;
  int index = -1;               // Field[index] = ...
  std::string identifier;       // SRC_ALPHA, TRUE, MIN_MAG_MIP_LINEAR ...
  std::vector<double> numbers;  // 0x0F, 1.0, float4(0, 0, 0, 0) ...
  int line = 0;
};

// `CompileShader(vs_4_0, Entry(args))`, `NULL`, or a shader variable's name.
struct ShaderRef {
  bool set = false;
  bool null = false;
  std::string profile;
  std::string entry;
  std::vector<std::string> args;  // literal argument text for uniform parameters
  std::string variable;           // SetVertexShader(someShaderVariable)
  int line = 0;
  // ConstructGSWithSO(shader, "POSITION.xyz; 1:TEXCOORD0.xy"): the stream output
  // declaration, as written; the shader is the rest of this reference.
  bool streamOut = false;
  std::string streamOutDeclaration;
  bool moreStreams = false;  // declarations for streams past the first, which GL cannot rasterize apart
};

struct VariableDecl {
  std::string name;
  Type type;
  std::string semantic;
  std::vector<Annotation> annotations;
  bool shared = false;
  bool hasInitializer = false;
  Value initializer;
  std::vector<StateAssignment> state;  // sampler and state blocks
  ShaderRef shader;                    // VertexShader v = CompileShader(...)
  int cbuffer = -1;                    // index into EffectSyntax::cbuffers; -1 for objects
  int packOffset = -1;                 // bytes, from packoffset(c3.z); -1 when not given
  int line = 0;
};

struct CBufferDecl {
  std::string name;  // "$Globals" for the variables declared outside any cbuffer
  bool shared = false;
  std::vector<Annotation> annotations;
  std::vector<int> variables;  // indices into EffectSyntax::variables, declaration order
  int line = 0;
};

struct PassDecl {
  std::string name;
  std::vector<Annotation> annotations;
  ShaderRef vs, gs, ps;
  bool blendSet = false;
  std::string blendState;  // empty: NULL
  float blendFactor[4] = {0, 0, 0, 0};
  std::uint32_t sampleMask = 0xffffffffu;
  bool depthSet = false;
  std::string depthState;
  std::uint32_t stencilRef = 0;
  bool rasterSet = false;
  std::string rasterState;
  // Arguments named by a numeric variable in place of a value: read at each apply, so
  // what the application sets between applies takes effect at the next one.
  std::string blendFactorVariable, sampleMaskVariable, stencilRefVariable;
  int line = 0;
};

struct TechniqueDecl {
  std::string name;
  std::vector<Annotation> annotations;
  std::vector<PassDecl> passes;
  int line = 0;
};

struct FunctionDecl {
  struct Param {
    std::string text;  // the whole declaration, semantic included
    bool uniform = false;
  };
  std::string name;
  std::string returnType;
  std::string semantic;
  std::string attributes;  // "[maxvertexcount(3)]" and the like
  std::vector<Param> params;
};

struct EffectSyntax {
  std::vector<VariableDecl> variables;
  std::vector<CBufferDecl> cbuffers;  // [0] is always "$Globals"
  std::vector<TechniqueDecl> techniques;
  std::map<std::string, Type> structs;
  std::vector<FunctionDecl> functions;
  std::string hlsl;  // the text for the HLSL compiler, same line structure as the input
  LineMap lines;

  const FunctionDecl* FindFunction(const std::string& name) const;
  const VariableDecl* FindVariable(const std::string& name) const;
};

// The name the HLSL compiler sees for the constant buffer that holds the variables
// declared outside any cbuffer (the parser wraps them into one so that they are packed
// by the same rules as named cbuffers).
constexpr const char* kGlobalsBlockName = "fx_Globals";

// Parses preprocessed effect text. On failure returns false and sets `error` to
// "file(line): message".
bool ParseEffect(std::string text, const std::string& fileName, EffectSyntax& out, std::string& error);

}  // namespace platform::fx
