#pragma once

// The effect parser's internals, shared by the files it is split across.

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/effect/syntax.h"

namespace platform::fx::detail {

struct ParseError : std::runtime_error {
  ParseError(const std::string& message, int lineOfText) : std::runtime_error(message), line(lineOfText) {}
  int line;
};

constexpr int kMaxDepth = 64;
// Type::elements of an array declared with empty brackets until its initial value says.
constexpr int kUnsized = -1;

// The object type a Direct3D 9 name stands for ("texture2D", "samplerCUBE"); None for
// any other name, and for "texture", whose dimension its samplers decide.
ObjectType LegacyObjectType(std::string_view name);

// A scalar, vector or matrix type name ("float", "float3", "float4x4", "matrix", ...) as
// a Type; false for any other name.
bool ParseNumericTypeName(std::string_view s, Type& t);

// " : packoffset(c72.z)" for a byte offset.
std::string PackOffsetText(std::uint32_t offset);

class Parser {
 public:
  Parser(std::string& source, const std::string& fileName, EffectSyntax& result)
      : text(source), lexer(source, fileName), tokens(lexer.Tokens()), out(result) {}

  void Run();
  const LineMap& Lines() const { return lexer.Lines(); }

 private:
  const Token& Peek(std::size_t ahead = 0) const {
    std::size_t i = std::min(pos + ahead, tokens.size() - 1);
    return tokens[i];
  }
  const Token& Next() {
    const Token& t = tokens[pos];
    if (pos + 1 < tokens.size()) ++pos;
    return t;
  }
  bool Accept(std::string_view s) {
    if (Peek().Is(s)) {
      Next();
      return true;
    }
    return false;
  }
  [[noreturn]] void Fail(const std::string& message, const Token& at) const { throw ParseError(message, at.line); }
  [[noreturn]] void Fail(const std::string& message) const { Fail(message, Peek()); }
  const Token& Expect(std::string_view s) {
    if (!Peek().Is(s)) Fail("expected '" + std::string(s) + "' but found " + Describe(Peek()));
    return Next();
  }
  std::string ExpectIdentifier(const char* what) {
    if (Peek().kind != TokenKind::Identifier) Fail(std::string("expected ") + what + " but found " + Describe(Peek()));
    return std::string(Next().text);
  }
  static std::string Describe(const Token& t) {
    if (t.kind == TokenKind::End) return "end of file";
    if (t.kind == TokenKind::String) return "a string";
    return "'" + std::string(t.text) + "'";
  }

  void Blank(std::size_t begin, std::size_t end) { blanks.push_back({begin, end}); }
  // Text the HLSL compiler reads in place of [begin, end): the spellings it does not
  // know. Neither may hold a line break, so lines keep their numbers.
  void Rewrite(std::size_t begin, std::size_t end, std::string replacement) {
    rewrites.push_back({begin, end, std::move(replacement)});
  }
  void FindRewrites();
  // The Direct3D 9 spellings (legacy.cpp): a technique of theirs is skipped whole (true);
  // texture and sampler types and the tex2D family are rewritten once all is parsed.
  bool SkipLegacyTechnique(const Token& keyword);
  // Steps `at` (tokens ahead) past a balanced < ... > group starting there; false when
  // the file ends first.
  bool SkipAngles(std::size_t& at) const;
  void ResolveLegacy();
  // A declaration's type as the HLSL compiler is to read it.
  std::string TypeText(std::size_t begin, std::size_t end) const;
  std::string Slice(std::size_t begin, std::size_t end) const { return text.substr(begin, end - begin); }

  // Skips a balanced (), [], {} group starting at the opening token.
  void SkipGroup() {
    const Token& open = Next();
    std::string_view close = open.text == "(" ? ")" : open.text == "[" ? "]" : "}";
    std::string_view opening = open.text;
    int depth = 1;
    while (depth > 0) {
      const Token& t = Next();
      if (t.kind == TokenKind::End) Fail("unbalanced '" + std::string(opening) + "'", open);
      if (t.kind != TokenKind::Punct) continue;
      if (t.text == opening) ++depth;
      else if (t.text == close) --depth;
    }
  }

