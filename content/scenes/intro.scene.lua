-- The white intro: the tile grid assembles to the beat inside its frame. The camera
-- starts low over the grid's corner and circles round it as it rises, to stand almost
-- straight above it for the last bar, when the complete grid pulses with the kick.
length = sections.intro.frames
objects = {
  sun({-0.35, 0.45, -0.82}),
  flight("Camera", "Camera", {
    {1, orbit(-120, 2.45, 0.62), {0.15, 0.15, 0}},
    {at(2), orbit(-100, 2.35, 0.95), {0.1, 0.1, 0}},
    {at(4), orbit(-75, 2.1, 1.5), {0, 0, 0}},
    {at(6), orbit(-50, 1.4, 2.5), {0, 0, 0}},
    {at(7), orbit(-35, 0.5, 3.2), {0, 0, 0}},
    {at(8) + 1, orbit(-25, 0.1, 3.45), {0, 0, 0}},
  }),
  {"Mesh", "Grid"},
  {"Mesh", "Frame"},
  post(flash_out(1, 1)),
}
