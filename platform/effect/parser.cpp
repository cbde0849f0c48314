#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/effect/layout.h"
#include "platform/effect/parser.h"

namespace platform::fx {

const FunctionDecl* EffectSyntax::FindFunction(const std::string& name) const {
  for (const FunctionDecl& f : functions)
    if (f.name == name) return &f;
  return nullptr;
}

const VariableDecl* EffectSyntax::FindVariable(const std::string& name) const {
  for (const VariableDecl& v : variables)
    if (v.name == name) return &v;
  return nullptr;
}

namespace {

std::uint32_t ToBits(double v, ScalarType scalar) {
  switch (scalar) {
    case ScalarType::Float: {
      float f = static_cast<float>(v);
      std::uint32_t bits;
      std::memcpy(&bits, &f, 4);
      return bits;
    }
    case ScalarType::Int:
      if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
      return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    case ScalarType::Uint:
      if (!(v >= 0 && v < 4294967296.0)) return 0;
      return static_cast<std::uint32_t>(v);
    case ScalarType::Bool:
      return v != 0 ? 1u : 0u;
  }
  return 0;
}

}  // namespace

namespace detail {

std::vector<double> Parser::ParsePrimary(int depth) {
  if (depth > kMaxDepth) Fail("expression nesting too deep");
  const Token& t = Peek();
  if (t.Is("-") || t.Is("+")) {
    bool negate = t.Is("-");
    Next();
    std::vector<double> v = ParsePrimary(depth + 1);
    if (negate)
      for (double& x : v) x = -x;
    return v;
  }
  if (t.Is("(")) {
    Next();
    std::vector<double> v = ParseExpression(depth + 1);
    Expect(")");
    return v;
  }
  if (t.Is("{")) {
    Next();
    std::vector<double> all;
    while (!Peek().Is("}")) {
      std::vector<double> v = ParseExpression(depth + 1);
      all.insert(all.end(), v.begin(), v.end());
      if (!Accept(",")) break;
    }
    Expect("}");
    return all;
  }
  if (t.kind == TokenKind::Number) {
    Next();
    std::string s(t.text);
    while (!s.empty() && std::strchr("fFhHuUlL", s.back()) && !(s.size() > 2 && (s[1] == 'x' || s[1] == 'X')))
      s.pop_back();
    double v = (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) ? static_cast<double>(std::strtoull(s.c_str(), nullptr, 16))
                                                                           : std::strtod(s.c_str(), nullptr);
    return {v};
  }
  if (t.Is("true") || t.Is("TRUE")) {
    Next();
    return {1.0};
  }
  if (t.Is("false") || t.Is("FALSE")) {
    Next();
    return {0.0};
  }
  if (t.kind == TokenKind::Identifier && !Peek(1).Is("(")) {  // static const int Taps = 8;
    auto constant = constants.find(std::string(t.text));
    if (constant == constants.end()) Fail("expected a constant but found " + Describe(t), t);
    Next();
    return constant->second;
  }
  if (t.kind == TokenKind::Identifier && Peek(1).Is("(")) {  // float4(1, 0, 0, 1)
    Type ctor;
    if (!ParseNumericTypeName(t.text, ctor)) Fail("cannot evaluate '" + std::string(t.text) + "' as a constant", t);
    Next();
    Next();
    std::vector<double> all;
    while (!Peek().Is(")")) {
      std::vector<double> v = ParseExpression(depth + 1);
      all.insert(all.end(), v.begin(), v.end());
      if (!Accept(",")) break;
    }
    Expect(")");
    if (all.size() == 1 && ctor.Components() > 1) all.assign(static_cast<std::size_t>(ctor.Components()), all[0]);
    return all;
  }
  Fail("expected a constant but found " + Describe(t), t);
}

std::vector<double> Parser::ParseExpression(int depth) {
  if (depth > kMaxDepth) Fail("expression nesting too deep");
  // Sums of products are all that initial values use; evaluate component-wise with a
  // scalar broadcast.
  auto combine = [this](std::vector<double> a, const std::vector<double>& b, char op) {
    if (a.size() != b.size() && a.size() != 1 && b.size() != 1) Fail("mismatched sizes in a constant expression");
    std::size_t n = std::max(a.size(), b.size());
    std::vector<double> r(n);
    for (std::size_t i = 0; i < n; ++i) {
      double x = a[a.size() == 1 ? 0 : i], y = b[b.size() == 1 ? 0 : i];
      r[i] = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : (y != 0 ? x / y : 0.0);
    }
    return r;
  };
  auto term = [&]() {
    std::vector<double> v = ParsePrimary(depth + 1);
    while (Peek().Is("*") || Peek().Is("/")) {
      char op = Next().text[0];
      v = combine(v, ParsePrimary(depth + 1), op);
    }
    return v;
  };
  std::vector<double> v = term();
  while (Peek().Is("+") || Peek().Is("-")) {
    char op = Next().text[0];
    v = combine(v, term(), op);
  }
  return v;
}

Value Parser::ParseValue(const Type& type) {
  Value v;
  v.type = type;
  if (type.object == ObjectType::String) {
    // A macro that expands to ("World") leaves the string in parentheses.
    int parentheses = 0;
    while (Accept("(")) ++parentheses;
    const Token& s = Next();
    if (s.kind != TokenKind::String) Fail("expected a string but found " + Describe(s), s);
    v.text = std::string(s.text);
    while (Peek().kind == TokenKind::String) v.text += Next().text;  // "a;" "b;" is "a;b;", as in C
    while (parentheses-- > 0) Expect(")");
    return v;
  }
  if (!type.IsNumeric()) Fail("cannot give a value to a " + type.name);
  // The scalar type of each number of one element, in declaration order: a struct's
  // fields nest, and its value lists them all, braces or not.
  std::vector<ScalarType> scalars;
  if (!ScalarsOf(type, 0, scalars)) Fail("cannot give a value to a " + type.name + ", which holds objects");
  const Token& at = Peek();
  std::vector<double> numbers = ParseExpression(0);
  if (type.elements == kUnsized) {
    const std::size_t per = scalars.size();
    if (numbers.empty() || numbers.size() % per != 0 || numbers.size() / per > 65536)
      Fail("initial value of " + std::to_string(numbers.size()) + " components does not make whole " + type.name + "s", at);
    v.type.elements = static_cast<int>(numbers.size() / per);
  }
  std::size_t want = scalars.size() * static_cast<std::size_t>(std::max(1, v.type.elements));
  if (numbers.size() == 1 && want > 1) numbers.assign(want, numbers[0]);
  if (numbers.size() != want)
    Fail("initial value has " + std::to_string(numbers.size()) + " components, " + type.name + " needs " +
             std::to_string(want),
         at);
  for (std::size_t i = 0; i < numbers.size(); ++i) v.data.push_back(ToBits(numbers[i], scalars[i % scalars.size()]));
  return v;
}

bool Parser::ScalarsOf(const Type& type, int depth, std::vector<ScalarType>& scalars) const {
  if (depth > kMaxDepth || scalars.size() > 65536) return false;
  if (type.cls == TypeClass::Object) return false;
  if (type.cls != TypeClass::Struct) {
    scalars.insert(scalars.end(), static_cast<std::size_t>(type.Components()), type.scalar);
    return true;
  }
  for (const Field& f : type.fields) {
    for (int e = 0; e < std::max(1, f.type.elements); ++e) {
      Type element = f.type;
      element.elements = 0;
      if (!ScalarsOf(element, depth + 1, scalars)) return false;
    }
  }
  return true;
}

std::vector<Annotation> Parser::ParseAnnotations() {
  std::vector<Annotation> result;
  if (!Peek().Is("<")) return result;
  std::size_t begin = Next().begin;
  while (!Peek().Is(">")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated annotation list");
    Type type = ParseType(0);
    Annotation a;
    a.name = ExpectIdentifier("an annotation name");
    ParseArray(type);
    Expect("=");
    a.value = ParseValue(type);
    Expect(";");
    result.push_back(std::move(a));
  }
  Blank(begin, Next().end);
  return result;
}

// The shader compiler here cannot pass a bool between stages, so a bool with a semantic
// of the file's own (not a system value such as SV_IsFrontFace) travels as a uint; HLSL
// converts it back wherever it is used as a bool.
std::string Parser::CarriedBoolType(std::string_view type) {
  if (type == "bool") return "uint";
  if (type.size() == 5 && type.substr(0, 4) == "bool" && type[4] >= '1' && type[4] <= '4')
    return "uint" + std::string(1, type[4]);
  return "";
}

bool Parser::IsVaryingSemantic(std::string_view semantic) {
  return !semantic.empty() && !(semantic.size() >= 3 && (semantic[0] == 'S' || semantic[0] == 's') &&
                                (semantic[1] == 'V' || semantic[1] == 'v') && semantic[2] == '_');
}

void Parser::ParseStruct() {
  Next();  // struct
  std::string name = ExpectIdentifier("a struct name");
  Type t;
  t.cls = TypeClass::Struct;
  t.name = name;
  Expect("{");
  while (!Accept("}")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated struct " + name);
    // Interpolation modifiers belong to the shader stage, not to the layout.
    while (Accept("linear") || Accept("centroid") || Accept("nointerpolation") || Accept("noperspective") ||
           Accept("sample")) {
    }
    const std::size_t typeToken = pos;
    Type memberType = ParseType(1);
    const bool oneToken = pos == typeToken + 1;
    bool varying = false;
    do {
      Field f;
      f.name = ExpectIdentifier("a member name");
      f.type = memberType;
      ParseArray(f.type);
      if (f.type.elements == kUnsized) Fail("member " + f.name + " of " + name + " needs an array size");
      if (!f.type.arrayDims.empty())
        Fail("member " + f.name + " of " + name + " is an array of arrays, which structs here cannot hold; write " +
             f.name + "[" + std::to_string(f.type.elements) + "] and index it as one array");
      while (Accept(":")) f.semantic = ExpectIdentifier("a semantic");
      varying = varying || IsVaryingSemantic(f.semantic);
      if (f.type.cls == TypeClass::Object && f.type.object != ObjectType::None)
        Fail("objects are not supported inside structs");
      t.fields.push_back(std::move(f));
    } while (Accept(","));
    const std::string carried = varying && oneToken ? CarriedBoolType(tokens[typeToken].text) : "";
    if (!carried.empty()) Rewrite(tokens[typeToken].begin, tokens[typeToken].end, carried);
    Expect(";");
  }
  out.structs[name] = t;
  // The globals block may be placed after the struct, so the struct must end first.
  structEnds[name] = Accept(";") ? tokens[pos - 1].end : Peek().begin;
}

void Parser::ParseFunction(const Type&, const std::string& name, std::size_t declBegin,
                           const std::string& attributes) {
  FunctionDecl f;
  f.name = name;
  f.attributes = attributes;
  f.returnType = Slice(declBegin, tokens[pos - 1].begin);  // up to the name
  Expect("(");
  while (!Peek().Is(")")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated parameter list of " + name);
    FunctionDecl::Param p;
    std::size_t begin = Peek().begin;
    int depth = 0;
    std::size_t carriedAt = std::string::npos, carriedLength = 0;
    std::string carried;
    while (!(depth == 0 && (Peek().Is(",") || Peek().Is(")")))) {
      const Token& t = Next();
      if (t.kind == TokenKind::End) Fail("unterminated parameter list of " + name);
      // The shader compiler stores an argument into a uniform parameter without converting
      // it (an int literal for a uint fails to optimise); uniform means nothing more than
      // constant to it, and entry points' uniform arguments are bound by the wrappers.
      if (t.Is("uniform") && depth == 0) {
        p.uniform = true;
        Rewrite(t.begin, t.end, "");
      }
      if (depth == 0 && Peek().kind == TokenKind::Identifier && !CarriedBoolType(t.text).empty()) {
        std::size_t at = pos + 1;  // past the name
        if (tokens[at].Is("[")) {
          while (tokens[at].kind != TokenKind::End && !tokens[at].Is("]")) ++at;
          if (tokens[at].Is("]")) ++at;
        }
        if (tokens[at].Is(":") && tokens[at + 1].kind == TokenKind::Identifier &&
            IsVaryingSemantic(tokens[at + 1].text)) {
          carried = CarriedBoolType(t.text);
          carriedAt = t.begin - begin;
          carriedLength = t.end - t.begin;
          Rewrite(t.begin, t.end, carried);
        }
      }
      if (depth == 0 && t.kind == TokenKind::Identifier && Peek().kind == TokenKind::Identifier &&
          (t.Is("sampler") || (t.text != "SamplerState" && LegacyObjectType(t.text) == ObjectType::SamplerState)))
        legacySamplerParams.push_back({out.functions.size(), f.params.size(), t.begin, t.end, std::string(t.text),
                                       std::string(Peek().text)});
      if (t.Is("(") || t.Is("<")) ++depth;
      if ((t.Is(")") || t.Is(">")) && depth > 0) --depth;
    }
    p.text = Slice(begin, tokens[pos - 1].end);
    if (carriedAt != std::string::npos) p.text.replace(carriedAt, carriedLength, carried);  // wrappers copy it
    f.params.push_back(std::move(p));
    Accept(",");
  }
  Expect(")");
  while (Accept(":")) f.semantic = ExpectIdentifier("a semantic");
  if (Peek().Is("{")) SkipGroup();
  else Expect(";");
  out.functions.push_back(std::move(f));
}

void Parser::ParseDeclaration(bool inCBuffer, int cbuffer) {
  std::size_t declBegin = Peek().begin;
  bool isStatic = false, isShared = false, isConst = false;
  std::string attributes;
  while (Peek().Is("[")) {
    std::size_t b = Peek().begin;
    SkipGroup();
    attributes += Slice(b, tokens[pos - 1].end);
  }
  std::size_t modifiersBegin = Peek().begin;
  for (;;) {
    if (Peek().Is("static")) isStatic = true;
    else if (Peek().Is("shared")) {
      isShared = true;
      Blank(Peek().begin, Peek().end);
    } else if (Peek().Is("const")) isConst = true;
    else if (Peek().Is("inline") || Peek().Is("groupshared") || Peek().Is("uniform") || Peek().Is("extern") ||
             Peek().Is("precise") || Peek().Is("nointerpolation") || Peek().Is("volatile")) {
    } else break;
    Next();
  }
  if (Peek().Is("technique10") || Peek().Is("technique11") || Peek().Is("technique")) {
    if (inCBuffer) Fail("technique inside a cbuffer");
    ParseTechnique();
    return;
  }
  if (Peek().Is("cbuffer") || Peek().Is("tbuffer")) {
    if (inCBuffer) Fail("nested cbuffer");
    ParseCBuffer(isShared, declBegin);
    return;
  }
  if (Peek().Is("struct") && !inCBuffer) {
    ParseStruct();
    return;
  }
  if (Peek().Is("typedef")) {
    while (!Peek().Is(";") && Peek().kind != TokenKind::End) Next();
    Expect(";");
    return;
  }
  if (Peek().Is("void")) {
    Next();
    std::string name = ExpectIdentifier("a function name");
    firstFunction = std::min(firstFunction, declBegin);
    ParseFunction(Type(), name, modifiersBegin, attributes);
    return;
  }
  std::size_t typeBegin = Peek().begin;
  Type base = ParseType(0);
  std::size_t typeEnd = tokens[pos - 1].end;
  const Token& nameTok = Peek();
  std::string firstName = ExpectIdentifier("a name");
  if (Peek().Is("(")) {
    if (inCBuffer) Fail("function inside a cbuffer", nameTok);
    firstFunction = std::min(firstFunction, declBegin);
    ParseFunction(base, firstName, modifiersBegin, attributes);
    return;
  }
  // A uniform of a numeric type is an effect variable; statics and constants are the
  // shader's own and stay as written.
  bool numeric = base.IsNumeric();
  bool effectVariable = !isStatic && !(isConst && !inCBuffer);
  bool objectDecl = base.cls == TypeClass::Object;
  if (objectDecl && inCBuffer) Fail("objects cannot be declared inside a cbuffer", nameTok);
  std::size_t declEnd = 0;
  bool first = true;
  std::vector<VariableDecl> declared;
  for (;;) {
    VariableDecl v;
    v.line = Peek().line;
    v.name = first ? firstName : ExpectIdentifier("a name");
    first = false;
    v.type = base;
    v.shared = isShared;
    ParseArray(v.type);
    if (objectDecl && v.type.elements == kUnsized) Fail("object array " + v.name + " needs a size", nameTok);
    if (objectDecl && !v.type.arrayDims.empty())
      Fail("object array " + v.name + " has more than one dimension; write " + v.name + "[" +
               std::to_string(v.type.elements) + "] and index it as one array",
           nameTok);
    std::string semanticText;
    while (Peek().Is(":")) {
      std::size_t colon = Peek().begin;
      Next();
      std::string s = ExpectIdentifier("a semantic");
      if ((s == "register" || s == "packoffset") && Peek().Is("(")) {
        const std::size_t open = Peek().end;
        SkipGroup();
        if (numeric && !inCBuffer) Blank(colon, tokens[pos - 1].end);  // not valid in the globals block
        if (s == "packoffset" && inCBuffer) v.packOffset = ParsePackOffset(Slice(open, tokens[pos - 1].begin), nameTok);
      } else {
        v.semantic = s;
        semanticText = " : " + s;
      }
    }
    if (numeric && effectVariable && inCBuffer && v.packOffset < 0) packInserts.push_back({v.name, tokens[pos - 1].end});
    v.annotations = ParseAnnotations();
    if (Peek().Is("=")) {
      std::size_t eq = Next().begin;
      if (objectDecl && (Peek().Is("sampler_state") || Peek().Is("{"))) {
        Accept("sampler_state");
        ParseStateBlock(v);
      } else if (objectDecl && (base.object == ObjectType::VertexShader || base.object == ObjectType::GeometryShader ||
                                base.object == ObjectType::PixelShader)) {
        v.shader = ParseShaderExpression();
      } else if (numeric || base.object == ObjectType::String) {
        if (!effectVariable) {
          // Keep the shader's own constants intact, and remember the value of those that
          // are plain numbers for the expressions that follow.
          const std::size_t start = pos;
          int depth = 0;
          while (!(depth == 0 && (Peek().Is(";") || Peek().Is(",")))) {
            const Token& t = Next();
            if (t.kind == TokenKind::End) Fail("unterminated declaration");
            if (t.Is("(") || t.Is("{")) ++depth;
            if (t.Is(")") || t.Is("}")) --depth;
          }
          if (isConst && v.type.cls != TypeClass::Struct) {
            const std::size_t end = pos;
            pos = start;
            try {
              std::vector<double> value = ParseExpression(0);
              if (pos == end) constants[v.name] = std::move(value);
            } catch (const ParseError&) {
              // Not a constant this parser can evaluate; the HLSL compiler still sees it.
            }
            pos = end;
          }
        } else {
          v.initializer = ParseValue(v.type);
          v.hasInitializer = true;
          v.type.elements = v.initializer.type.elements;
        }
      } else {
        Fail("cannot initialise a " + base.name, nameTok);
      }
      if (effectVariable || objectDecl) Blank(eq, tokens[pos - 1].end);
    } else if (objectDecl && Peek().Is("{")) {
      std::size_t b = Peek().begin;
      ParseStateBlock(v);
      Blank(b, tokens[pos - 1].end);
    }
    if (v.type.elements == kUnsized) {
      if (effectVariable && numeric) Fail("array " + v.name + " has no size and no initial value to give it one", nameTok);
      v.type.elements = 0;  // the shader's own: the HLSL compiler sizes it
    }
    if (numeric && effectVariable && !inCBuffer) {
      std::string arrayText;
      for (int n : v.type.arrayDims) arrayText += "[" + std::to_string(n) + "]";
      if (v.type.arrayDims.empty() && v.type.elements) arrayText = "[" + std::to_string(v.type.elements) + "]";
      globalsMembers.push_back({v.name, TypeText(typeBegin, typeEnd) + " " + v.name + arrayText + semanticText});
    }
    declared.push_back(std::move(v));
    if (!Accept(",")) break;
  }
  declEnd = Expect(";").end;
  if (numeric && effectVariable && !inCBuffer) {
    Blank(declBegin, declEnd);
    std::size_t at = declBegin;
    if (globalsInsert == std::string::npos) globalsInsert = at;
  }
  if (objectDecl && (base.object == ObjectType::String || base.object == ObjectType::BlendState ||
                     base.object == ObjectType::DepthStencilState || base.object == ObjectType::RasterizerState ||
                     base.object == ObjectType::VertexShader || base.object == ObjectType::GeometryShader ||
                     base.object == ObjectType::PixelShader)) {
    Blank(declBegin, declEnd);  // effect-only objects: nothing the HLSL compiler knows
  }
  if (objectDecl && (base.object == ObjectType::Texture || base.name == "sampler" ||
                     LegacyObjectType(base.name) != ObjectType::None)) {
    for (std::size_t i = 0; i < declared.size(); ++i)
      legacyObjects.push_back({declared[i].name, base.name, typeBegin, typeEnd, i == 0});
  }
  if (!effectVariable && !objectDecl) return;
  for (VariableDecl& v : declared) {
    if (out.FindVariable(v.name)) Fail("variable " + v.name + " declared twice", nameTok);
    if (numeric) {
      if (!effectVariable) continue;
      v.cbuffer = inCBuffer ? cbuffer : 0;
      out.cbuffers[static_cast<std::size_t>(v.cbuffer)].variables.push_back(static_cast<int>(out.variables.size()));
    }
    out.variables.push_back(std::move(v));
  }
}

void Parser::BuildHlsl() {
  std::string& h = out.hlsl;
  h = text;
  for (auto [b, e] : blanks)
    for (std::size_t i = b; i < e && i < h.size(); ++i)
      if (h[i] != '\n') h[i] = ' ';
  PlaceMembers();
  // Rewrites go last first, so that the positions of the earlier ones still hold.
  std::sort(rewrites.begin(), rewrites.end(), [](const Replacement& a, const Replacement& b) { return a.begin > b.begin; });
  std::size_t at = globalsInsert;
  if (globalsInsert != std::string::npos) {
    // The block must follow the declarations of the structs its members use.
    for (int index : out.cbuffers[0].variables) {
      const VariableDecl& v = out.variables[static_cast<std::size_t>(index)];
      if (v.type.cls == TypeClass::Struct) {
        auto it = structEnds.find(v.type.name);
        if (it != structEnds.end()) at = std::max(at, it->second);
      }
    }
  }
  for (const Replacement& r : rewrites) {
    if (r.end > h.size() || r.begin > r.end) continue;
    // What was blanked out (an effect variable's declaration, say) stays blank.
    if (std::any_of(blanks.begin(), blanks.end(), [&](const auto& b) { return b.first < r.end && r.begin < b.second; }))
      continue;
    h.replace(r.begin, r.end - r.begin, r.text);
    if (at != std::string::npos && at >= r.end) at = at + r.text.size() - (r.end - r.begin);
  }
  if (globalsInsert != std::string::npos) {
    const CBufferLayout layout = LayoutCBuffer(out, out.cbuffers[0]);
    std::string members;
    for (const auto& [name, declaration] : globalsMembers) {
      members += declaration;
      const std::vector<int>& indices = out.cbuffers[0].variables;
      for (std::size_t k = 0; k < indices.size(); ++k)
        if (out.variables[static_cast<std::size_t>(indices[k])].name == name)
          members += PackOffsetText(layout.variables[k].offset);
      members += "; ";
    }
    std::string block = std::string("cbuffer ") + kGlobalsBlockName + " { " + members + "}; ";
    for (char& c : block)
      if (c == '\n' || c == '\r') c = ' ';
    h.insert(std::min(at, h.size()), block);
  }
}

std::string Parser::TypeText(std::size_t begin, std::size_t end) const {
  std::string type = Slice(begin, end);
  const std::size_t unsignedAt = type.find("unsigned");
  if (unsignedAt != std::string::npos) {
    const std::size_t intAt = type.find("int", unsignedAt + 8);
    if (intAt != std::string::npos) type.replace(unsignedAt, intAt + 3 - unsignedAt, "uint");
  }
  return type;
}

void Parser::FindRewrites() {
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].kind == TokenKind::Identifier && tokens[i].Is("unsigned") && tokens[i + 1].Is("int") &&
        tokens[i].line == tokens[i + 1].line)
      Rewrite(tokens[i].begin, tokens[i + 1].end, "uint");
  }
}

void Parser::Run() {
  FindRewrites();
  CBufferDecl globals;
  globals.name = "$Globals";
  out.cbuffers.push_back(globals);
  while (Peek().kind != TokenKind::End) {
    if (Accept(";")) continue;
    ParseDeclaration(false, 0);
  }
  ResolveLegacy();
  BuildHlsl();
  out.lines = lexer.Lines();
}

}  // namespace detail


bool ParseEffect(std::string text, const std::string& fileName, EffectSyntax& out, std::string& error) {
  out = EffectSyntax();
  detail::Parser parser(text, fileName, out);
  try {
    parser.Run();
    return true;
  } catch (const detail::ParseError& e) {
    error = parser.Lines().Describe(e.line) + ": error: " + e.what();
    return false;
  }
}

}  // namespace platform::fx
