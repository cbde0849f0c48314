// The effect language's type names: scalars, vectors and matrices in every spelling the
// files use, object types, their case, and arrays of them.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "platform/effect/parser.h"

namespace platform::fx::detail {

bool ParseScalarName(std::string_view s, ScalarType& scalar, std::string_view& rest) {
  static const struct {
    const char* name;
    ScalarType type;
  } names[] = {{"float", ScalarType::Float}, {"half", ScalarType::Float}, {"int", ScalarType::Int},
               {"uint", ScalarType::Uint},   {"dword", ScalarType::Uint}, {"bool", ScalarType::Bool}};
  for (const auto& n : names) {
    std::size_t len = std::strlen(n.name);
    if (s.substr(0, len) == n.name) {
      scalar = n.type;
      rest = s.substr(len);
      return true;
    }
  }
  return false;
}

// "float", "float3", "float4x4", "bool2" ...
bool ParseNumericTypeName(std::string_view s, Type& t) {
  std::string_view rest;
  if (!ParseScalarName(s, t.scalar, rest)) return false;
  auto dim = [](char c) { return c >= '1' && c <= '4' ? c - '0' : 0; };
  if (rest.empty()) {
    t.cls = TypeClass::Scalar;
    t.rows = t.cols = 1;
  } else if (rest.size() == 1 && dim(rest[0])) {
    t.cls = TypeClass::Vector;
    t.rows = 1;
    t.cols = dim(rest[0]);
  } else if (rest.size() == 3 && dim(rest[0]) && rest[1] == 'x' && dim(rest[2])) {
    t.cls = TypeClass::Matrix;
    t.rows = dim(rest[0]);
    t.cols = dim(rest[2]);
  } else {
    return false;
  }
  t.name = std::string(s);
  return true;
}

ObjectType ObjectTypeByName(std::string_view s) {
  static const struct {
    const char* name;
    ObjectType type;
  } names[] = {{"string", ObjectType::String},
               {"Texture", ObjectType::Texture},
               {"texture", ObjectType::Texture},
               {"Texture1D", ObjectType::Texture1D},
               {"Texture1DArray", ObjectType::Texture1DArray},
               {"Texture2D", ObjectType::Texture2D},
               {"Texture2DArray", ObjectType::Texture2DArray},
               {"Texture2DMS", ObjectType::Texture2DMS},
               {"Texture2DMSArray", ObjectType::Texture2DMSArray},
               {"Texture3D", ObjectType::Texture3D},
               {"TextureCube", ObjectType::TextureCube},
               {"Buffer", ObjectType::Buffer},
               {"SamplerState", ObjectType::SamplerState},
               {"sampler", ObjectType::SamplerState},
               {"SamplerComparisonState", ObjectType::SamplerComparisonState},
               {"BlendState", ObjectType::BlendState},
               {"DepthStencilState", ObjectType::DepthStencilState},
               {"RasterizerState", ObjectType::RasterizerState},
               {"VertexShader", ObjectType::VertexShader},
               {"GeometryShader", ObjectType::GeometryShader},
               {"PixelShader", ObjectType::PixelShader}};
  for (const auto& n : names)
    if (s == n.name) return n.type;
  return detail::LegacyObjectType(s);
}

// The type a name stands for when case is ignored ("FLOAT4" for float4, "texture2d" for
// Texture2D), to say what to write; empty when none.
std::string CaseInsensitiveTypeName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Type numeric;
  if (ParseNumericTypeName(lower, numeric)) return lower;
  static const char* const objects[] = {"Texture1D",         "Texture1DArray",  "Texture2D",      "Texture2DArray",
                                        "Texture2DMS",       "Texture2DMSArray", "Texture3D",      "TextureCube",
                                        "Buffer",            "SamplerState",    "SamplerComparisonState",
                                        "BlendState",        "DepthStencilState", "RasterizerState", "GeometryShader"};
  for (const char* o : objects) {
    std::string lowerObject(o);
    for (char& c : lowerObject) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowerObject == lower) return o;
  }
  return "";
}

