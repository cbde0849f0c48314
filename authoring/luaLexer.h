#pragma once

// The tokens of a Lua script with their places in its text, read as the engine's script
// host reads them (Lua 5.1, a first line starting with '#' skipped), so that code
// editing a script's text finds what the interpreter would and never looks inside a
// comment or a string.

#include <cstddef>
#include <string>
#include <vector>

struct LuaToken {
  enum Kind { Name, Number, String, Symbol };
  Kind kind = Symbol;
  std::size_t begin = 0;  // offset of the token's first byte in the text
  std::size_t end = 0;    // offset past its last byte
  // A string's value (escapes read, line ends as "\n"), or the token as written.
  std::string value;

  bool Is(char symbol) const { return kind == Symbol && value.size() == 1 && value[0] == symbol; }
};

// The tokens of `text` in order, comments and white space left out. False, with
// "line N: what" in *error, where the interpreter would stop at a lexical error: an
// unfinished string or long comment, an escape above 255, a malformed number, an
// invalid long bracket, a nested [[ in a level-0 long bracket.
bool LuaTokens(const std::string& text, std::vector<LuaToken>* tokens, std::string* error);
