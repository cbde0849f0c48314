#include <cstring>
#include <set>

#include "platform/effect/parser.h"

// Direct3D 9 spellings that fx_4_0 files still carry and the HLSL compiler behind the
// layer does not take: texture and sampler types, a sampler block naming its texture,
// and the tex2D family, which samples through a sampler alone. Each becomes its
// Direct3D 10 form in the text the compiler reads; nothing here adds a line.

namespace platform::fx::detail {

namespace {

// A texture dimension: the object type, its HLSL name, and the coordinates it is read at.
struct Dimension {
  const char* suffix;  // as tex2D and sampler2D spell it
  ObjectType type;
  const char* typeName;
  const char* coordinate;  // the type of a coordinate
  const char* swizzle;     // a coordinate's part of a float4
};

const Dimension kDimensions[] = {
    {"1D", ObjectType::Texture1D, "Texture1D", "float", "x"},
    {"2D", ObjectType::Texture2D, "Texture2D", "float2", "xy"},
    {"3D", ObjectType::Texture3D, "Texture3D", "float3", "xyz"},
    {"CUBE", ObjectType::TextureCube, "TextureCube", "float3", "xyz"},
};

const Dimension* DimensionOf(ObjectType type) {
  for (const Dimension& d : kDimensions)
    if (d.type == type) return &d;
  return nullptr;
}

// The name of tex2Dlod and its kin split into dimension and variant ("", "lod", "bias",
// "proj", "grad"); false for any other name.
bool SplitSampleCall(std::string_view name, const Dimension** dimension, std::string* variant) {
  if (name.substr(0, 3) != "tex") return false;
  for (const Dimension& d : kDimensions) {
    const std::size_t n = std::strlen(d.suffix);
    if (name.substr(3, n) != d.suffix) continue;
    const std::string_view rest = name.substr(3 + n);
    if (rest.empty() || rest == "lod" || rest == "bias" || rest == "proj" || rest == "grad") {
      *dimension = &d;
      *variant = std::string(rest);
      return true;
    }
  }
  return false;
}

// The helper standing in for tex<dimension><variant>: the texture and the sampler first,
// then the call's own arguments.
std::string Helper(const Dimension& d, const std::string& variant) {
  const std::string name = std::string("neblu_tex") + d.suffix + variant;
  const std::string head = "float4 " + name + "(" + d.typeName + " t, SamplerState s, ";
  const std::string c = d.coordinate;
  const std::string xyz = std::string("c.") + d.swizzle;
  if (variant.empty())
    return head + c + " c) { return t.Sample(s, c); } " + head + c + " c, " + c + " x, " + c + " y) { return t.SampleGrad(s, c, x, y); } ";
  if (variant == "grad") return head + c + " c, " + c + " x, " + c + " y) { return t.SampleGrad(s, c, x, y); } ";
  if (variant == "lod") return head + "float4 c) { return t.SampleLevel(s, " + xyz + ", c.w); } ";
  if (variant == "bias") return head + "float4 c) { return t.SampleBias(s, " + xyz + ", c.w); } ";
  return head + "float4 c) { return t.Sample(s, " + xyz + " / c.w); } ";  // proj
}

// The dimension a Direct3D 9 type name with the prefix "texture" or "sampler" carries
// ("sampler2D", "textureCube"); null for any other name.
const Dimension* NamedDimension(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix) return nullptr;
  const std::string_view suffix = name.substr(prefix.size());
  for (const Dimension& d : kDimensions)
    if (suffix == d.suffix || (d.type == ObjectType::TextureCube && suffix == "Cube")) return &d;
  return nullptr;
}

}  // namespace

ObjectType LegacyObjectType(std::string_view name) {
  if (const Dimension* d = NamedDimension(name, "texture")) return d->type;
  return NamedDimension(name, "sampler") ? ObjectType::SamplerState : ObjectType::None;
}

bool Parser::SkipAngles(std::size_t& at) const {
  int depth = 0;
  for (;; ++at) {
    const Token& t = Peek(at);
    if (t.kind == TokenKind::End) return false;
    if (t.Is("<")) ++depth;
    if (t.Is(">") && --depth == 0) break;
  }
  ++at;
  return true;
}

bool Parser::SkipLegacyTechnique(const Token& keyword) {
  // technique T < annotations > { pass P < annotations > { Name = value; ...
  std::size_t at = 0;
  if (Peek(at).kind == TokenKind::Identifier) ++at;
  if (Peek(at).Is("<") && !SkipAngles(at)) return false;
  if (!Peek(at).Is("{") || !Peek(at + 1).Is("pass")) return false;
  at += 2;
  if (Peek(at).kind == TokenKind::Identifier && !Peek(at + 1).Is("=")) ++at;
  while (Peek(at).Is("<"))  // the pass's annotations
    if (!SkipAngles(at)) return false;
  if (!Peek(at).Is("{") || Peek(at + 1).kind != TokenKind::Identifier || !Peek(at + 2).Is("=")) return false;
  // A Direct3D 9 technique: the layer has nothing to run it with, and it must not stop
  // the file's technique10 blocks, which often carry the same name.
  while (!Peek().Is("{")) Next();
  SkipGroup();
  Blank(keyword.begin, tokens[pos - 1].end);
  return true;
}

