#pragma once

// The switches for people working on the demo, read by the program beside the layer's:
//   -dev      player keys (Space, Left/Right, Page Up/Down), the time in the title, and
//             with a display the overlay (F1 hides and shows it)
//   -loop S E play from S to E seconds of music over and over
//   -watch    reload every kind of file the demo reads (effects, materials and templates,
//             meshes, images, demo files, scene descriptions, the start-up scripts) as soon
//             as it changes on disk
// Without them the program plays as it always has.

#include <string>
#include <vector>

struct AuthoringSwitches {
  bool dev = false;
  bool watch = false;
  bool loop = false;
  double loopStart = 0.0;
  double loopEnd = 0.0;
  bool Any() const { return dev || watch || loop; }
};

// False, with a message naming the switch in *error, for a -loop without two times or
// with an end not after its start.
bool ParseAuthoringSwitches(const std::vector<std::string>& arguments, AuthoringSwitches* out, std::string* error);

// This process's switches; a bad one ends the process with status 2, as the layer's do.
const AuthoringSwitches& ProcessAuthoringSwitches();
