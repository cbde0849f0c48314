// fxcheck FILE [--pool POOLFILE] [-D NAME[=VALUE]]...
// Compiles an effect file the way the engine does (as a child of the pool when one is
// given) and prints what it declares as one JSON object. A compile error goes to
// standard error with its file and line, and the exit status is 1.

#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/effect/compiler.h"
#include "platform/effect/link.h"

using namespace platform::fx;

namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') out += '\\', out += static_cast<char>(c);
    else if (c == '\n') out += "\\n";
    else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string Number(const Type& type, std::uint32_t bits) {
  switch (type.scalar) {
    case ScalarType::Bool:
      return bits ? "true" : "false";
    case ScalarType::Int:
      return std::to_string(static_cast<std::int32_t>(bits));
    case ScalarType::Uint:
      return std::to_string(bits);
    case ScalarType::Float: {
      float f;
      std::memcpy(&f, &bits, 4);
      std::ostringstream s;
      s.precision(9);
      s << f;
      return s.str();
    }
  }
  return "null";
}

std::string ValueJson(const Value& v) {
  if (v.type.object == ObjectType::String) return Quote(v.text);
  if (v.data.size() == 1) return Number(v.type, v.data[0]);
  std::string out = "[";
  for (std::size_t i = 0; i < v.data.size(); ++i) out += (i ? ", " : "") + Number(v.type, v.data[i]);
  return out + "]";
}

std::string AnnotationsJson(const std::vector<Annotation>& annotations) {
  std::string out = "{";
  for (std::size_t i = 0; i < annotations.size(); ++i)
    out += (i ? ", " : "") + Quote(annotations[i].name) + ": " + ValueJson(annotations[i].value);
  return out + "}";
}

std::string Nullable(const std::string& s) { return s.empty() ? "null" : Quote(s); }

