// The overlay's "Save": a parameter's value written into a material script's text, the
// rest of the text as it was; entries found where the script host reads them and
// nowhere else.

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "authoring/materialText.h"

namespace {

const std::string kMaterial = R"(-- The block: its colour and its glow.
effect = {
  {template = "fx/lit.tpl",
   params = {{"Colour", "float4", {0.25, 0.5, 0.75, 1}},  -- the walls
             {'Glow', 'float', 0.5},
             { "Offset" ,"float2",  { 1 , 2 } }}},
}
)";

// How many entries a write found, written and left.
std::pair<int, int> Write(std::string& text, const std::string& name, const std::string& type,
                          const std::vector<float>& values) {
  const ParameterWrite write = WriteParameterValue(text, name, type, values);
  EXPECT_EQ(write.error, "") << name;
  return {write.written, write.notNumbers};
}

TEST(MaterialText, ValuesAreReplacedInPlaceWithEverythingElseKept) {
  std::string text = kMaterial;
  EXPECT_EQ(Write(text, "Colour", "float4", {1, 0.125f, 0, 1}), std::make_pair(1, 0));
  EXPECT_EQ(Write(text, "Glow", "float", {2}), std::make_pair(1, 0));
  EXPECT_EQ(Write(text, "Offset", "float2", {-3, 0.1f}), std::make_pair(1, 0));
  EXPECT_EQ(text, R"(-- The block: its colour and its glow.
effect = {
  {template = "fx/lit.tpl",
   params = {{"Colour", "float4", {1, 0.125, 0, 1}},  -- the walls
             {'Glow', 'float', 2},
             { "Offset" ,"float2",  { -3 , 0.1 } }}},
}
)");
  // Signs come and go without touching what lies between the numbers.
  std::string signs = "p = {{'V', 'float3', {-1, - 2, --[[two]] 3}}; {'W'; 'float'; -0.5;}}";
  EXPECT_EQ(Write(signs, "V", "float3", {4, 5, -6}), std::make_pair(1, 0));
  EXPECT_EQ(Write(signs, "W", "float", {1}), std::make_pair(1, 0));
  EXPECT_EQ(signs, "p = {{'V', 'float3', {4,  5, --[[two]] -6}}; {'W'; 'float'; 1;}}");
}

TEST(MaterialText, ValuesTheTextDoesNotGiveAreLeftAlone) {
  std::string text = kMaterial;
  // Given by the template, or of another type.
  EXPECT_EQ(Write(text, "Shine", "float", {1}), std::make_pair(0, 0));
  EXPECT_EQ(Write(text, "Colour", "float3", {1, 1, 1}), std::make_pair(0, 0));
  // Values that are not of the type, or are no number.
  EXPECT_NE(WriteParameterValue(text, "Colour", "float4", {1, 1, 1}).error, "");
  EXPECT_NE(WriteParameterValue(text, "Glow", "int", {1}).error, "");
  EXPECT_NE(WriteParameterValue(text, "Glow", "float", {std::numeric_limits<float>::infinity()}).error, "");
  EXPECT_EQ(text, kMaterial);
  // Entries whose value is not plain numbers of the type: counted, never written.
  for (const std::string entry :
       {"{'C', 'float4', {Red, 0, 0, 1}}", "{'C', 'float4', {1, 0, 0}}", "{'C', 'float4', {1, 0, 0, 1, 1}}",
        "{'C', 'float4', 1}", "{'C', 'float4', {1, 0, 0, 1} .. x}", "{'C', 'float', {1}}", "{'C', 'float', 1 + 1}",
        "{'C', 'float', - -1}", "{'C', 'float', '1'}", "{'C', 'float4', {1, 0,"}) {
    std::string given = "params = {" + entry;
    const std::string type = entry.find("float4") != std::string::npos ? "float4" : "float";
    EXPECT_EQ(Write(given, "C", type, std::vector<float>(type == "float" ? 1 : 4, 0.5f)), std::make_pair(0, 1))
        << entry;
    EXPECT_EQ(given, "params = {" + entry);
  }
}

TEST(MaterialText, CommentsAndStringsHoldNoEntries) {
  // Every disguise an entry can take that the script host never reads as one, before the
  // live entry at the end.
  const std::string hidden = R"(-- {"Tint", "float4", {1, 0, 0, 1}}
--[[ {"Tint", "float4", {1, 0, 0, 1}} ]]
--[==[ ]] {"Tint", "float4", {1, 0, 0, 1}} ]=] ]==]
local a = "{'Tint', 'float4', {1, 0, 0, 1}}"
local b = '\' {"Tint", "float4", {1, 0, 0, 1}} \\'
local c = "\
{'Tint', 'float4', {1, 0, 0, 1}}"
local d = [[ {'Tint', 'float4', {1, 0, 0, 1}} ]]
local e = [=[ ]] {'Tint', 'float4', {1, 0, 0, 1}} ]=]
local f = "--[[" -- a string that opens no comment
effect = {{pass = {{fx = 'm', tec = 'T', params = {{"Tint", "float4", {1, 0, 0, 1}}}, streams = {}}}}} -- ]]
)";
  std::string text = hidden;
  EXPECT_EQ(Write(text, "Tint", "float4", {0, 1, 0, 1}), std::make_pair(1, 0));
  std::string expected = hidden;
  const size_t live = expected.rfind("{1, 0, 0, 1}");
  expected.replace(live, 12, "{0, 1, 0, 1}");
  EXPECT_EQ(text, expected);

  // Names as the script host reads them: escapes, long brackets, either separator.
  std::string names = "p = {{'T\\105nt'; [[float]], 1}, {[==[\nTint]==], \"float\", 2}, {'Tint ', 'float', 3}}";
  EXPECT_EQ(Write(names, "Tint", "float", {7}), std::make_pair(2, 0));
  EXPECT_EQ(names, "p = {{'T\\105nt'; [[float]], 7}, {[==[\nTint]==], \"float\", 7}, {'Tint ', 'float', 3}}");
  // A first line starting with '#' is skipped by the script host, entry or not.
  std::string shebang = "#!{'Glow', 'float', 1}\np = {{'Glow', 'float', 1}}";
  EXPECT_EQ(Write(shebang, "Glow", "float", {2}), std::make_pair(1, 0));
  EXPECT_EQ(shebang, "#!{'Glow', 'float', 1}\np = {{'Glow', 'float', 2}}");
}

