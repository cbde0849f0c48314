// The overlay's "Save": a parameter's value written into a material script's text, the
// rest of the text as it was.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/authoring/materialText.h"

namespace {

const std::string kMaterial = R"(-- The block: its colour and its glow.
effect = {
  {template = "fx/lit.tpl",
   params = {{"Colour", "float4", {0.25, 0.5, 0.75, 1}},  -- the walls
             {'Glow', 'float', 0.5},
             { "Offset" ,"float2",  { 1 , 2 } }}},
}
)";

TEST(MaterialText, ValuesAreReplacedInPlaceWithEverythingElseKept) {
  std::string text = kMaterial;
  ASSERT_TRUE(WriteParameterValue(text, "Colour", "float4", {1, 0.125f, 0, 1}));
  ASSERT_TRUE(WriteParameterValue(text, "Glow", "float", {2}));
  ASSERT_TRUE(WriteParameterValue(text, "Offset", "float2", {-3, 0.1f}));
  EXPECT_EQ(text, R"(-- The block: its colour and its glow.
effect = {
  {template = "fx/lit.tpl",
   params = {{"Colour", "float4", {1, 0.125, 0, 1}},  -- the walls
             {'Glow', 'float', 2},
             { "Offset" ,"float2",  {-3, 0.1} }}},
}
)");
}

TEST(MaterialText, ValuesTheTextDoesNotGiveAreLeftAlone) {
  std::string text = kMaterial;
  // Given by the template, or not of that type, or not that many numbers.
  EXPECT_FALSE(WriteParameterValue(text, "Shine", "float", {1}));
  EXPECT_FALSE(WriteParameterValue(text, "Colour", "float3", {1, 1, 1}));
  EXPECT_FALSE(WriteParameterValue(text, "Colour", "float4", {1, 1, 1}));
  EXPECT_FALSE(WriteParameterValue(text, "Glow", "int", {1}));
  std::string named = "params = {{\"Colour\", \"float4\", {Red, 0, 0, 1}}}";
  EXPECT_FALSE(WriteParameterValue(named, "Colour", "float4", {1, 0, 0, 1}));
  std::string cut = "params = {{\"Colour\", \"float4\", {1, 0,";
  EXPECT_FALSE(WriteParameterValue(cut, "Colour", "float4", {1, 0, 0, 1}));
  EXPECT_EQ(text, kMaterial);
}

TEST(MaterialText, NumbersAreWrittenShortAndReadBackExactly) {
  for (float value : {0.0f, 1.0f, -2.5f, 0.1f, 1.0f / 3.0f, 1e-7f, 123456.789f}) {
    const std::string text = NumberText(value);
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
  }
  EXPECT_EQ(NumberText(0.5f), "0.5");
  EXPECT_EQ(NumberText(0.1f), "0.1");
}

}  // namespace
