#include "authoring/luaLexer.h"

#include <cstdlib>

namespace {

// Lua's own character classes under the "C" locale the engine runs in; <cctype> would
// follow whatever locale a library set.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return IsAlpha(c) || IsDigit(c) || c == '_'; }
bool IsNewline(char c) { return c == '\n' || c == '\r'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// A numeral as luaO_str2d takes it: all of it a decimal (or hexadecimal) number, spaces
// after it allowed.
bool ValidNumeral(const std::string& numeral) {
  const char* start = numeral.c_str();
  char* end = nullptr;
  std::strtod(start, &end);
  if (end == start) return false;
  if (*end == 'x' || *end == 'X') std::strtoul(start, &end, 16);
  while (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r' || *end == '\v' || *end == '\f') ++end;
  return *end == '\0';
}

class Lexer {
 public:
  Lexer(const std::string& script, std::vector<LuaToken>* out) : text(script), size(script.size()), tokens(out) {}

  bool Run(std::string* error) {
    size_t at = 0;
    if (size > 0 && text[0] == '#') {
      while (at < size && text[at] != '\n') ++at;
    }
    while (at < size) {
      const char c = text[at];
      if (IsNewline(c) || IsSpace(c)) {
        ++at;
      } else if (c == '-' && at + 1 < size && text[at + 1] == '-') {
        if (!Comment(at, &at)) break;
      } else if (c == '[') {
        const long level = Separator(at);
        if (level >= 0) {
          if (!LongBracket(at, level, LuaToken::String, &at)) break;
        } else if (level == -1) {
          at = Add(LuaToken::Symbol, at, at + 1);
        } else {
          Fail(at, "invalid long string delimiter");
          break;
        }
      } else if (c == '"' || c == '\'') {
        if (!ShortString(at, &at)) break;
      } else if (IsDigit(c) || (c == '.' && at + 1 < size && IsDigit(text[at + 1]))) {
        if (!Numeral(at, &at)) break;
      } else if (c == '.') {
        size_t end = at + 1;
        while (end < size && end < at + 3 && text[end] == '.') ++end;
        at = Add(LuaToken::Symbol, at, end);
      } else if ((c == '=' || c == '<' || c == '>' || c == '~') && at + 1 < size && text[at + 1] == '=') {
        at = Add(LuaToken::Symbol, at, at + 2);
      } else if (IsAlpha(c) || c == '_') {
        size_t end = at + 1;
        while (end < size && IsNameChar(text[end])) ++end;
        at = Add(LuaToken::Name, at, end);
      } else {
        at = Add(LuaToken::Symbol, at, at + 1);
      }
    }
    if (!failure.empty()) *error = failure;
    return failure.empty();
  }

 private:
  size_t Add(LuaToken::Kind kind, size_t begin, size_t end) {
    LuaToken token;
    token.kind = kind;
    token.begin = begin;
    token.end = end;
    token.value = text.substr(begin, end - begin);
    tokens->push_back(std::move(token));
    return end;
  }

  void Fail(size_t at, const std::string& what) {
    int line = 1;
    for (size_t k = 0; k < at && k < size;) {
      if (IsNewline(text[k])) {
        k = SkipNewline(k);
        ++line;
      } else {
        ++k;
      }
    }
    failure = "line " + std::to_string(line) + ": " + what;
  }

  // Past the line end at `at`: "\n", "\r", "\r\n" and "\n\r" are one line end each.
  size_t SkipNewline(size_t at) const {
    const char first = text[at++];
    if (at < size && IsNewline(text[at]) && text[at] != first) ++at;
    return at;
  }

  // At a '[' or ']': the number of '=' after it when the same bracket follows them,
  // otherwise -(that number) - 1.
  long Separator(size_t at) const {
    const char bracket = text[at];
    size_t k = at + 1;
    while (k < size && text[k] == '=') ++k;
    const long count = static_cast<long>(k - at - 1);
    return k < size && text[k] == bracket ? count : -count - 1;
  }

  // "--" at `at`: a long comment when a long bracket opens right after it, else the rest
  // of the line.
  bool Comment(size_t at, size_t* end) {
    at += 2;
    if (at < size && text[at] == '[' && Separator(at) >= 0) return LongBracket(at, Separator(at), -1, end);
    while (at < size && !IsNewline(text[at])) ++at;
    *end = at;
    return true;
  }

  // A long string or comment opening at `at` with `level` '='s. The first line end
  // right after the opening bracket is not part of it. `kind` -1: a comment, no token.
  bool LongBracket(size_t at, long level, int kind, size_t* end) {
    const size_t open = at;
    std::string value;
    at += static_cast<size_t>(level) + 2;
    if (at < size && IsNewline(text[at])) at = SkipNewline(at);
    for (;;) {
      if (at >= size) {
        Fail(open, kind < 0 ? "unfinished long comment" : "unfinished long string");
        return false;
      }
      const char c = text[at];
      if (c == ']' || c == '[') {
        const long found = Separator(at);
        if (c == ']' && found == level) {
          at += static_cast<size_t>(level) + 2;
          break;
        }
        // 5.1 still refuses the nesting its older long strings had.
        if (c == '[' && found == 0 && level == 0) {
          Fail(at, "nesting of [[...]] is deprecated");
          return false;
        }
        // Both brackets and the '='s between go when the levels match, the first
        // bracket and its '='s otherwise: the next bracket may open or close.
        const size_t passed = 1 + static_cast<size_t>(found >= 0 ? found : -found - 1);
        const size_t skip = c == '[' && found == level ? passed + 1 : passed;
        value.append(text, at, skip);
        at += skip;
      } else if (IsNewline(c)) {
        value += '\n';
        at = SkipNewline(at);
      } else {
        value += c;
        ++at;
      }
    }
    if (kind >= 0) {
      LuaToken token;
      token.kind = static_cast<LuaToken::Kind>(kind);
      token.begin = open;
      token.end = at;
      token.value = std::move(value);
      tokens->push_back(std::move(token));
    }
    *end = at;
    return true;
  }

  bool ShortString(size_t at, size_t* end) {
    const size_t open = at;
    const char quote = text[at++];
    std::string value;
    for (;;) {
      if (at >= size || IsNewline(text[at])) {
        Fail(open, "unfinished string");
        return false;
      }
      const char c = text[at];
      if (c == quote) break;
      if (c != '\\') {
        value += c;
        ++at;
        continue;
      }
      if (++at >= size) continue;  // an unfinished string, said above
      const char e = text[at];
      static const char kEscapes[] = "a\ab\bf\fn\nr\rt\tv\v";
      bool named = false;
      for (size_t k = 0; kEscapes[k]; k += 2) {
        if (e == kEscapes[k]) {
          value += kEscapes[k + 1];
          named = true;
        }
      }
      if (named) {
        ++at;
      } else if (IsNewline(e)) {
        value += '\n';
        at = SkipNewline(at);
      } else if (IsDigit(e)) {
        int code = 0;
        for (int digits = 0; digits < 3 && at < size && IsDigit(text[at]); ++digits) {
          code = code * 10 + (text[at++] - '0');
        }
        if (code > 255) {
          Fail(at, "escape sequence too large");
          return false;
        }
        value += static_cast<char>(code);
      } else {
        value += e;  // \\, \", \' and any other character as itself
        ++at;
      }
    }
    LuaToken token;
    token.kind = LuaToken::String;
    token.begin = open;
    token.end = at + 1;
    token.value = std::move(value);
    tokens->push_back(std::move(token));
    *end = at + 1;
    return true;
  }

  // Digits and dots, an exponent's sign, then any letters, digits and '_' stuck to it:
  // all of it one numeral, which must then read as a number.
  bool Numeral(size_t at, size_t* end) {
    size_t k = at;
    do {
      ++k;
    } while (k < size && (IsDigit(text[k]) || text[k] == '.'));
    if (k < size && (text[k] == 'e' || text[k] == 'E')) {
      ++k;
      if (k < size && (text[k] == '+' || text[k] == '-')) ++k;
    }
    while (k < size && IsNameChar(text[k])) ++k;
    if (!ValidNumeral(text.substr(at, k - at))) {
      Fail(at, "malformed number near '" + text.substr(at, k - at) + "'");
      return false;
    }
    *end = Add(LuaToken::Number, at, k);
    return true;
  }

  const std::string& text;
  const size_t size;
  std::vector<LuaToken>* tokens;
  std::string failure;
};

}  // namespace

bool LuaTokens(const std::string& text, std::vector<LuaToken>* tokens, std::string* error) {
  tokens->clear();
  return Lexer(text, tokens).Run(error);
}
