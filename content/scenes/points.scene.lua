-- The white points part: the spectrum drives the grid's rings, the cube field, the
-- bubbles and flashes, and the electric spiral.
length = sections.points.frames
objects = {
  sun({-0.3, 0.4, -0.85}),
  flight("Camera", "Camera", {{1, {0, -16, 7}, {0, 0, 0}}, {at(20) + 1, {10, -10, 5}, {0, 0, 0}}}),
  {"Mesh", "Cube"},
  {"Mesh", "Cubes"},
  {"Mesh", "Bubbles"},
  {"Mesh", "Flashes"},
  {"Mesh", "Electric"},
  {"Mesh", "Post"},
}