void Parser::ResolveLegacy() {
  // Which texture each sampler block names, and what the samplers make of a texture
  // declared without a dimension.
  std::map<std::string, std::string> textureOf;
  std::map<std::string, ObjectType> samplerDimension;
  for (const LegacyObject& o : legacyObjects) {
    const VariableDecl* v = out.FindVariable(o.variable);
    if (!v || !v->type.IsSampler()) continue;
    for (const StateAssignment& a : v->state) {
      std::string upper = a.name;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      if (upper == "TEXTURE" && !a.identifier.empty()) textureOf[o.variable] = a.identifier;
    }
    if (const Dimension* d = NamedDimension(o.written, "sampler")) samplerDimension[o.variable] = d->type;
  }
  for (const LegacyObject& o : legacyObjects) {
    VariableDecl* v = nullptr;
    for (VariableDecl& candidate : out.variables)
      if (candidate.name == o.variable) v = &candidate;
    if (!v) continue;
    if (v->type.IsSampler()) {
      if (o.first) Rewrite(o.typeBegin, o.typeEnd, "SamplerState");
      continue;
    }
    ObjectType type = LegacyObjectType(o.written);
    if (type == ObjectType::None) {  // texture: as its samplers read it, else 2D
      type = ObjectType::Texture2D;
      for (const auto& [sampler, texture] : textureOf) {
        auto dimension = samplerDimension.find(sampler);
        if (texture == o.variable && dimension != samplerDimension.end()) type = dimension->second;
      }
    }
    const Dimension* d = DimensionOf(type);
    if (!d) continue;
    v->type.object = type;
    v->type.name = d->typeName;
    // texture a, b; is one type written once: the first variable's dimension decides it.
    if (o.first) Rewrite(o.typeBegin, o.typeEnd, d->typeName);
  }

  SplitSamplerParams(textureOf);

  // tex2D(s, uv) -> neblu_tex2D(texture of s, s, uv)
  std::set<std::string> helpers;
  std::string helperText;
  for (std::size_t i = 0; i + 3 < tokens.size(); ++i) {
    const Token& call = tokens[i];
    const Dimension* d = nullptr;
    std::string variant;
    if (call.kind != TokenKind::Identifier || !tokens[i + 1].Is("(") || !SplitSampleCall(call.text, &d, &variant)) continue;
    if (i > 0 && tokens[i - 1].Is(".")) continue;  // a member of that name
    const Token& sampler = tokens[i + 2];
    auto texture = textureOf.find(std::string(sampler.text));
    if (sampler.kind != TokenKind::Identifier || texture == textureOf.end())
      throw ParseError(std::string(call.text) + " reads through " + Describe(sampler) +
                           ", which is no sampler whose block names its texture (Texture = <name>)",
                       call.line);
    if (call.line != sampler.line) continue;  // a rewrite may not swallow a line break
    const std::string helper = std::string("neblu_tex") + d->suffix + variant;
    if (helpers.insert(helper).second) helperText += Helper(*d, variant);
    Rewrite(call.begin, sampler.end, helper + "(" + texture->second + ", " + std::string(sampler.text));
  }
  if (!helperText.empty()) {
    if (firstFunction == std::string::npos) throw ParseError("tex2D and its kin outside any function", 1);
    Rewrite(firstFunction, firstFunction, helperText);
  }
}

void Parser::SplitSamplerParams(std::map<std::string, std::string>& textureOf) {
  std::set<std::size_t> splitFunctions;
  // Last first, so that the parameter positions of earlier ones still hold.
  for (auto it = legacySamplerParams.rbegin(); it != legacySamplerParams.rend(); ++it) {
    const LegacySamplerParam& p = *it;
    if (p.function >= out.functions.size() || p.param >= out.functions[p.function].params.size()) continue;
    FunctionDecl& f = out.functions[p.function];
    const Dimension* d = NamedDimension(p.written, "sampler");
    if (!d) d = &kDimensions[1];  // plain "sampler": 2D
    const std::string texture = p.name + "_texture";
    const bool uniform = f.params[p.param].uniform;
    Rewrite(p.typeBegin, p.typeEnd, std::string(d->typeName) + " " + texture + ", " + (uniform ? "uniform " : "") + "SamplerState");
    FunctionDecl::Param& sampler = f.params[p.param];
    const std::size_t at = sampler.text.find(p.written);
    if (at != std::string::npos) sampler.text.replace(at, p.written.size(), "SamplerState");
    FunctionDecl::Param textureParam;
    textureParam.uniform = uniform;
    textureParam.text = std::string(uniform ? "uniform " : "") + d->typeName + " " + texture;
    f.params.insert(f.params.begin() + static_cast<std::ptrdiff_t>(p.param), textureParam);
    textureOf[p.name] = texture;
    splitFunctions.insert(p.function);
  }
  if (splitFunctions.empty()) return;
  // CompileShader(ps_4_0, PS(gSampler)) now binds the sampler's texture as well.
  auto passBoth = [&](ShaderRef& ref) {
    if (ref.args.empty()) return;
    std::vector<std::string> args;
    for (const std::string& arg : ref.args) {
      std::string word = arg;
      word.erase(0, word.find_first_not_of(" \t"));
      word.erase(word.find_last_not_of(" \t") + 1);
      auto texture = textureOf.find(word);
      if (texture != textureOf.end() && out.FindVariable(word)) args.push_back(texture->second);
      args.push_back(arg);
    }
    ref.args = std::move(args);
  };
  for (TechniqueDecl& t : out.techniques)
    for (PassDecl& pass : t.passes)
      for (ShaderRef* ref : {&pass.vs, &pass.gs, &pass.ps}) passBoth(*ref);
  for (VariableDecl& v : out.variables) passBoth(v.shader);
}

}  // namespace platform::fx::detail
