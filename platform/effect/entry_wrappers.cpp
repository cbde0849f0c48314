#include "platform/effect/entry_wrappers.h"

#include <cctype>
#include <cstring>
#include <utility>

namespace platform::fx {

std::string ParamName(const std::string& text) {
  std::string head = text.substr(0, text.find(':'));
  head = head.substr(0, head.find('['));
  std::size_t end = head.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return "";
  std::size_t begin = end;
  while (begin > 0 && (std::isalnum(static_cast<unsigned char>(head[begin - 1])) || head[begin - 1] == '_')) --begin;
  return head.substr(begin, end - begin + 1);
}

bool TakesStreamObject(const std::string& param) {
  for (const char* kind : {"PointStream", "LineStream", "TriangleStream"}) {
    for (std::size_t at = param.find(kind); at != std::string::npos; at = param.find(kind, at + 1)) {
      const bool wordStart = at == 0 || !(std::isalnum(static_cast<unsigned char>(param[at - 1])) || param[at - 1] == '_');
      const std::size_t next = param.find_first_not_of(" \t\r\n", at + std::strlen(kind));
      if (wordStart && next != std::string::npos && param[next] == '<') return true;
    }
  }
  return false;
}

namespace {

// The scalar or vector type of a uniform parameter ("uniform uint mode" gives "uint");
// empty for arrays, matrices and structs, which a cast cannot name.
std::string NumericParamType(const std::string& text) {
  const std::string name = ParamName(text);
  const std::string head = text.substr(0, text.find(':'));
  if (name.empty() || head.find('[') != std::string::npos) return "";
  const std::size_t at = head.rfind(name);
  std::string type;
  std::size_t i = 0;
  while (i < at) {
    while (i < at && !(std::isalnum(static_cast<unsigned char>(head[i])) || head[i] == '_')) ++i;
    std::size_t b = i;
    while (i < at && (std::isalnum(static_cast<unsigned char>(head[i])) || head[i] == '_')) ++i;
    const std::string word = head.substr(b, i - b);
    if (!word.empty() && word != "uniform" && word != "in" && word != "const") type = word;
  }
  for (const char* base : {"bool", "int", "uint", "dword", "float", "half", "double"}) {
    const std::size_t n = std::strlen(base);
    if (type.compare(0, n, base) != 0) continue;
    const std::string rest = type.substr(n);
    if (rest.empty() || (rest.size() == 1 && rest[0] >= '1' && rest[0] <= '4')) return type;
  }
  return "";
}

bool NamesClipDistance(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.find("SV_CLIPDISTANCE") != std::string::npos || upper.find("SV_CULLDISTANCE") != std::string::npos;
}

bool StructHasClipDistance(const EffectSyntax& syntax, const Type& type, int depth) {
  if (depth > 16) return false;
  for (const Field& f : type.fields) {
    if (NamesClipDistance(f.semantic)) return true;
    if (f.type.cls == TypeClass::Struct && StructHasClipDistance(syntax, f.type, depth + 1)) return true;
  }
  return false;
}

// "SV_ClipDistance1" as the wrapper's input names it: "FXCLIPDIST1"; empty for others.
std::string InputSemanticFor(const std::string& semantic) {
  std::string upper = semantic;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (auto [builtin, own] : {std::pair<const char*, const char*>{"SV_CLIPDISTANCE", kClipInputSemantic},
                              std::pair<const char*, const char*>{"SV_CULLDISTANCE", kCullInputSemantic}}) {
    const std::size_t n = std::strlen(builtin);
    if (upper.compare(0, n, builtin) == 0) return own + upper.substr(n);
  }
  return "";
}

std::string FieldDeclaration(const Field& f, const std::string& semantic) {
  return f.type.name + " " + f.name + (f.type.elements ? "[" + std::to_string(f.type.elements) + "]" : "") +
         (semantic.empty() ? "" : " : " + semantic) + "; ";
}

}  // namespace

bool WrapClipDistanceInputs(const EffectSyntax& syntax, const ShaderRef& ref, int index, std::string& hlsl,
                            std::string& entry) {
  const FunctionDecl* f = syntax.FindFunction(ref.entry);
  if (!f || !ref.args.empty()) return false;
  // The input: "triangle Vertex input[3]", a struct whose own members carry the distances.
  std::size_t input = f->params.size();
  const Type* vertex = nullptr;
  std::string prefix, count;
  for (std::size_t i = 0; i < f->params.size() && !vertex; ++i) {
    const std::string& text = f->params[i].text;
    if (TakesStreamObject(text) || f->params[i].uniform) continue;
    const std::size_t open = text.find('['), close = text.find(']');
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    const std::string name = ParamName(text);
    const std::size_t nameAt = text.rfind(name, open);
    std::size_t typeEnd = text.find_last_not_of(" \t\r\n", nameAt == std::string::npos ? 0 : nameAt - 1);
    if (nameAt == std::string::npos || typeEnd == std::string::npos) continue;
    std::size_t typeBegin = typeEnd;
    while (typeBegin > 0 && (std::isalnum(static_cast<unsigned char>(text[typeBegin - 1])) || text[typeBegin - 1] == '_'))
      --typeBegin;
    auto it = syntax.structs.find(text.substr(typeBegin, typeEnd + 1 - typeBegin));
    if (it == syntax.structs.end()) continue;
    input = i;
    vertex = &it->second;
    prefix = text.substr(0, typeBegin);
    count = text.substr(open + 1, close - open - 1);
  }
  if (!vertex) return false;
  bool carries = false;
  for (const Field& field : vertex->fields) {
    if (field.type.cls == TypeClass::Struct && StructHasClipDistance(syntax, field.type, 0)) return false;
    carries = carries || !InputSemanticFor(field.semantic).empty();
  }
  if (!carries) return false;
  const std::string tag = std::to_string(index);
  std::string fields, copies;
  for (const Field& field : vertex->fields) {
    const std::string own = InputSemanticFor(field.semantic);
    fields += FieldDeclaration(field, own.empty() ? field.semantic : own);
    copies += "fx_vertices[fx_i]." + field.name + " = fx_input[fx_i]." + field.name + "; ";
  }
  std::string params, call;
  for (std::size_t i = 0; i < f->params.size(); ++i) {
    const std::string& text = f->params[i].text;
    params += std::string(i ? ", " : "") + (i == input ? prefix + "fx_clip_input_" + tag + " fx_input[" + count + "]" : text);
    call += std::string(i ? ", " : "") + (i == input ? "fx_vertices" : ParamName(text));
  }
  entry = "fx_entry_" + tag;
  std::string wrapper = " struct fx_clip_input_" + tag + " { " + fields + "}; " + f->attributes + " " + f->returnType +
                        " " + entry + "(" + params + ") { " + vertex->name + " fx_vertices[" + count +
                        "]; [unroll] for (int fx_i = 0; fx_i < " + count + "; ++fx_i) { " + copies + "} " + f->name +
                        "(" + call + "); }";
  for (char& c : wrapper)
    if (c == '\n' || c == '\r') c = ' ';
  hlsl += wrapper;
  return true;
}

bool WrapEntry(const EffectSyntax& syntax, const ShaderRef& ref, int index, std::string& hlsl, std::string& entry,
               std::string& error) {
  entry = ref.entry;
  if (ref.args.empty()) return true;
  const FunctionDecl* f = syntax.FindFunction(ref.entry);
  if (!f) {
    error = syntax.lines.Describe(ref.line) + ": error: entry point '" + ref.entry + "' not found";
    return false;
  }
  std::string params, call;
  std::size_t arg = 0;
  for (const FunctionDecl::Param& p : f->params) {
    if (!call.empty()) call += ", ";
    if (p.uniform) {
      if (arg >= ref.args.size()) break;
      // Cast to the parameter's type: the compiler here stores a literal 0 into a uint
      // parameter as an int, and then fails to build its own output.
      const std::string type = NumericParamType(p.text);
      call += type.empty() ? ref.args[arg++] : "(" + type + ")(" + ref.args[arg++] + ")";
    } else {
      if (!params.empty()) params += ", ";
      params += p.text;
      call += ParamName(p.text);
    }
  }
  if (arg != ref.args.size()) {
    error = syntax.lines.Describe(ref.line) + ": error: " + ref.entry + " takes " + std::to_string(arg) +
            " uniform arguments, " + std::to_string(ref.args.size()) + " given";
    return false;
  }
  entry = "fx_entry_" + std::to_string(index);
  bool isVoid = f->returnType.find("void") != std::string::npos;
  std::string wrapper = " " + f->attributes + " " + f->returnType + " " + entry + "(" + params + ")" +
                        (f->semantic.empty() ? "" : " : " + f->semantic) + " { " + (isVoid ? "" : "return ") +
                        f->name + "(" + call + "); }";
  for (char& c : wrapper)
    if (c == '\n' || c == '\r') c = ' ';
  hlsl += wrapper;
  return true;
}

bool TakesClipDistances(const EffectSyntax& syntax, const std::string& entry) {
  for (const FunctionDecl& f : syntax.functions) {
    if (f.name != entry) continue;
    for (const FunctionDecl::Param& p : f.params) {
      if (p.text.find("inout") != std::string::npos || TakesStreamObject(p.text)) continue;
      if (NamesClipDistance(p.text)) return true;
      std::string word;
      for (std::size_t i = 0; i <= p.text.size(); ++i) {
        const char c = i < p.text.size() ? p.text[i] : ' ';
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
          word += c;
          continue;
        }
        auto it = syntax.structs.find(word);
        if (it != syntax.structs.end() && StructHasClipDistance(syntax, it->second, 0)) return true;
        word.clear();
      }
    }
  }
  return false;
}

}  // namespace platform::fx
