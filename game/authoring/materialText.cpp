#include "game/authoring/materialText.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

size_t SkipSpace(const std::string& text, size_t at) {
  // Lua comments may sit between the parts of an entry.
  for (;;) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (text.compare(at, 2, "--") != 0) return at;
    at = text.find('\n', at);
    if (at == std::string::npos) return text.size();
  }
}

// The quoted word at `at` ("word" or 'word'): its end past the closing quote, or npos.
size_t QuotedWord(const std::string& text, size_t at, std::string* word) {
  if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::string::npos;
  const size_t close = text.find(text[at], at + 1);
  if (close == std::string::npos) return std::string::npos;
  *word = text.substr(at + 1, close - at - 1);
  return close + 1;
}

// How many numbers the value at [begin, end) holds, or -1 when it is not numbers alone.
int CountNumbers(const std::string& text, size_t begin, size_t end) {
  const bool list = text[begin] == '{';
  size_t at = list ? begin + 1 : begin;
  const size_t stop = list ? end - 1 : end;
  int count = 0;
  for (;;) {
    at = SkipSpace(text, at);
    if (at >= stop) break;
    const char* start = text.c_str() + at;
    char* after = nullptr;
    std::strtod(start, &after);
    if (after == start) return -1;
    at += static_cast<size_t>(after - start);
    ++count;
    at = SkipSpace(text, at);
    if (at < stop && text[at] == ',') ++at;
  }
  return list || count == 1 ? count : -1;
}

// The end of the value starting at `at`: past its closing brace for a list, past the
// number otherwise; npos when there is none.
size_t ValueEnd(const std::string& text, size_t at) {
  if (at >= text.size()) return std::string::npos;
  if (text[at] == '{') {
    const size_t close = text.find('}', at);
    return close == std::string::npos ? close : close + 1;
  }
  size_t end = at;
  while (end < text.size() && text[end] != ',' && text[end] != '}' && !std::isspace(static_cast<unsigned char>(text[end])))
    ++end;
  return end == at ? std::string::npos : end;
}

}  // namespace

std::string NumberText(float value) {
  char buffer[32];
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(buffer, nullptr) == value) break;
  }
  return buffer;
}

bool WriteParameterValue(std::string& text, const std::string& name, const std::string& type,
                         const std::vector<float>& values) {
  const int wanted = type == "float" ? 1 : type == "float2" ? 2 : type == "float3" ? 3 : type == "float4" ? 4 : 0;
  if (wanted == 0 || static_cast<int>(values.size()) != wanted) return false;
  for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
    std::string word;
    size_t at = QuotedWord(text, SkipSpace(text, open + 1), &word);
    if (at == std::string::npos || word != name) continue;
    at = SkipSpace(text, at);
    if (at >= text.size() || text[at] != ',') continue;
    at = QuotedWord(text, SkipSpace(text, at + 1), &word);
    if (at == std::string::npos || word != type) continue;
    at = SkipSpace(text, at);
    if (at >= text.size() || text[at] != ',') continue;
    const size_t begin = SkipSpace(text, at + 1);
    const size_t end = ValueEnd(text, begin);
    if (end == std::string::npos) return false;
    const bool list = text[begin] == '{';
    if (CountNumbers(text, begin, end) != wanted || (wanted > 1 && !list)) return false;
    std::string value;
    for (size_t k = 0; k < values.size(); ++k) value += (k ? ", " : "") + NumberText(values[k]);
    text.replace(begin, end - begin, list ? "{" + value + "}" : value);
    return true;
  }
  return false;
}