  Type ParseType(int depth);
  void ParseArray(Type& t);
  std::vector<Annotation> ParseAnnotations();
  Value ParseValue(const Type& type);
  // The scalar type of each number in one element of `type`; false when it holds objects.
  bool ScalarsOf(const Type& type, int depth, std::vector<ScalarType>& scalars) const;
  std::vector<double> ParseExpression(int depth);
  std::vector<double> ParsePrimary(int depth);
  void ParseStruct();
  // "uint2" for "bool2" and the like; empty for any other type name.
  static std::string CarriedBoolType(std::string_view type);
  // A semantic of the file's own, as opposed to a system value (SV_...).
  static bool IsVaryingSemantic(std::string_view semantic);
  void ParseCBuffer(bool shared, std::size_t declBegin);
  void ParseDeclaration(bool inCBuffer, int cbuffer);
  void ParseStateBlock(VariableDecl& v);
  ShaderRef ParseShaderExpression();
  void ParseTechnique();
  PassDecl ParsePass();
  // VertexShader = compile vs_4_0 VS(); and the other `State = value;` forms of a pass.
  void ParsePassAssignment(PassDecl& p);
  // A pass state argument written as a numeric variable's name (SetBlendState(b, factor,
  // mask)): the variable, or empty when the argument is a value.
  std::string ParseStateVariable(const char* what, bool float4);
  void ParseFunction(const Type& returnType, const std::string& name, std::size_t declBegin,
                     const std::string& attributes);
  void BuildHlsl();

  std::string& text;
  Lexer lexer;
  const std::vector<Token>& tokens;
  EffectSyntax& out;
  std::size_t pos = 0;
  std::vector<std::pair<std::size_t, std::size_t>> blanks;
  struct Replacement {
    std::size_t begin, end;
    std::string text;
  };
  std::vector<Replacement> rewrites;
  // Declarations gathered into the globals block, by variable name, without their ';'.
  std::vector<std::pair<std::string, std::string>> globalsMembers;
  // Where a cbuffer member without a packoffset of its own gets one: the HLSL compiler
  // here pads what follows an array or a matrix to a new register, and the offsets must
  // be those effect files are written for. By variable name.
  std::vector<std::pair<std::string, std::size_t>> packInserts;
  void PlaceMembers();
  // packoffset(c3.z) as bytes (the text between the brackets).
  int ParsePackOffset(const std::string& inside, const Token& at) const;
  std::size_t globalsInsert = std::string::npos;
  std::map<std::string, std::size_t> structEnds;  // where each struct declaration ends
  // Values of the file's own numeric constants (static const int Taps = 8), which array
  // sizes and initial values may name.
  std::map<std::string, std::vector<double>> constants;
  // A texture or sampler declared with a Direct3D 9 type name (or "sampler"), one entry a
  // variable; `first` marks the declaration's first variable, whose type text is rewritten.
  struct LegacyObject {
    std::string variable, written;
    std::size_t typeBegin, typeEnd;
    bool first;
  };
  std::vector<LegacyObject> legacyObjects;
  // A function parameter of a Direct3D 9 sampler type (uniform sampler2D s): it becomes
  // the texture and the sampler, and the calls that bind it pass both.
  struct LegacySamplerParam {
    std::size_t function, param;  // in out.functions and its params, as parsed
    std::size_t typeBegin, typeEnd;
    std::string written, name;
  };
  std::vector<LegacySamplerParam> legacySamplerParams;
  void SplitSamplerParams(std::map<std::string, std::string>& textureOf);
  std::size_t firstFunction = std::string::npos;  // where the file's first function begins
};

}  // namespace platform::fx::detail