void Parser::ParseArray(Type& t) {
  // An array of arrays is, to the effect and its reflection, one array of every element
  // in order (HLSL packs each inner element to its own register, as it packs a flat
  // array); the shader still indexes it by each dimension.
  std::vector<int> dims;
  while (Peek().Is("[")) {
    const Token& open = Next();
    if (Accept("]")) {  // float2 offsets[] = {...}: the initial value gives the length
      if (t.elements) Fail("only a single-dimension array may leave its size to the initial value", open);
      t.elements = kUnsized;
      continue;
    }
    if (t.elements == kUnsized) Fail("only a single-dimension array may leave its size to the initial value", open);
    std::vector<double> n = ParseExpression(0);
    Expect("]");
    if (n.size() != 1 || !(n[0] >= 1 && n[0] <= 65536) || n[0] != std::floor(n[0]))
      Fail("array size must be a positive integer constant", open);
    dims.push_back(static_cast<int>(n[0]));
    const long long total = static_cast<long long>(std::max(1, t.elements)) * dims.back();
    if (total > 65536) Fail("array has more than 65536 elements", open);
    t.elements = static_cast<int>(total);
  }
  if (dims.size() > 1) t.arrayDims = dims;
}

Type Parser::ParseType(int depth) {
  if (depth > kMaxDepth) Fail("type nesting too deep");
  Type t;
  bool rowMajor = false;
  bool colMajor = false;
  for (;;) {
    if (Accept("row_major")) rowMajor = true;
    else if (Accept("column_major")) colMajor = true;
    else if (Accept("const") || Accept("uniform") || Accept("extern") || Accept("volatile") || Accept("precise")) {
    } else break;
  }
  const Token& nameTok = Peek();
  if (nameTok.kind != TokenKind::Identifier) Fail("expected a type but found " + Describe(nameTok));
  std::string name(nameTok.text);
  Next();
  if (name == "unsigned") {  // "unsigned int" is the long way to write uint
    Accept("int");
    name = "uint";
  }
  if (name == "vector" || name == "matrix") {
    t.scalar = ScalarType::Float;
    t.rows = 1;
    t.cols = 4;
    t.cls = TypeClass::Vector;
    if (name == "matrix") {
      t.cls = TypeClass::Matrix;
      t.rows = 4;
    }
    if (Accept("<")) {
      std::string_view rest;
      std::string scalarName = ExpectIdentifier("a scalar type");
      if (!ParseScalarName(scalarName, t.scalar, rest) || !rest.empty()) Fail("unknown scalar type " + scalarName);
      std::vector<int> dims;
      while (Accept(",")) {
        const Token& d = Next();
        int v = d.kind == TokenKind::Number ? std::atoi(std::string(d.text).c_str()) : 0;
        if (v < 1 || v > 4) Fail("dimension must be 1 to 4", d);
        dims.push_back(v);
      }
      Expect(">");
      if (name == "vector" && dims.size() == 1) t.cols = dims[0];
      else if (name == "matrix" && dims.size() == 2) {
        t.rows = dims[0];
        t.cols = dims[1];
      } else Fail("wrong number of dimensions for " + name);
      t.name = scalarName + (name == "vector" ? std::to_string(t.cols) : std::to_string(t.rows) + "x" + std::to_string(t.cols));
    } else {
      t.name = name == "vector" ? "float4" : "float4x4";
    }
  } else if (ParseNumericTypeName(name, t)) {
  } else if (ObjectType o = ObjectTypeByName(name); o != ObjectType::None) {
    t.cls = TypeClass::Object;
    t.object = o;
    t.name = name;
    if (Peek().Is("<")) {  // Texture2D<float4>, Texture2DMS<float4, 4>
      int angle = 0;
      do {
        const Token& x = Next();
        if (x.kind == TokenKind::End) Fail("unterminated template arguments", nameTok);
        if (x.Is("<")) ++angle;
        if (x.Is(">")) --angle;
        if (x.Is(">>")) angle -= 2;
      } while (angle > 0);
    }
  } else if (auto it = out.structs.find(name); it != out.structs.end()) {
    t = it->second;
  } else {
    const std::string spelling = CaseInsensitiveTypeName(name);
    if (!spelling.empty()) Fail("unknown type '" + name + "': type names are case-sensitive; write '" + spelling + "'", nameTok);
    Fail("unknown type '" + name + "'", nameTok);
  }
  if (t.cls == TypeClass::Matrix) t.rowMajor = rowMajor && !colMajor;
  return t;
}

}  // namespace platform::fx::detail
