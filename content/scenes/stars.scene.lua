-- The star field: a planet in the dark, smoke drifting past.
length = sections.stars.frames
objects = {
  sun({0.6, 0.3, -0.2}),
  flight("Camera", "Camera", {{1, {0, -6, 0.5}, {0, 0, 0}}, {at(12) + 1, {3, -5, 1}, {0, 0, 0}}}),
  {"Mesh", "Stars"},
  {"Mesh", "Planet"},
  {"Mesh", "Smoke"},
  {"Mesh", "Post"},
}
