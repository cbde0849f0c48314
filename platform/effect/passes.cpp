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
  if (Peek().Is("CompileShader")) {
    Next();
    Expect("(");
    ref.profile = ExpectIdentifier("a shader profile");
    Expect(",");
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
    Expect(")");
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

PassDecl Parser::ParsePass() {
  PassDecl p;
  p.line = Expect("pass").line;
  if (Peek().kind == TokenKind::Identifier) p.name = std::string(Next().text);
  p.annotations = ParseAnnotations();
  Expect("{");
  while (!Accept("}")) {
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
      std::vector<double> f = ParseExpression(0);
      if (f.size() == 1) f.assign(4, f[0]);
      if (f.size() != 4) Fail("blend factor needs four components", call);
      for (int i = 0; i < 4; ++i) p.blendFactor[i] = static_cast<float>(f[static_cast<std::size_t>(i)]);
      Expect(",");
      std::vector<double> m = ParseExpression(0);
      if (m.size() != 1) Fail("sample mask must be a number", call);
      p.sampleMask = static_cast<std::uint32_t>(std::fmod(std::fabs(m[0]), 4294967296.0));
    } else if (name == "SetDepthStencilState") {
      p.depthSet = true;
      if (!Accept("NULL")) p.depthState = ExpectIdentifier("a depth-stencil state");
      Expect(",");
      std::vector<double> r = ParseExpression(0);
      if (r.size() != 1) Fail("stencil reference must be a number", call);
      p.stencilRef = static_cast<std::uint32_t>(std::fmod(std::fabs(r[0]), 4294967296.0));
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
