-- The night city: a moonlit block with lit windows under the stars, the camera gliding
-- in low between the towers and rising over the roofs.
length = sections.city.frames
objects = {
  sun({0.45, 0.6, -0.66}),
  flight("Camera", "Camera", {
    {1, {-26, -30, 6}, {0, 0, 4}},
    {at(6), {-6, -22, 3.5}, {2, 4, 5}},
    {at(12), {14, -14, 8}, {0, 2, 4}},
    {at(16) + 1, {24, 10, 22}, {0, 0, 2}},
  }),
  {"Mesh", "Cube"},
  {"Mesh", "Ground"},
  {"Mesh", "Sofa", location = {-18.5, -19.5, 0}, rotation = {0, 0, degrees(-40)}},
  {"Mesh", "Stars"},
  post(append(flash_in(1, 2), flash_out(0, 1))),
}
