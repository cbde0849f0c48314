#include "authoring/curveText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "authoring/fileReplace.h"
#include "authoring/luaLexer.h"
#include "authoring/materialText.h"

namespace {

// One field of a table constructor, as token indices: [begin, end) is the value's
// tokens; `name` is set for `name = value` fields, empty for positional ones.
struct Field {
  std::string name;
  size_t begin = 0, end = 0;
};

class TableReader {
 public:
  explicit TableReader(const std::vector<LuaToken>& read) : tokens(read) {}

  bool Symbol(size_t at, char symbol) const { return at < tokens.size() && tokens[at].Is(symbol); }
  bool String(size_t at) const { return at < tokens.size() && tokens[at].kind == LuaToken::String; }

  // The fields of the table constructor opening at `open`, and in *close the index of its
  // '}'. False when the brackets do not close.
  bool Fields(size_t open, std::vector<Field>* fields, size_t* close) const {
    fields->clear();
    size_t at = open + 1;
    while (at < tokens.size() && !Symbol(at, '}')) {
      Field field;
      if (tokens[at].kind == LuaToken::Name && Symbol(at + 1, '=')) {
        field.name = tokens[at].value;
        at += 2;
      } else if (Symbol(at, '[')) {
        // [key] = value: never a key or a curve; skipped whole.
        at = SkipBracket(at);
        if (at == std::string::npos || !Symbol(at, '=')) return false;
        field.name = "[]";
        ++at;
      }
      field.begin = at;
      at = Skip(at);
      if (at == std::string::npos) return false;
      field.end = at;
      fields->push_back(field);
      if (Symbol(at, ',') || Symbol(at, ';')) ++at;
    }
    if (at >= tokens.size()) return false;
    *close = at;
    return true;
  }

  // Past the expression at `at`: up to a ',' ';' '}' '=' outside brackets. npos when the
  // brackets do not close.
  size_t Skip(size_t at) const {
    int depth = 0;
    for (; at < tokens.size(); ++at) {
      const LuaToken& token = tokens[at];
      if (token.Is('{') || token.Is('(') || token.Is('[')) {
        ++depth;
      } else if (token.Is('}') || token.Is(')') || token.Is(']')) {
        if (depth == 0) return at;
        --depth;
      } else if (depth == 0 && (token.Is(',') || token.Is(';') || token.Is('='))) {
        return at;
      }
    }
    return depth == 0 ? at : std::string::npos;
  }

  // Past the ']' that closes the '[' at `at`; npos when none does.
  size_t SkipBracket(size_t at) const {
    int depth = 0;
    for (; at < tokens.size(); ++at) {
      if (tokens[at].Is('{') || tokens[at].Is('(') || tokens[at].Is('[')) ++depth;
      if ((tokens[at].Is('}') || tokens[at].Is(')') || tokens[at].Is(']')) && --depth == 0) return at + 1;
    }
    return std::string::npos;
  }

  // A value that is one table constructor and nothing else.
  bool Table(const Field& field) const {
    size_t close = 0;
    std::vector<Field> inner;
    return Symbol(field.begin, '{') && Fields(field.begin, &inner, &close) && close + 1 == field.end;
  }
  // A value that is a number, with a unary minus or not.
  bool Number(const Field& field) const {
    const size_t at = Symbol(field.begin, '-') ? field.begin + 1 : field.begin;
    return at + 1 == field.end && tokens[at].kind == LuaToken::Number;
  }
  // {NUMBER, NUMBER}
  bool Pair(const Field& field) const {
    std::vector<Field> inner;
    size_t close = 0;
    return Table(field) && Fields(field.begin, &inner, &close) && inner.size() == 2 && inner[0].name.empty() &&
           inner[1].name.empty() && Number(inner[0]) && Number(inner[1]);
  }
  // A key as numbers only: {TIME, VALUE, left = {t, v}, right = {t, v}}, handles optional.
  bool LiteralKey(const Field& field) const {
    std::vector<Field> inner;
    size_t close = 0;
    if (!Table(field) || !Fields(field.begin, &inner, &close) || inner.size() < 2) return false;
    for (size_t k = 0; k < inner.size(); ++k) {
      const bool ok = k < 2 ? inner[k].name.empty() && Number(inner[k])
                            : (inner[k].name == "left" || inner[k].name == "right") && Pair(inner[k]);
      if (!ok) return false;
    }
    return true;
  }