bool CheckShared(const CompiledEffect& child, const CompiledEffect& pool, std::string& error) {
  for (const VariableDecl& v : child.syntax.variables) {
    bool shared = v.shared || (v.cbuffer >= 0 && child.syntax.cbuffers[static_cast<std::size_t>(v.cbuffer)].shared);
    if (!shared) continue;
    const VariableDecl* p = pool.syntax.FindVariable(v.name);
    if (!p || p->type.name != v.type.name || p->type.elements != v.type.elements) {
      error = child.syntax.lines.Describe(v.line) + ": error: shared variable " + v.name +
              (p ? " does not match the pool's declaration" : " is not declared by the pool");
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, poolFile;
  CompileOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << "usage: fxcheck FILE [--pool POOLFILE] [-D NAME[=VALUE]]...\n"
                   "Compiles an fx_4_0 effect file as the engine does and prints its techniques (with\n"
                   "passes, shaders, stream output and annotations) and variables (with cbuffer offsets\n"
                   "and sizes) as one JSON object. Errors go to standard error with file and line.\n";
      return 0;
    }
    if (a == "--pool" && i + 1 < argc) {
      poolFile = argv[++i];
    } else if (a == "-D" && i + 1 < argc) {
      std::string d = argv[++i];
      std::size_t eq = d.find('=');
      options.defines.push_back({d.substr(0, eq), eq == std::string::npos ? "1" : d.substr(eq + 1)});
    } else if (file.empty() && !a.empty() && a[0] != '-') {
      file = a;
    } else {
      std::cerr << "usage: fxcheck FILE [--pool POOLFILE] [-D NAME[=VALUE]]...\n";
      return 2;
    }
  }
  if (file.empty()) {
    std::cerr << "usage: fxcheck FILE [--pool POOLFILE] [-D NAME[=VALUE]]...\n";
    return 2;
  }
  std::string error;
  CompiledEffect pool, effect;
  if (!poolFile.empty() && !CompileEffectFile(poolFile, options, pool, error)) {
    std::cerr << error << "\n";
    return 1;
  }
  if (!CompileEffectFile(file, options, effect, error) || (!poolFile.empty() && !CheckShared(effect, pool, error))) {
    std::cerr << error << "\n";
    return 1;
  }
  const EffectSyntax& s = effect.syntax;
  std::ostringstream out;
  out << "{\"techniques\": [";
  for (std::size_t t = 0; t < s.techniques.size(); ++t) {
    const TechniqueDecl& td = s.techniques[t];
    const CompiledTechnique& ct = effect.techniques[t];
    std::string passes;
    bool valid = ct.valid;
    for (std::size_t p = 0; p < td.passes.size(); ++p) {
      const PassDecl& pd = td.passes[p];
      const CompiledPass& cp = ct.passes[p];
      PassProgram program;
      bool runnable = false;
      std::string reason;
      if (!LinkPass(effect, cp, program, runnable, reason, error)) {
        std::cerr << error << "\n";
        return 1;
      }
      if (!runnable) {
        valid = false;
        std::cerr << file << ": technique " << td.name << " cannot run: " << reason << "\n";
      }
      const ShaderRef* refs[kStageCount] = {&pd.vs, &pd.gs, &pd.ps};
      std::string names[kStageCount], profiles, streamOutput = "null";
      for (int k = 0; k < kStageCount; ++k) {
        const ShaderRef* streamOut = nullptr;
        const ShaderRef* r = ResolveShaderRef(s, *refs[k], &streamOut);
        if (streamOut) streamOutput = Quote(streamOut->streamOutDeclaration);
        if (!r || !r->set || r->null) continue;
        names[k] = r->entry;
        profiles += std::string(profiles.empty() ? "" : ", ") + Quote(r->profile);
      }
      std::string inputs;
      for (const ReflectedVarying& v : program.vertexInputs)
        inputs += std::string(inputs.empty() ? "" : ", ") + "{\"semantic\": " + Quote(v.semantic) +
                  ", \"index\": " + std::to_string(v.index) + "}";
      passes += std::string(p ? ", " : "") + "{\"name\": " + Quote(pd.name) +
                ", \"annotations\": " + AnnotationsJson(pd.annotations) + ", \"vs\": " + Nullable(names[0]) +
                ", \"gs\": " + Nullable(names[1]) + ", \"ps\": " + Nullable(names[2]) + ", \"profiles\": [" +
                profiles + "], \"streamOutput\": " + streamOutput + ", \"inputs\": [" + inputs + "]}";
    }
    out << (t ? ", " : "") << "{\"name\": " << Quote(td.name) << ", \"valid\": " << (valid ? "true" : "false")
        << ", \"annotations\": " << AnnotationsJson(td.annotations) << ", \"passes\": [" << passes << "]}";
  }
  out << "], \"variables\": [";
  bool first = true;
  for (std::size_t c = 0; c < s.cbuffers.size(); ++c) {
    const CBufferDecl& cb = s.cbuffers[c];
    for (std::size_t k = 0; k < cb.variables.size(); ++k) {
      const VariableDecl& v = s.variables[static_cast<std::size_t>(cb.variables[k])];
      const Placement& p = effect.layouts[c].variables[k];
      std::string type = v.type.name + (v.type.elements ? "[" + std::to_string(v.type.elements) + "]" : "");
      out << (first ? "" : ", ") << "{\"name\": " << Quote(v.name) << ", \"type\": " << Quote(type)
          << ", \"semantic\": " << Nullable(v.semantic) << ", \"annotations\": " << AnnotationsJson(v.annotations)
          << ", \"cbuffer\": " << Quote(cb.name) << ", \"offset\": " << p.offset << ", \"size\": " << p.size
          << ", \"shared\": " << (v.shared || cb.shared ? "true" : "false") << "}";
      first = false;
    }
  }
  for (const VariableDecl& v : s.variables) {
    if (v.cbuffer >= 0) continue;
    std::string type = v.type.name + (v.type.elements ? "[" + std::to_string(v.type.elements) + "]" : "");
    out << (first ? "" : ", ") << "{\"name\": " << Quote(v.name) << ", \"type\": " << Quote(type)
        << ", \"semantic\": " << Nullable(v.semantic) << ", \"annotations\": " << AnnotationsJson(v.annotations)
        << ", \"cbuffer\": null, \"offset\": null, \"size\": null, \"shared\": " << (v.shared ? "true" : "false")
        << "}";
    first = false;
  }
  out << "]}";
  std::cout << out.str() << std::endl;
  return 0;
}
