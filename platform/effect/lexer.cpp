#include "platform/effect/lexer.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace platform::fx {

std::pair<std::string, int> LineMap::Resolve(int textLine) const {
  const Entry* best = nullptr;
  for (const Entry& e : entries) {
    if (e.textLine <= textLine) best = &e;
    else break;
  }
  if (!best) return {defaultFile, textLine};
  return {best->file, best->fileLine + (textLine - best->textLine)};
}

std::string LineMap::Describe(int textLine) const {
  auto [file, line] = Resolve(textLine);
  return file + "(" + std::to_string(line) + ")";
}

Lexer::Lexer(std::string& text, const std::string& fileName) {
  lines.defaultFile = fileName;
  Run(text);
}

namespace {

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Handles "#line N" and "#line N \"file\"" (the preprocessor's include markers); the
// line after the directive is line N.
bool ParseLineDirective(std::string_view directive, int& number, std::string& file, bool& hasFile) {
  std::size_t i = 0;
  auto skipSpace = [&] {
    while (i < directive.size() && (directive[i] == ' ' || directive[i] == '\t')) ++i;
  };
  skipSpace();
  if (directive.substr(i, 4) != "line") return false;
  i += 4;
  skipSpace();
  if (i >= directive.size() || !IsDigit(directive[i])) return false;
  long n = 0;
  while (i < directive.size() && IsDigit(directive[i]) && n < 100000000) n = n * 10 + (directive[i++] - '0');
  number = static_cast<int>(n);
  skipSpace();
  hasFile = false;
  if (i < directive.size() && directive[i] == '"') {
    std::size_t close = directive.find('"', i + 1);
    if (close == std::string_view::npos) return false;
    file = std::string(directive.substr(i + 1, close - i - 1));
    hasFile = true;
  }
  return true;
}

// Keywords effect files may write in any case (MATRIX, Vector, PIXELSHADER, Technique),
// rewritten in place to the spelling the parser and the HLSL compiler know: the same
// length, so every position and line stays where it was. Type names outside this list
// are case-sensitive, as they are for the reference compiler.
void NormaliseKeyword(char* word, std::size_t length) {
  static const char* const spellings[] = {"matrix", "vector", "string", "pass", "technique", "texture", "PixelShader",
                                          "VertexShader"};
  for (const char* spelling : spellings) {
    if (std::strlen(spelling) != length) continue;
    bool same = true;
    for (std::size_t k = 0; k < length && same; ++k)
      same = std::tolower(static_cast<unsigned char>(word[k])) == std::tolower(static_cast<unsigned char>(spelling[k]));
    if (!same) continue;
    // Both of these are the object type's own names already.
    if (std::string_view(word, length) == "Texture") return;
    std::memcpy(word, spelling, length);
    return;
  }
}

}  // namespace

void Lexer::Run(std::string& text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  int line = 1;
  bool lineStart = true;
  std::string currentFile = lines.defaultFile;

  auto push = [&](TokenKind kind, std::size_t b, std::size_t e, std::string_view view, int tokenLine) {
    Token t;
    t.kind = kind;
    t.begin = b;
    t.end = e;
    t.text = view;
    t.line = tokenLine;
    tokens.push_back(t);
  };

  while (i < n) {
    char c = text[i];
    if (c == '\n') {
      ++line;
      ++i;
      lineStart = true;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++i;
      continue;
    }
    if (c == '#' && lineStart) {
      std::size_t eol = text.find('\n', i);
      if (eol == std::string::npos) eol = n;
      int number = 0;
      std::string file;
      bool hasFile = false;
      if (ParseLineDirective(std::string_view(text).substr(i + 1, eol - i - 1), number, file, hasFile)) {
        if (hasFile) currentFile = file;
        lines.entries.push_back({line + 1, number, currentFile});
      }
      // Directives mean nothing to the HLSL compiler once preprocessed; blank them so
      // line numbering of the text stays the one this map describes.
      for (std::size_t k = i; k < eol; ++k) text[k] = ' ';
      i = eol;
      continue;
    }
    lineStart = false;
    if (c == '/' && i + 1 < n && text[i + 1] == '/') {
      while (i < n && text[i] != '\n') ++i;
      continue;
    }
    if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      i += 2;
      while (i < n && !(text[i] == '*' && i + 1 < n && text[i + 1] == '/')) {
        if (text[i] == '\n') ++line;
        ++i;
      }
      i = i < n ? i + 2 : n;
      continue;
    }
    std::size_t b = i;
    if (IsIdentStart(c)) {
      while (i < n && IsIdentChar(text[i])) ++i;
      // Not a member (v.Vector) nor a semantic (: TEXTURE), which keep their spelling.
      const bool afterDotOrColon = !tokens.empty() && tokens.back().kind == TokenKind::Punct &&
                                     (tokens.back().text == "." || tokens.back().text == ":");
      if (!afterDotOrColon) NormaliseKeyword(&text[b], i - b);
      push(TokenKind::Identifier, b, i, std::string_view(text).substr(b, i - b), line);
      continue;
    }
    if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(text[i + 1]))) {
      if (c == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
        while (i < n && std::isxdigit(static_cast<unsigned char>(text[i]))) ++i;
      } else {
        while (i < n && (IsDigit(text[i]) || text[i] == '.')) ++i;
        if (i < n && (text[i] == 'e' || text[i] == 'E')) {
          std::size_t save = i++;
          if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
          if (i < n && IsDigit(text[i])) {
            while (i < n && IsDigit(text[i])) ++i;
          } else {
            i = save;
          }
        }
      }
      while (i < n && (text[i] == 'f' || text[i] == 'F' || text[i] == 'h' || text[i] == 'H' || text[i] == 'u' ||
                       text[i] == 'U' || text[i] == 'l' || text[i] == 'L'))
        ++i;
      push(TokenKind::Number, b, i, std::string_view(text).substr(b, i - b), line);
      continue;
    }
    if (c == '"') {
      std::string value;
      int startLine = line;
      ++i;
      while (i < n && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < n) {
          char e = text[i + 1];
          value += e == 'n' ? '\n' : e == 't' ? '\t' : e;
          i += 2;
          continue;
        }
        if (text[i] == '\n') ++line;
        value += text[i++];
      }
      if (i < n) ++i;
      strings.push_back(std::move(value));
      push(TokenKind::String, b, i, strings.back(), startLine);
      continue;
    }
    static const char* const twoChar[] = {"<=", ">=", "==", "!=", "&&", "||", "::", "++", "--", "+=", "-=",
                                          "*=", "/=", "%=", "&=", "|=", "^=", "<<", ">>", "->"};
    std::size_t len = 1;
    for (const char* op : twoChar) {
      if (i + 1 < n && text[i] == op[0] && text[i + 1] == op[1]) {
        len = 2;
        break;
      }
    }
    i += len;
    push(TokenKind::Punct, b, i, std::string_view(text).substr(b, len), line);
  }
  Token end;
  end.kind = TokenKind::End;
  end.begin = end.end = n;
  end.line = line;
  tokens.push_back(end);
}

}  // namespace platform::fx
