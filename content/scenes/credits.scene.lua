-- The credits: the demo's and the engine's names on the sofas' stage, lit by the ramp.
length = sections.credits.frames
objects = {
  sun({0.2, -0.5, -0.84}),
  flight("Camera", "Camera", {{1, {0, 9, 2}, {0, 0, 1}}, {at(16) + 1, {2, 7, 1.5}, {0, 0, 1}}}),
  {"Mesh", "creditA", location = {0, 0, 2}},
  {"Mesh", "and", location = {0, 0, 1}},
  {"Mesh", "creditB", location = {0, 0, 0}},
  {"Mesh", "Sofa", location = {-2, -2, 0}},
  {"Mesh", "Sofa.001", location = {2, -2, 0}},
  {"Mesh", "Post"},
}
