-- The star field: the breakdown floats. The camera drifts slowly towards a planet lit
-- from behind, through smoke that streams past; the sky's shell is turned on its side
-- so that the half of it that has stars lies ahead of the camera.
length = sections.stars.frames
objects = {
  sun({0.45, -0.85, -0.25}),
  flight("Camera", "Camera", {
    {1, {-1.5, -3, 0.6}, {4.9, 8, 0.5}},
    {at(4), {-0.8, -2.3, 1.1}, {4.3, 8, 0.6}},
    {at(8), {0.6, -1.4, 0.45}, {3.6, 8, 0.05}},
    {at(12) + 1, {1.6, -0.3, 0.9}, {3.0, 8, 0.3}},
  }),
  {"Mesh", "Stars", rotation = {-math.pi / 2, 0, 0}},
  {"Mesh", "Planet", location = {2.6, 9, 0}},
  -- The smoke's light swells into the snare roll of the last bar.
  {"Mesh", "Smoke", curves = {{"Swell", {1, 0}, {at(10), 0}, {at(11), 0.35}, {at(12) + 1, 1}}}},
  {"Mesh", "Post"},
}
