#pragma once

// The overlay's "Save": a parameter's value written back into the text of the material
// script that gives it, everything else in the text (other lines, comments, spacing)
// kept as it was.

#include <string>
#include <vector>

// Replaces the value of the first parameter entry {NAME, TYPE, VALUE} in a material
// script's `text` (names and types in single or double quotes, any spacing and line
// breaks, VALUE a number or a {...} list of numbers) by `values`: one number for
// "float", a list for "float2", "float3" and "float4". False, leaving `text` alone, when
// no such entry is there (the value comes from a template or the effect) or its value
// is not numbers of that count.
bool WriteParameterValue(std::string& text, const std::string& name, const std::string& type,
                         const std::vector<float>& values);

// A number as the scripts write it: the shortest text that reads back as `value`.
std::string NumberText(float value);
