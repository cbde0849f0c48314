-- The white points part: the spectrum drives the grid's rings, the cube field falls in
-- and bounces on the kick, bubbles and flashes pop on the snare from bar 8 and the
-- electric spiral grows from bar 14. Three camera moves, turning on bars 8 and 14:
--   bars 0-8    from straight above (where the intro left off) down into a wide sweep
--   bars 8-14   a low pass round the centre, among the bubbles
--   bars 14-20  up and round the spiral, pulling out over the whole field
length = sections.points.frames
objects = {
  sun({-0.35, 0.45, -0.82}),
  flight("Camera", "Camera", {
    {1, orbit(-25, 0.24, 8.4), {0, 0, 0}},
    {at(2), orbit(-35, 1.5, 8.7), {0, 0, 0}},
    {at(4), orbit(-55, 5, 6.5), {0, 0, 0}},
    {at(6), orbit(-80, 8, 4.5), {0, 0, 0.3}},
    {at(8), orbit(-100, 7, 2.4), {0, 0, 0.5}},
    {at(10), orbit(-140, 4.6, 1.7), {0, 0, 0.6}},
    {at(12), orbit(-185, 4.0, 1.6), {0, 0, 0.7}},
    {at(14), orbit(-230, 4.4, 1.6), {0, 0, 1.0}},
    {at(16), orbit(-285, 5.2, 2.6), {0, 0, 1.3}},
    {at(18), orbit(-335, 6.4, 4.2), {0, 0, 1.1}},
    {at(20) + 1, orbit(-375, 8.5, 6.5), {0, 0, 0.8}},
  }),
  {"Mesh", "Cube"},
  {"Mesh", "Cubes"},
  {"Mesh", "Flashes"},
  {"Mesh", "Bubbles"},
  {"Mesh", "Electric"},
  post(append(flash_in(1, 2), flash_out(1, 1))),
}
