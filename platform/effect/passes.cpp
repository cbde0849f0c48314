#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/effect/parser.h"

// State blocks and technique/pass syntax.

namespace platform::fx::detail {

void Parser::ParseStateBlock(VariableDecl& v) {
  Expect("{");
  while (!Accept("}")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated state block " + v.name);
    StateAssignment a;
    a.line = Peek().line;
    a.name = ExpectIdentifier("a state name");
    if (Accept("[")) {
      const Token& n = Next();
      if (n.kind != TokenKind::Number) Fail("expected an index", n);
      a.index = std::atoi(std::string(n.text).c_str());
      if (a.index < 0 || a.index > 7) Fail("state index out of range", n);
      Expect("]");
    }
    Expect("=");
    if (a.name == "Texture" || a.name == "texture") {  // Texture = <t>, (t) or t
      const bool angle = Accept("<"), round = !angle && Accept("(");
      a.identifier = ExpectIdentifier("a texture");
      if (angle) Expect(">");
      if (round) Expect(")");
      Expect(";");
      v.state.push_back(std::move(a));
      continue;
    }
    if (Peek().kind == TokenKind::Identifier && !Peek(1).Is("(") && !Peek().Is("true") && !Peek().Is("false") &&
        !Peek().Is("TRUE") && !Peek().Is("FALSE")) {
      a.identifier = std::string(Next().text);
    } else if (Peek().Is("true") || Peek().Is("TRUE") || Peek().Is("false") || Peek().Is("FALSE")) {
      a.identifier = Peek().Is("true") || Peek().Is("TRUE") ? "TRUE" : "FALSE";
      Next();
    } else {
      a.numbers = ParseExpression(0);
    }
    Expect(";");
    v.state.push_back(std::move(a));
  }
}

ShaderRef Parser::ParseShaderExpression() {
  ShaderRef ref;
  ref.set = true;
  ref.line = Peek().line;
  // "No shader" is also written 0.
  const bool zero = Peek().kind == TokenKind::Number && Peek().text == "0";
  if (Accept("NULL") || Accept("null") || zero) {
    if (zero) Next();
    ref.null = true;
    return ref;
  }
  // The Direct3D 9 form, which fx_4_0 also reads: compile vs_4_0 VS(args).
  const bool compile = Peek().Is("compile");
  if (compile || Peek().Is("CompileShader")) {
    Next();
    if (!compile) Expect("(");
    ref.profile = ExpectIdentifier("a shader profile");
    if (!compile) Expect(",");
    ref.entry = ExpectIdentifier("an entry point");
    Expect("(");
    while (!Peek().Is(")")) {
      if (Peek().kind == TokenKind::End) Fail("unterminated CompileShader");
      std::size_t begin = Peek().begin;
      int depth = 0;
      while (!(depth == 0 && (Peek().Is(",") || Peek().Is(")")))) {
        const Token& t = Next();
        if (t.kind == TokenKind::End) Fail("unterminated CompileShader");
        if (t.Is("(")) ++depth;
        if (t.Is(")")) --depth;
      }
      ref.args.push_back(Slice(begin, tokens[pos - 1].end));
      Accept(",");
    }
    Expect(")");
    if (!compile) Expect(")");
    return ref;
  }
  if (Peek().Is("ConstructGSWithSO")) {
    const Token& call = Next();
    Expect("(");
    if (Peek().Is("ConstructGSWithSO")) Fail("ConstructGSWithSO inside ConstructGSWithSO", call);
    ShaderRef inner = ParseShaderExpression();
    if (inner.null) Fail("ConstructGSWithSO needs a shader", call);
    inner.line = ref.line;
    inner.streamOut = true;
    Expect(",");
    const Token& declaration = Next();
    if (declaration.kind != TokenKind::String)
      Fail("expected the stream output declaration but found " + Describe(declaration), declaration);
    inner.streamOutDeclaration = std::string(declaration.text);
    while (Peek().kind == TokenKind::String) inner.streamOutDeclaration += Next().text;
    // The later form: a declaration per stream and the stream to rasterize.
    while (Accept(",")) {
      const Token& more = Next();
      if (more.kind == TokenKind::String && !more.text.empty()) inner.moreStreams = true;
      else if (more.kind != TokenKind::String && more.kind != TokenKind::Number && more.kind != TokenKind::Identifier)
        Fail("expected a stream output declaration but found " + Describe(more), more);
    }
    Expect(")");
    return inner;
  }
  ref.variable = ExpectIdentifier("a shader");
  return ref;
}

std::string Parser::ParseStateVariable(const char* what, bool float4) {
  const Token& t = Peek();
  if (t.kind != TokenKind::Identifier || !(Peek(1).Is(",") || Peek(1).Is(")")) ||
      constants.count(std::string(t.text)) || t.Is("true") || t.Is("TRUE") || t.Is("false") || t.Is("FALSE")) {
    return {};
  }
  const VariableDecl* found = nullptr;
  for (const VariableDecl& v : out.variables)
    if (v.name == t.text) found = &v;
  const std::string wanted = float4 ? "a float4" : "an int or uint";
  if (!found) Fail(std::string(what) + " '" + std::string(t.text) + "' is not a declared variable: write " + wanted +
                   " variable declared before the technique, or a value", t);
  const Type& type = found->type;
  const bool fits = found->cbuffer >= 0 && type.elements == 0 &&
                    (float4 ? type.cls == TypeClass::Vector && type.cols == 4 && type.scalar == ScalarType::Float
                            : type.cls == TypeClass::Scalar &&
                                  (type.scalar == ScalarType::Int || type.scalar == ScalarType::Uint));
  if (!fits) Fail(std::string(what) + " '" + found->name + "' is a " + type.name + ": write " + wanted + " variable",
                  t);
  Next();
  return found->name;
}

PassDecl Parser::ParsePass() {
  PassDecl p;
  p.line = Expect("pass").line;
  if (Peek().kind == TokenKind::Identifier) p.name = std::string(Next().text);
  p.annotations = ParseAnnotations();
  Expect("{");
  while (!Accept("}")) {
    if (Peek().kind == TokenKind::Identifier && (Peek(1).Is("=") || Peek(1).Is("["))) {
      ParsePassAssignment(p);
      continue;
    }
    const Token& call = Peek();
    std::string name = ExpectIdentifier("a pass statement");
    Expect("(");
    if (name == "SetVertexShader" || name == "SetGeometryShader" || name == "SetPixelShader") {
      ShaderRef ref = ParseShaderExpression();
      (name == "SetVertexShader" ? p.vs : name == "SetGeometryShader" ? p.gs : p.ps) = ref;
    } else if (name == "SetHullShader" || name == "SetDomainShader" || name == "SetComputeShader") {
      ShaderRef ref = ParseShaderExpression();
      // Stages Direct3D 10 does not have; a pass that sets one cannot run here.
      if (!ref.null) {
        p.vs.set = true;
        p.vs.null = false;
        p.vs.profile = ref.profile.empty() ? "unsupported" : ref.profile;
        p.vs.entry = ref.entry;
      }
    } else if (name == "SetBlendState") {
      p.blendSet = true;
      if (!Accept("NULL")) p.blendState = ExpectIdentifier("a blend state");
      Expect(",");
      p.blendFactorVariable = ParseStateVariable("blend factor", true);
      if (p.blendFactorVariable.empty()) {
        std::vector<double> f = ParseExpression(0);
        if (f.size() == 1) f.assign(4, f[0]);
        if (f.size() != 4) Fail("blend factor needs four components", call);
        for (int i = 0; i < 4; ++i) p.blendFactor[i] = static_cast<float>(f[static_cast<std::size_t>(i)]);
      }
      Expect(",");
      p.sampleMaskVariable = ParseStateVariable("sample mask", false);
      if (p.sampleMaskVariable.empty()) {
        std::vector<double> m = ParseExpression(0);
        if (m.size() != 1) Fail("sample mask must be a number", call);
        p.sampleMask = static_cast<std::uint32_t>(std::fmod(std::fabs(m[0]), 4294967296.0));
      }
    } else if (name == "SetDepthStencilState") {
      p.depthSet = true;
      if (!Accept("NULL")) p.depthState = ExpectIdentifier("a depth-stencil state");
      Expect(",");
      p.stencilRefVariable = ParseStateVariable("stencil reference", false);
      if (p.stencilRefVariable.empty()) {
        std::vector<double> r = ParseExpression(0);
        if (r.size() != 1) Fail("stencil reference must be a number", call);
        p.stencilRef = static_cast<std::uint32_t>(std::fmod(std::fabs(r[0]), 4294967296.0));
      }
    } else if (name == "SetRasterizerState") {
      p.rasterSet = true;
      if (!Accept("NULL")) p.rasterState = ExpectIdentifier("a rasterizer state");
    } else {
      Fail("unknown pass statement '" + name + "'", call);
    }
    Expect(")");
    Expect(";");
  }
  return p;
}

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// Direct3D 9 render states a pass of theirs sets one by one, by the state object of ours
// that holds each; fx_4_0 takes none of them in a pass.
const char* StateObjectOf(std::string_view state) {
  static const char* const rasterizer[] = {"CullMode", "FillMode", "DepthBias", "SlopeScaleDepthBias",
                                           "ScissorTestEnable", "MultiSampleAntialias", "AntialiasedLineEnable",
                                           "FrontCounterClockwise", "DepthBiasClamp", "DepthClipEnable",
                                           "ScissorEnable", "MultisampleEnable"};
  static const char* const depth[] = {"ZEnable", "ZWriteEnable", "ZFunc", "StencilEnable", "StencilFunc",
                                      "StencilRef", "StencilMask", "StencilWriteMask", "StencilFail",
                                      "StencilZFail", "StencilPass", "DepthEnable", "DepthWriteMask", "DepthFunc",
                                      "StencilReadMask", "TwoSidedStencilMode"};
  static const char* const blend[] = {"AlphaBlendEnable", "SrcBlend", "DestBlend", "BlendOp", "SrcBlendAlpha",
                                      "DestBlendAlpha", "BlendOpAlpha", "SeparateAlphaBlendEnable", "ColorWriteEnable",
                                      "BlendEnable", "RenderTargetWriteMask", "AlphaToCoverageEnable", "BlendFactor",
                                      "AlphaTestEnable", "AlphaFunc", "AlphaRef"};
  for (const char* n : rasterizer)
    if (SameIgnoringCase(state, n)) return "RasterizerState";
  for (const char* n : depth)
    if (SameIgnoringCase(state, n)) return "DepthStencilState";
  for (const char* n : blend)
    if (SameIgnoringCase(state, n)) return "BlendState";
  return nullptr;
}

}  // namespace

