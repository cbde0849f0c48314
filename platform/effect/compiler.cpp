#include "platform/effect/compiler.h"

#include <shaderc/shaderc.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <sstream>

#include "platform/effect/cache.h"
#include "platform/paths.h"
#include "platform/effect/entry_wrappers.h"

namespace platform::fx {

namespace {

std::atomic<std::uint64_t> compileCount{0};

// The name the compiler reports errors against; its line numbers are those of the
// parser's text, which the line map turns back into file and line.
constexpr const char* kSourceTag = "fx-source";

// Bump when the options below or the text the parser produces change, so old cache
// entries are never used for new output.
constexpr const char* kCompilerVersion = "neblu-fx-4";

// Effect files written on Windows may say #include "inc\\common.fxh", and a backslash
// doubled as in a C string ("inc\\\\common.fxh") names the same file.
std::string NativePath(std::string path) {
  std::string out;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  return out;
}

std::string Directory(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool ReadFile(const std::string& path, std::string& bytes) {
  // A folder opens as a stream that reads as empty (#include "" would include nothing), and
  // a FIFO would block the compile.
  if (!IsRegularFile(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// `path` with each part that does not exist as written replaced by the one entry of its
// folder that matches it but for case: effects written where file names ignore case
// include "Common.fxh" as "common.fxh". Empty when nothing matches.
std::string FindIgnoringCase(const std::string& path) {
  std::error_code error;
  std::string found = !path.empty() && path[0] == '/' ? "/" : "";
  std::size_t begin = found.size();
  while (begin <= path.size()) {
    std::size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(begin, end - begin);
    begin = end + 1;
    if (part.empty()) continue;
    std::string next = found + part;
    if (!std::filesystem::exists(next, error)) {
      std::string match;
      for (const auto& entry : std::filesystem::directory_iterator(found.empty() ? "." : found, error)) {
        const std::string name = entry.path().filename().string();
        if (SameIgnoringCase(name, part)) {
          match = name;
          break;
        }
      }
      if (match.empty()) return std::string();
      next = found + match;
    }
    found = next + (end < path.size() ? "/" : "");
  }
  return found;
}

struct IncludeData {
  std::string name;
  std::string content;
};

// An include is looked for beside the file that includes it, then beside the effect
// being compiled (`user` points to that folder), each as written and then ignoring case.
shaderc_include_result* ResolveInclude(void* user, const char* requested, int, const char* requester, size_t) {
  auto* data = new IncludeData;
  const std::string path = NativePath(std::string(requested));
  std::vector<std::string> candidates;
  if (!path.empty() && path[0] == '/') {
    candidates.push_back(path);
  } else {
    candidates.push_back(Directory(requester ? NativePath(requester) : "") + path);
    if (user) candidates.push_back(*static_cast<const std::string*>(user) + path);
  }
  for (const std::string& candidate : candidates) {
    if (ReadFile(candidate, data->content)) {
      data->name = candidate;
      break;
    }
  }
  for (std::size_t i = 0; i < candidates.size() && data->name.empty(); ++i) {
    const std::string other = FindIgnoringCase(candidates[i]);
    if (!other.empty() && ReadFile(other, data->content)) data->name = other;
  }
  if (data->name.empty()) data->content = "cannot open include file " + candidates.front();  // the reason
  auto* result = new shaderc_include_result;
  result->source_name = data->name.c_str();
  result->source_name_length = data->name.size();
  result->content = data->content.c_str();
  result->content_length = data->content.size();
  result->user_data = data;
  return result;
}

void ReleaseInclude(void*, shaderc_include_result* result) {
  delete static_cast<IncludeData*>(result->user_data);
  delete result;
}

struct Compiler {
  shaderc_compiler_t compiler = shaderc_compiler_initialize();
  std::mutex mutex;  // the compiler object is not meant for concurrent use
  ~Compiler() { shaderc_compiler_release(compiler); }
};

Compiler& SharedCompiler() {
  static Compiler instance;
  return instance;
}

using OptionsPtr = std::unique_ptr<shaderc_compile_options, void (*)(shaderc_compile_options_t)>;

// `effectFolder`, when given, is where includes are looked for after the including file's
// folder; it must outlive the options.
OptionsPtr BaseOptions(const CompileOptions& options, const std::string* effectFolder = nullptr) {
  OptionsPtr o(shaderc_compile_options_initialize(), shaderc_compile_options_release);
  shaderc_compile_options_set_source_language(o.get(), shaderc_source_language_hlsl);
  shaderc_compile_options_set_target_env(o.get(), shaderc_target_env_opengl, shaderc_env_version_opengl_4_5);
  shaderc_compile_options_set_auto_bind_uniforms(o.get(), true);
  shaderc_compile_options_set_auto_map_locations(o.get(), true);
  shaderc_compile_options_set_hlsl_functionality1(o.get(), true);  // keeps semantics in the SPIR-V
  shaderc_compile_options_set_hlsl_offsets(o.get(), true);
  shaderc_compile_options_set_include_callbacks(o.get(), ResolveInclude, ReleaseInclude,
                                                const_cast<std::string*>(effectFolder));
  for (const auto& [name, value] : options.defines)
    shaderc_compile_options_add_macro_definition(o.get(), name.data(), name.size(), value.data(), value.size());
  return o;
}

// Compiler messages name the parser's text; point them at the effect's own files.
std::string MapMessages(const std::string& messages, const LineMap& lines) {
  std::string out;
  std::istringstream in(messages);
  std::string line;
  const std::string tag = std::string(kSourceTag) + ":";
  while (std::getline(in, line)) {
    if (line.compare(0, tag.size(), tag) == 0) {
      std::size_t colon = line.find(':', tag.size());
      int n = std::atoi(line.substr(tag.size(), colon - tag.size()).c_str());
      if (colon != std::string::npos) line = lines.Describe(n) + line.substr(colon);
    }
    if (!line.empty()) out += line + "\n";
  }
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// Entry points named in SPIR-V (OpEntryPoint is opcode 15).
std::vector<std::string> EntryPoints(const std::vector<std::uint32_t>& words) {
  std::vector<std::string> names;
  for (std::size_t i = 5; i < words.size();) {
    std::uint32_t count = words[i] >> 16, op = words[i] & 0xffff;
    if (count == 0 || i + count > words.size()) break;
    if (op == 15 && count > 3) {
      const char* s = reinterpret_cast<const char*>(&words[i + 3]);
      names.emplace_back(s, strnlen(s, (count - 3) * 4));
    }
    i += count;
  }
  return names;
}

bool CompileStage(const std::string& hlsl, const LineMap& lines, Stage stage, const std::string& entry,
                  const std::string& shownEntry, int declLine, const CompileOptions& options,
                  std::vector<std::uint32_t>& spirv, std::string& error) {
  std::string key;
  if (options.useCache) {
    std::string material = std::string(kCompilerVersion) + '\0' + StageName(stage) + '\0' + entry + '\0' + hlsl;
    for (const auto& [name, value] : options.defines) material += '\0' + name + '=' + value;
    key = ContentHash(material);
    if (CacheLoad(key, spirv)) return true;
  }
  shaderc_shader_kind kind = stage == Stage::Vertex     ? shaderc_vertex_shader
                             : stage == Stage::Geometry ? shaderc_geometry_shader
                                                        : shaderc_fragment_shader;
  OptionsPtr o = BaseOptions(options);
  Compiler& c = SharedCompiler();
  std::lock_guard<std::mutex> lock(c.mutex);
  ++compileCount;
  std::unique_ptr<shaderc_compilation_result, void (*)(shaderc_compilation_result_t)> r(
      shaderc_compile_into_spv(c.compiler, hlsl.data(), hlsl.size(), kind, kSourceTag, entry.c_str(), o.get()),
      shaderc_result_release);
  if (shaderc_result_get_compilation_status(r.get()) != shaderc_compilation_status_success) {
    error = MapMessages(shaderc_result_get_error_message(r.get()), lines);
    if (error.find("Entry point not found") != std::string::npos)
      error = lines.Describe(declLine) + ": error: entry point '" + shownEntry + "' not found";
    if (error.empty()) error = lines.Describe(declLine) + ": error: " + shownEntry + " failed to compile";
    return false;
  }
  const auto* bytes = reinterpret_cast<const std::uint32_t*>(shaderc_result_get_bytes(r.get()));
  spirv.assign(bytes, bytes + shaderc_result_get_length(r.get()) / 4);
  // The compiler answers an entry point that does not exist with an empty module.
  std::vector<std::string> entries = EntryPoints(spirv);
  if (entries.size() != 1 || entries[0] != entry) {
    error = lines.Describe(declLine) + ": error: entry point '" + shownEntry + "' not found";
    return false;
  }
  if (options.useCache) CacheStore(key, spirv);
  return true;
}

// The preprocessor says "file:12: error"; every other message of the layer says
// "file(12): error", the form editors and the engine's users already jump to.
std::string FileLineStyle(const std::string& messages) {
  std::string out;
  std::istringstream in(messages);
  std::string line;
  while (std::getline(in, line)) {
    std::size_t marker = line.find(": error:");
    std::size_t colon = marker == std::string::npos || marker == 0 ? std::string::npos : line.rfind(':', marker - 1);
    if (colon != std::string::npos && colon + 1 < marker &&
        line.find_first_not_of("0123456789", colon + 1) == marker)
      line = line.substr(0, colon) + "(" + line.substr(colon + 1, marker - colon - 1) + ")" + line.substr(marker);
    out += line + "\n";
  }
  return out;
}

bool Preprocess(const std::string& source, const std::string& name, const CompileOptions& options,
                std::string& text, std::string& error) {
  const std::string folder = Directory(NativePath(name));
  OptionsPtr o = BaseOptions(options, &folder);
  Compiler& c = SharedCompiler();
  std::lock_guard<std::mutex> lock(c.mutex);
  std::unique_ptr<shaderc_compilation_result, void (*)(shaderc_compilation_result_t)> r(
      shaderc_compile_into_preprocessed_text(c.compiler, source.data(), source.size(), shaderc_vertex_shader,
                                             name.c_str(), "main", o.get()),
      shaderc_result_release);
  if (shaderc_result_get_compilation_status(r.get()) != shaderc_compilation_status_success) {
    error = FileLineStyle(shaderc_result_get_error_message(r.get()));
    while (!error.empty() && error.back() == '\n') error.pop_back();
    if (error.empty()) error = name + ": error: the preprocessor failed without saying why";
    return false;
  }
  text.assign(shaderc_result_get_bytes(r.get()), shaderc_result_get_length(r.get()));
  return true;
}

// Marks the pass as unable to run, keeping the first reason.
void Refuse(CompiledPass& cp, const std::string& reason) {
  if (!cp.valid) return;
  cp.valid = false;
  cp.reason = reason;
}

}  // namespace

const ShaderRef* ResolveShaderRef(const EffectSyntax& syntax, const ShaderRef& ref, const ShaderRef** streamOut) {
  const ShaderRef* at = &ref;
  if (streamOut) *streamOut = nullptr;
  for (int depth = 0; depth < 8; ++depth) {
    if (streamOut && !*streamOut && at->streamOut) *streamOut = at;
    if (at->variable.empty()) return at;
    const VariableDecl* v = syntax.FindVariable(at->variable);
    if (!v || !v->shader.set) return nullptr;
    at = &v->shader;
  }
  return nullptr;
}

const char* StageName(Stage stage) {
  switch (stage) {
    case Stage::Vertex:
      return "vs";
    case Stage::Geometry:
      return "gs";
    case Stage::Pixel:
      return "ps";
  }
  return "?";
}

bool ProfileStage(const std::string& profile, Stage& stage) {
  if (profile.size() < 3 || profile[2] != '_') return false;
  std::string prefix = profile.substr(0, 2);
  if (prefix == "vs") stage = Stage::Vertex;
  else if (prefix == "gs") stage = Stage::Geometry;
  else if (prefix == "ps") stage = Stage::Pixel;
  else return false;
  return true;
}

bool ProfileSupported(const std::string& profile) {
  Stage stage;
  if (!ProfileStage(profile, stage)) return false;
  std::string model = profile.substr(3);
  return model == "4_0" || model == "4_1";
}

std::uint64_t HlslCompileCount() { return compileCount.load(); }

bool PlanEffectSource(const std::string& source, const std::string& name, const CompileOptions& options,
                      CompiledEffect& out, EffectPlan& plan, std::string& error) {
  plan = EffectPlan();
  out = CompiledEffect();
  out.path = name;
  std::string text;
  if (!Preprocess(source, name, options, text, error)) return false;
  if (!ParseEffect(std::move(text), name, out.syntax, error)) return false;
  const EffectSyntax& syntax = out.syntax;
  for (const CBufferDecl& cb : syntax.cbuffers) out.layouts.push_back(LayoutCBuffer(syntax, cb));

  std::string& hlsl = plan.hlsl;
  hlsl = syntax.hlsl;
  // Gather entry points first: wrappers for compile-time arguments extend the text, and
  // every stage must see the same text for the cache to share it.
  std::vector<PlannedShader>& pending = plan.shaders;
  for (const TechniqueDecl& t : syntax.techniques) {
    CompiledTechnique ct;
    for (const PassDecl& p : t.passes) {
      CompiledPass cp;
      const ShaderRef* refs[kStageCount] = {&p.vs, &p.gs, &p.ps};
      for (int s = 0; s < kStageCount; ++s) {
        if (!refs[s]->set || refs[s]->null) continue;
        const ShaderRef* streamOut = nullptr;
        const ShaderRef* ref = ResolveShaderRef(syntax, *refs[s], &streamOut);
        if (!ref) {
          error = syntax.lines.Describe(refs[s]->line) + ": error: unknown shader '" + refs[s]->variable + "'";
          return false;
        }
        if (ref->null) continue;  // a shader variable set to NULL
        Stage stage;
        const bool known = ProfileSupported(ref->profile) && ProfileStage(ref->profile, stage);
        if (streamOut && known) {
          std::string why;
          if (!ParseStreamOutDeclaration(streamOut->streamOutDeclaration, cp.streamOut, why)) {
            error = syntax.lines.Describe(streamOut->line) + ": error: stream output declaration: " + why;
            return false;
          }
          cp.streamsOut = true;
          if (s != static_cast<int>(Stage::Geometry)) {
            Refuse(cp, "pass " + p.name + ": ConstructGSWithSO is given where a geometry shader is not set");
          } else if (streamOut->moreStreams) {
            Refuse(cp, "pass " + p.name + ": stream output to more than one stream has no form here");
          } else if (stage == Stage::Vertex) {
            continue;  // the vertex stage's own outputs are streamed; there is no geometry stage
          }
        }
        if (!known || static_cast<int>(stage) != s) {
          Refuse(cp, "pass " + p.name + ": profile " + ref->profile + " cannot run here");
          continue;
        }
        const bool clipInputs = stage == Stage::Geometry && TakesClipDistances(syntax, ref->entry);
        int found = -1;
        for (std::size_t k = 0; k < pending.size(); ++k)
          if (pending[k].stage == stage && pending[k].ref->entry == ref->entry && pending[k].ref->args == ref->args)
            found = static_cast<int>(k);
        if (found < 0) {
          PlannedShader pd{ref, stage, ""};
          const int index = static_cast<int>(pending.size());
          if (clipInputs && !WrapClipDistanceInputs(syntax, *ref, index, hlsl, pd.entry)) {
            // The HLSL compiler here crashes on such a shader rather than refusing it.
            Refuse(cp, "pass " + p.name + ": geometry shader " + ref->entry +
                           " takes clip or cull distances in a form the shader compiler here cannot build");
            continue;
          }
          if (!clipInputs && !WrapEntry(syntax, *ref, index, hlsl, pd.entry, error)) return false;
          found = static_cast<int>(pending.size());
          pending.push_back(pd);
        }
        cp.shaders[s] = found;
      }
      if (cp.shaders[0] < 0) Refuse(cp, "pass " + p.name + " has no vertex shader");
      if (!cp.valid && ct.valid) {
        ct.valid = false;
        ct.reason = cp.reason;
      }
      ct.passes.push_back(cp);
    }
    out.techniques.push_back(ct);
  }
  return true;
}

namespace {

// The HLSL compiler resolves the stream Append calls of every function in the text, not
// only of the entry point's, and crashes when two geometry shaders append different
// vertex types. Each stage is therefore compiled with the bodies of the functions that
// take a stream emptied, but for those the entry point reaches (the helpers a geometry
// shader hands its stream to): blanks in place of their text, so lines keep their numbers.

// The bodies of the definitions of `name` in `text`, as [open brace, close brace].
std::vector<std::pair<std::size_t, std::size_t>> BodiesOf(const std::string& text, const std::string& name) {
  std::vector<std::pair<std::size_t, std::size_t>> bodies;
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const bool wordStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_');
    std::size_t i = at + name.size();
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (!wordStart || i >= text.size() || text[i] != '(') continue;
    // The parameter list, then a body (a call or a declaration has none).
    int depth = 0;
    for (; i < text.size(); ++i) {
      if (text[i] == '(') ++depth;
      if (text[i] == ')' && --depth == 0) break;
    }
    std::size_t open = text.find_first_not_of(" \t\r\n", i + 1);
    if (open != std::string::npos && text[open] == ':') open = text.find_first_of("{;", open);
    if (open == std::string::npos || text[open] != '{') continue;
    depth = 0;
    std::size_t close = open;
    for (; close < text.size(); ++close) {
      if (text[close] == '{') ++depth;
      if (text[close] == '}' && --depth == 0) break;
    }
    bodies.push_back({open, std::min(close, text.size() - 1)});
  }
  return bodies;
}

bool NamesWord(const std::string& text, std::size_t begin, std::size_t end, const std::string& word) {
  for (std::size_t at = text.find(word, begin); at != std::string::npos && at + word.size() <= end;
       at = text.find(word, at + 1)) {
    const bool before = at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_');
    const std::size_t after = at + word.size();
    if (before && (after >= text.size() || !(std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '_')))
      return true;
  }
  return false;
}

std::string WithoutOtherStreamBodies(const std::string& hlsl, const EffectSyntax& syntax, const std::string& keep) {
  std::vector<std::string> streaming;
  for (const FunctionDecl& f : syntax.functions) {
    bool streams = false;
    for (const FunctionDecl::Param& p : f.params) streams = streams || TakesStreamObject(p.text);
    if (streams && std::find(streaming.begin(), streaming.end(), f.name) == streaming.end()) streaming.push_back(f.name);
  }
  if (streaming.empty()) return hlsl;
  // What the entry point reaches, through the bodies of what it reaches.
  std::vector<std::string> reached = {keep}, pending = {keep};
  while (!pending.empty() && reached.size() <= syntax.functions.size()) {
    const std::string name = pending.back();
    pending.pop_back();
    for (auto [open, close] : BodiesOf(hlsl, name))
      for (const std::string& other : streaming)
        if (std::find(reached.begin(), reached.end(), other) == reached.end() && NamesWord(hlsl, open, close, other)) {
          reached.push_back(other);
          pending.push_back(other);
        }
  }
  std::string text = hlsl;
  for (const std::string& name : streaming) {
    if (std::find(reached.begin(), reached.end(), name) != reached.end()) continue;
    for (auto [open, close] : BodiesOf(hlsl, name))
      for (std::size_t j = open + 1; j < close; ++j)
        if (text[j] != '\n') text[j] = ' ';
  }
  return text;
}

}  // namespace

bool CompileEffectSource(const std::string& source, const std::string& name, const CompileOptions& options,
                         CompiledEffect& out, std::string& error) {
  EffectPlan plan;
  if (!PlanEffectSource(source, name, options, out, plan, error)) return false;
  for (const PlannedShader& pd : plan.shaders) {
    ShaderBinary b;
    b.stage = pd.stage;
    b.entry = pd.ref->entry;
    b.profile = pd.ref->profile;
    b.args = pd.ref->args;
    const std::string hlsl = WithoutOtherStreamBodies(plan.hlsl, out.syntax, pd.ref->entry);
    if (!CompileStage(hlsl, out.syntax.lines, pd.stage, pd.entry, pd.ref->entry, pd.ref->line, options, b.spirv,
                      error)) {
      return false;
    }
    out.shaders.push_back(std::move(b));
  }
  return true;
}

bool CompileEffectFile(const std::string& path, const CompileOptions& options, CompiledEffect& out,
                       std::string& error) {
  std::string native = NativePath(path);
  std::string source;
  if (!ReadFile(native, source)) {
    error = native + ": error: cannot open file";
    return false;
  }
  return CompileEffectSource(source, native, options, out, error);
}

}  // namespace platform::fx
