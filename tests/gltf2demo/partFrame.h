#pragma once

// A glTF scene converted into the built demo as its first part and played headless: the
// helpers the gltf2demo frame tests share.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/scratch_dir.h"

namespace partframe {

// The built demo's data in DIR with the intro replaced by DIR/SCENE, converted with
// gltf2demo `options`; `write` puts the scene there, and by default writes the tests'
// scene as scene.gltf. gltf2demo's standard error goes to DIR/notes.txt.
::testing::AssertionResult ConvertIntoTheDemo(testing_support::ScratchDir& dir, const std::string& scene = "scene.gltf",
                                              const std::function<bool()>& write = nullptr,
                                              const std::string& options = "");

// The run's own log rows, after the style sheet.
std::string LogRows(testing_support::ScratchDir& dir);

// Plays the converted part from one second in for one frame at 320x180 and holds it to
// the golden picture NAME, with a log free of warnings and errors.
void PlaysAsItsGolden(testing_support::ScratchDir& dir, const std::string& name);

}  // namespace partframe
