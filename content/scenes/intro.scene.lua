-- The white intro: the tile grid assembles to the beat inside its frame.
length = sections.intro.frames
objects = {
  sun({-0.3, 0.4, -0.85}),
  flight("Camera", "Camera", {{1, {0.5, -3.2, 1.6}, {0, 0, 0}}, {at(8) + 1, {-0.8, -2.6, 2.2}, {0, 0, 0}}}),
  {"Mesh", "Grid"},
  {"Mesh", "Frame"},
  {"Mesh", "Post"},
}
