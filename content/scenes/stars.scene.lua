-- The star field: the breakdown floats. The camera drifts slowly towards a planet lit
-- from behind, through smoke that streams past; the sky's shell is turned on its side
-- so that the half of it that has stars lies ahead of the camera.
length = sections.stars.frames
objects = {
  sun({-0.7, -0.55, -0.2}),
  flight("Camera", "Camera", {
    {1, {-1.5, -3, 0.6}, {1.4, 8, 0.1}},
    {at(4), {-0.6, -2.2, 0.95}, {1.9, 8, 0.25}},
    {at(8), {0.6, -1.3, 0.55}, {2.3, 8, -0.05}},
    {at(12) + 1, {1.5, -0.2, 0.9}, {2.6, 8, 0.2}},
  }),
  {"Mesh", "Stars", rotation = {-math.pi / 2, 0, 0}},
  {"Mesh", "Planet", location = {2.6, 9, 0}},
  {"Mesh", "Smoke"},
  {"Mesh", "Post"},
}
