#pragma once

// Tokens of preprocessed effect source. The lexer never fails: anything it does not
// recognise becomes a one-character punctuation token, and the parser decides whether
// that is an error. Positions are byte offsets into the text the tokens came from, so
// the parser can blank effect-only syntax out of that text before it goes to the HLSL
// compiler.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace platform::fx {

enum class TokenKind { Identifier, Number, String, Punct, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;  // for strings, without the quotes and unescaped
  std::size_t begin = 0;  // byte range in the source
  std::size_t end = 0;
  int line = 1;           // line in the source text (1-based)
  bool Is(std::string_view s) const { return (kind == TokenKind::Punct || kind == TokenKind::Identifier) && text == s; }
};

// Where a line of preprocessed text came from. The preprocessor marks include
// boundaries with #line directives; this table maps them back.
struct LineMap {
  struct Entry {
    int textLine;  // first line of the text this entry covers
    int fileLine;  // line in the file that text line stands for
    std::string file;
  };
  std::vector<Entry> entries;
  std::string defaultFile;

  // The file and line of a line of the text.
  std::pair<std::string, int> Resolve(int textLine) const;
  std::string Describe(int textLine) const;  // "file(line)"
};

// Splits text into tokens. #line directives are consumed into the line map (and the
// directive lines replaced with blanks in `text`), other directives are skipped.
// String contents are kept in `strings` so views into them stay valid.
class Lexer {
 public:
  Lexer(std::string& text, const std::string& fileName);

  const std::vector<Token>& Tokens() const { return tokens; }
  const LineMap& Lines() const { return lines; }

 private:
  void Run(std::string& text);

  std::vector<Token> tokens;
  std::deque<std::string> strings;  // stable addresses for the string tokens
  LineMap lines;
};

}  // namespace platform::fx