  std::string Text(const std::string& text, size_t first, size_t last) const {
    return text.substr(tokens[first].begin, tokens[last - 1].end - tokens[first].begin);
  }

 private:
  const std::vector<LuaToken>& tokens;
};

std::string Pair(const engine::gfx::KeyPoint& point, float sign) {
  return "{" + NumberText(point.time) + ", " + NumberText(sign * point.value) + "}";
}

std::string KeyText(const CurveKey& key, const EditedCurve& curve) {
  std::string text = "{" + NumberText(key.point.time) + ", " + NumberText(curve.fileSign * key.point.value);
  if (curve.interpolation == CurveInterpolation::Bezier) {
    text += ", left = " + Pair(key.left, curve.fileSign) + ", right = " + Pair(key.right, curve.fileSign);
  }
  return text + "}";
}

}  // namespace

bool WriteCurveText(std::string& text, const std::string& object, const EditedCurve& curve, std::string* error) {
  const std::string what = "curve " + curve.channel + " of " + object;
  std::vector<LuaToken> tokens;
  if (!LuaTokens(text, &tokens, error)) return false;
  const TableReader reader(tokens);

  // The object: a table whose first two fields are strings, the second its name.
  std::vector<Field> fields;
  size_t close = 0;
  size_t objectOpen = std::string::npos;
  for (size_t at = 0; at < tokens.size(); ++at) {
    if (!reader.Symbol(at, '{') || !reader.String(at + 1) || !reader.Fields(at, &fields, &close)) continue;
    if (fields.size() >= 2 && fields[0].name.empty() && fields[1].name.empty() &&
        fields[0].end == fields[0].begin + 1 && fields[1].end == fields[1].begin + 1 &&
        reader.String(fields[1].begin) && tokens[fields[1].begin].value == object) {
      objectOpen = at;
      break;
    }
  }
  const std::string computed = what +
                               " is not written out as keys in the description (a variable, a helper "
                               "function or a loop makes it); not saved";
  if (objectOpen == std::string::npos) {
    *error = computed;
    return false;
  }
  reader.Fields(objectOpen, &fields, &close);
  const Field* curves = nullptr;
  for (const Field& field : fields) {
    if (field.name == "curves") curves = &field;
  }
  if (!curves || !reader.Table(*curves)) {
    *error = computed;
    return false;
  }
  std::vector<Field> list;
  reader.Fields(curves->begin, &list, &close);
  size_t curveOpen = std::string::npos;
  for (const Field& entry : list) {
    if (!entry.name.empty() || !reader.Table(entry) || !reader.String(entry.begin + 1) ||
        tokens[entry.begin + 1].value != curve.channel) {
      continue;
    }
    if (curveOpen != std::string::npos) {
      *error = what + " is written twice in the description; not saved";
      return false;
    }
    curveOpen = entry.begin;
  }
  if (curveOpen == std::string::npos) {
    *error = computed;
    return false;
  }

  std::vector<Field> parts;
  size_t curveClose = 0;
  reader.Fields(curveOpen, &parts, &curveClose);
  std::vector<Field> keys;
  const Field* interpolation = nullptr;
  bool namedAfterKeys = false;
  for (size_t k = 1; k < parts.size(); ++k) {
    if (parts[k].name.empty() && namedAfterKeys) {
      *error = what + ": its keys are mixed with its other fields in the description; not saved";
      return false;
    }
    if (parts[k].name.empty()) keys.push_back(parts[k]);
    if (!parts[k].name.empty() && !keys.empty()) namedAfterKeys = true;
    if (parts[k].name == "interpolation") interpolation = &parts[k];
  }
  if (keys.size() != curve.savedKeys || keys.empty()) {
    *error = what + " has " + std::to_string(keys.size()) + " keys in the description, " +
             std::to_string(curve.savedKeys) + " where it was loaded from: the file changed since; not saved";
    return false;
  }
  // Keys the editor kept stay as written, expressions included; a touched key must have
  // been numbers, or the file's meaning (a time from at(), a value from a variable)
  // would be lost without a word.
  std::vector<bool> kept(keys.size(), false);
  int lastOrigin = -1;
  for (const CurveKey& key : curve.keys) {
    if (key.origin < 0) continue;
    if (key.origin <= lastOrigin || static_cast<size_t>(key.origin) >= keys.size()) {
      *error = what + ": its keys are out of order; not saved";
      return false;
    }
    lastOrigin = key.origin;
    const Field& written = keys[static_cast<size_t>(key.origin)];
    if (key.changed && !reader.LiteralKey(written)) {
      *error = what + ": key " + std::to_string(key.origin + 1) + " is written as " +
               reader.Text(text, written.begin, written.end) + ", not numbers; not saved";
      return false;
    }
    kept[static_cast<size_t>(key.origin)] = true;
  }

  // The keys' stretch of text rebuilt: each kept key with the text that led up to it
  // (line breaks, comments), new ones after the separator the curve uses.
  const auto gapBefore = [&](size_t k) {
    return text.substr(tokens[keys[k - 1].end - 1].end, tokens[keys[k].begin].begin - tokens[keys[k - 1].end - 1].end);
  };
  const std::string separator = keys.size() > 1 ? gapBefore(1) : ", ";
  std::string rebuilt;
  for (size_t j = 0; j < curve.keys.size(); ++j) {
    const CurveKey& key = curve.keys[j];
    if (j > 0) rebuilt += key.origin > 0 ? gapBefore(static_cast<size_t>(key.origin)) : separator;
    rebuilt += key.changed || key.origin < 0 ? KeyText(key, curve)
                                             : reader.Text(text, keys[static_cast<size_t>(key.origin)].begin,
                                                           keys[static_cast<size_t>(key.origin)].end);
  }
  struct Replacement {
    size_t begin, end;
    std::string text;
  };
  std::vector<Replacement> replacements;
  replacements.push_back({tokens[keys.front().begin].begin, tokens[keys.back().end - 1].end, rebuilt});
  if (curve.interpolationChanged) {
    const std::string word = std::string("\"") + InterpolationWord(curve.interpolation) + "\"";
    if (interpolation) {
      replacements.push_back({tokens[interpolation->begin].begin, tokens[interpolation->end - 1].end, word});
    } else {
      const size_t after = tokens[parts.back().end - 1].end;
      replacements.push_back({after, after, ", interpolation = " + word});
    }
  }
  // From the end of the text, so that earlier places stay where the tokens say.
  std::sort(replacements.begin(), replacements.end(),
            [](const Replacement& a, const Replacement& b) { return a.begin > b.begin; });
  for (const Replacement& r : replacements) text.replace(r.begin, r.end - r.begin, r.text);
  return true;
}

bool SaveCurves(const std::string& path, const CurveEdit& edit, std::string* error) {
  std::string original;
  if (!ReadFileText(path, &original)) {
    *error = "cannot read " + path + " (the part has no scene description there); not saved";
    return false;
  }
  std::string text = original;
  for (const EditedCurve& curve : edit.Curves()) {
    if (!curve.edited) continue;
    std::string why;
    if (!WriteCurveText(text, edit.Object(), curve, &why)) {
      *error = path + ": " + why;
      return false;
    }
  }
  return text == original || ReplaceFileText(path, text, error);
}
