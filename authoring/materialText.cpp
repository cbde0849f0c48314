#include "authoring/materialText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "authoring/luaLexer.h"

namespace {

// One number of an entry's value: an optional unary minus and a numeral.
struct NumberTokens {
  size_t minus;  // index of the '-' token, or npos
  size_t numeral;
};

class EntryReader {
 public:
  explicit EntryReader(const std::vector<LuaToken>& read) : tokens(read) {}

  bool Symbol(size_t at, char symbol) const { return at < tokens.size() && tokens[at].Is(symbol); }
  bool Separator(size_t at) const { return Symbol(at, ',') || Symbol(at, ';'); }
  bool String(size_t at, const std::string& value) const {
    return at < tokens.size() && tokens[at].kind == LuaToken::String && tokens[at].value == value;
  }

  // A number at `at`, appended to *numbers; the index past it, or npos.
  size_t Number(size_t at, std::vector<NumberTokens>* numbers) const {
    size_t minus = std::string::npos;
    if (Symbol(at, '-')) minus = at++;
    if (at >= tokens.size() || tokens[at].kind != LuaToken::Number) return std::string::npos;
    numbers->push_back({minus, at});
    return at + 1;
  }

  // The numbers of the value at `at`: a number alone (`list` false) or a table
  // constructor of numbers only. False when the value is anything else, or does not end
  // where the entry's field does.
  bool Value(size_t at, std::vector<NumberTokens>* numbers, bool* list) const {
    *list = Symbol(at, '{');
    if (!*list) {
      at = Number(at, numbers);
    } else {
      for (++at; !Symbol(at, '}');) {
        at = Number(at, numbers);
        if (at == std::string::npos) return false;
        if (Separator(at)) {
          ++at;
        } else if (!Symbol(at, '}')) {
          return false;
        }
      }
      ++at;
    }
    return at != std::string::npos && (Separator(at) || Symbol(at, '}'));
  }

 private:
  const std::vector<LuaToken>& tokens;
};

struct Replacement {
  size_t begin, end;
  std::string text;
};

}  // namespace

std::string NumberText(float value) {
  char buffer[64];
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(buffer, nullptr) == value) break;
  }
  const std::string shortest = buffer;
  if (shortest.find('e') == std::string::npos) return shortest;
  // Written out where that is as exact and not much longer: people read these files,
  // and "10" says more than "1e+01".
  for (int decimals = 0; decimals <= 9; ++decimals) {
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, static_cast<double>(value));
    if (std::strtof(buffer, nullptr) == value && std::string(buffer).size() <= 16) return buffer;
  }
  return shortest;
}

ParameterWrite WriteParameterValue(std::string& text, const std::string& name, const std::string& type,
                                   const std::vector<float>& values) {
  ParameterWrite result;
  const int wanted = type == "float" ? 1 : type == "float2" ? 2 : type == "float3" ? 3 : type == "float4" ? 4 : 0;
  if (wanted == 0 || static_cast<int>(values.size()) != wanted) {
    result.error = "a " + type + " cannot hold " + std::to_string(values.size()) + " numbers";
    return result;
  }
  for (float value : values) {
    // "inf" and "nan" would read back as undefined variables, that is 0.
    if (!std::isfinite(value)) {
      result.error = "a value is not a finite number";
      return result;
    }
  }
  std::vector<LuaToken> tokens;
  if (!LuaTokens(text, &tokens, &result.error)) return result;

  const EntryReader entries(tokens);
  std::vector<Replacement> replacements;
  for (size_t open = 0; open < tokens.size(); ++open) {
    if (!entries.Symbol(open, '{') || !entries.String(open + 1, name) || !entries.Separator(open + 2) ||
        !entries.String(open + 3, type) || !entries.Separator(open + 4)) {
      continue;
    }
    std::vector<NumberTokens> numbers;
    bool list = false;
    // The engine reads a float from a number only, a floatN from a table of N.
    if (!entries.Value(open + 5, &numbers, &list) || list != (wanted > 1) ||
        static_cast<int>(numbers.size()) != wanted) {
      ++result.notNumbers;
      continue;
    }
    // Number by number, so that the spacing and any comment between them stay.
    for (size_t k = 0; k < numbers.size(); ++k) {
      if (numbers[k].minus != std::string::npos) {
        const LuaToken& minus = tokens[numbers[k].minus];
        replacements.push_back({minus.begin, minus.end, ""});
      }
      const LuaToken& numeral = tokens[numbers[k].numeral];
      replacements.push_back({numeral.begin, numeral.end, NumberText(values[k])});
    }
    ++result.written;
  }
  // From the end, so that the places still to replace stay where the tokens say.
  for (auto r = replacements.rbegin(); r != replacements.rend(); ++r) {
    text.replace(r->begin, r->end - r->begin, r->text);
  }
  return result;
}