void Parser::ParsePassAssignment(PassDecl& p) {
  // The pass states fx_4_0 takes as assignments: the shaders, the three state objects and
  // the pass's own arguments to them, each the same as its Set...() call.
  const Token& at = Next();
  const std::string name(at.text);
  if (Peek().Is("[")) Fail("'" + name + "[...]' is not a pass state", at);
  Expect("=");
  auto stateName = [&](const char* what) {
    const bool round = Accept("(");  // BlendState = (NoBlend);
    std::string state;
    if (!Accept("NULL") && !Accept("null")) state = ExpectIdentifier(what);
    if (round) Expect(")");
    return state;
  };
  auto number = [&](const char* what) {
    std::vector<double> v = ParseExpression(0);
    if (v.size() != 1) Fail(std::string(what) + " must be a number", at);
    return static_cast<std::uint32_t>(std::fmod(std::fabs(v[0]), 4294967296.0));
  };
  auto shader = [&] {
    const bool round = Accept("(");  // VertexShader = (vsMain);
    ShaderRef ref = ParseShaderExpression();
    if (round) Expect(")");
    return ref;
  };
  if (SameIgnoringCase(name, "VertexShader")) {
    p.vs = shader();
  } else if (SameIgnoringCase(name, "GeometryShader")) {
    p.gs = shader();
  } else if (SameIgnoringCase(name, "PixelShader")) {
    p.ps = shader();
  } else if (SameIgnoringCase(name, "BlendState")) {
    p.blendSet = true;
    p.blendState = stateName("a blend state");
  } else if (SameIgnoringCase(name, "DepthStencilState")) {
    p.depthSet = true;
    p.depthState = stateName("a depth-stencil state");
  } else if (SameIgnoringCase(name, "RasterizerState")) {
    p.rasterSet = true;
    p.rasterState = stateName("a rasterizer state");
  } else if (SameIgnoringCase(name, "DS_StencilRef")) {
    p.stencilRef = number("DS_StencilRef");
  } else if (SameIgnoringCase(name, "AB_SampleMask")) {
    p.sampleMask = number("AB_SampleMask");
  } else if (SameIgnoringCase(name, "AB_BlendFactor")) {
    std::vector<double> f = ParseExpression(0);
    if (f.size() == 1) f.assign(4, f[0]);
    if (f.size() != 4) Fail("AB_BlendFactor needs four components", at);
    for (int i = 0; i < 4; ++i) p.blendFactor[i] = static_cast<float>(f[static_cast<std::size_t>(i)]);
  } else if (const char* object = StateObjectOf(name)) {
    Fail("'" + name + " = ...' is a Direct3D 9 render state, which a technique10 pass does not take; declare a " +
             object + " with it (" + object + " S { ... };) and write Set" + object + "(S" +
             (std::string(object) == "BlendState" ? ", float4(0, 0, 0, 0), 0xFFFFFFFF" :
              std::string(object) == "DepthStencilState" ? ", 0" : "") +
             "); in the pass",
         at);
  } else {
    Fail("unknown pass state '" + name + "'", at);
  }
  Expect(";");
}

void Parser::ParseTechnique() {
  const Token& kw = Next();
  if (kw.Is("technique") && SkipLegacyTechnique(kw)) return;
  TechniqueDecl t;
  t.line = kw.line;
  if (Peek().kind == TokenKind::Identifier) t.name = std::string(Next().text);
  t.annotations = ParseAnnotations();
  Expect("{");
  while (!Accept("}")) {
    if (Peek().kind == TokenKind::End) Fail("unterminated technique " + t.name, kw);
    t.passes.push_back(ParsePass());
  }
  Blank(kw.begin, tokens[pos - 1].end);
  for (const TechniqueDecl& other : out.techniques)
    if (!t.name.empty() && other.name == t.name) Fail("technique " + t.name + " declared twice", kw);
  out.techniques.push_back(std::move(t));
}

}  // namespace platform::fx::detail
