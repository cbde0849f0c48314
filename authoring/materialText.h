#pragma once

// The overlay's "Save": a parameter's value written back into the text of the material
// script that gives it, everything else in the text (other lines, comments, spacing)
// kept as it was.

#include <string>
#include <vector>

struct ParameterWrite {
  int written = 0;     // entries that now hold the value
  int notNumbers = 0;  // entries of that name and type whose value is not plain numbers, left alone
  std::string error;   // set when nothing could be written at all: why
};

// Gives every parameter entry {NAME, TYPE, VALUE} of a material script's `text` the
// value `values`: one number for "float", a list of 2, 3 or 4 for "float2", "float3" and
// "float4". An entry is found where the script host would read one: never inside a
// comment or a string, names and types in any kind of Lua string, fields separated by
// ',' or ';'. Every entry of the name and type is written (the same name in two passes,
// a table of entries that several passes share): the panel's edit gives all of them the
// value, and the file must then give it as well. Only the numbers change; an entry whose
// VALUE is something else (an expression, a variable, too few numbers) is counted in
// notNumbers and left as it is. Nothing is written, with the reason in `error`, when the
// text is not Lua the script host could read or the values are not of the type.
ParameterWrite WriteParameterValue(std::string& text, const std::string& name, const std::string& type,
                                   const std::vector<float>& values);

// A number as the scripts write it: the shortest text that reads back as `value`.
std::string NumberText(float value);