TEST(MaterialText, EveryEntryOfTheNameAndTypeIsWritten) {
  // Two passes with a Glow each, and a shared table of entries two passes name: the edit
  // gave every pass the value, and each entry must give it after a reload.
  const std::string material = R"(local shape = {{"Radius", "float", 2.6}, {"Glow", "float3", {1, 1, 1}}}
effect = {{pass = {
  {fx = "a", tec = "A", params = {{"Glow", "float", 0.5}}, streams = {}},
  {fx = "b", tec = "B", params = {{"Glow", "float", 2}, shape[1]}, streams = {}},
  {fx = "c", tec = "C", params = shape, streams = {}}}}}
)";
  std::string text = material;
  EXPECT_EQ(Write(text, "Glow", "float", {1.5f}), std::make_pair(2, 0));
  EXPECT_EQ(Write(text, "Radius", "float", {3}), std::make_pair(1, 0));
  EXPECT_EQ(text, R"(local shape = {{"Radius", "float", 3}, {"Glow", "float3", {1, 1, 1}}}
effect = {{pass = {
  {fx = "a", tec = "A", params = {{"Glow", "float", 1.5}}, streams = {}},
  {fx = "b", tec = "B", params = {{"Glow", "float", 1.5}, shape[1]}, streams = {}},
  {fx = "c", tec = "C", params = shape, streams = {}}}}}
)") << "the float3 Glow is another parameter";
  // An entry the numbers cannot go into does not stop the others.
  std::string mixed = "p = {{'Glow', 'float', g}, {'Glow', 'float', 1}}";
  EXPECT_EQ(Write(mixed, "Glow", "float", {2}), std::make_pair(1, 1));
  EXPECT_EQ(mixed, "p = {{'Glow', 'float', g}, {'Glow', 'float', 2}}");
}

TEST(MaterialText, TextTheScriptHostCannotReadIsLeftAlone) {
  const std::string entry = "\np = {{'Glow', 'float', 1}}\n";
  const std::pair<std::string, std::string> broken[] = {
      {"s = 'unfinished\n" + entry, "line 1: unfinished string"},
      {"s = 'no end" + entry, "line 1: unfinished string"},
      {"s = '\\300'" + entry, "line 1: escape sequence too large"},
      {"\n--[[ no end" + entry, "line 2: unfinished long comment"},
      {"s = [==[ no end ]=]" + entry, "line 1: unfinished long string"},
      {"s = [[ [[ ]]" + entry, "line 1: nesting of [[...]] is deprecated"},
      {"s = [= x" + entry, "line 1: invalid long string delimiter"},
      {"\r\n\r\nn = 3x" + entry, "line 3: malformed number near '3x'"},
      {"n = 1e" + entry, "line 1: malformed number near '1e'"},
  };
  for (const auto& text : broken) {
    std::string given = text.first;
    const ParameterWrite write = WriteParameterValue(given, "Glow", "float", {2});
    EXPECT_EQ(write.error, text.second) << text.first;
    EXPECT_EQ(write.written, 0);
    EXPECT_EQ(given, text.first);
  }
  // Numbers as the script host takes them, every one of them well formed.
  std::string numbers = "n = {0x1F, 1e-3, .5, 3., 2E+2, 0x1p4}" + entry;
  EXPECT_EQ(Write(numbers, "Glow", "float", {2}), std::make_pair(1, 0));
}

TEST(MaterialText, NumbersAreWrittenShortAndReadBackExactly) {
  for (float value : {0.0f, 1.0f, -2.5f, 0.1f, 1.0f / 3.0f, 1e-7f, 123456.789f, 10.0f, 200.0f, -3e6f, 1e30f}) {
    const std::string text = NumberText(value);
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
  }
  EXPECT_EQ(NumberText(0.5f), "0.5");
  EXPECT_EQ(NumberText(0.1f), "0.1");
  // Round numbers written out, as people write them, not as "1e+01".
  EXPECT_EQ(NumberText(10.0f), "10");
  EXPECT_EQ(NumberText(-300.0f), "-300");
  EXPECT_EQ(NumberText(1e30f), "1e+30");
}

}  // namespace
