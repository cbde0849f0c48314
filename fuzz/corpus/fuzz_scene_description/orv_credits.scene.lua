-- The credits: the demo's and the engine's names on the sofas' stage, lit by the ramp.
-- "Orv", "and" and "NEBLU" stand in one line on the floor and build themselves block by
-- block, a word on each of three bar lines, while the camera comes round the stage; in
-- the last two bars it pushes in and the light goes down with the final chord.
length = sections.credits.frames

-- Builds the word over one bar from the bar line `from`, and fades the light (all the
-- stage's objects share this curve) over the last two bars.
local function reveal(from)
  return {"Reveal", {1, 0}, {at(from), 0}, {at(from + 1), 1}, interpolation = "Linear"}
end
local fade = {"Fade", {1, 1}, {at(14), 1}, {at(16) + 1, 0}}
-- The words keep a glimmer to the last frame, so the demo ends on them, not on black.
local glimmer = {"Fade", {1, 1}, {at(14), 1}, {at(16) + 1, 0.2}}

objects = {
  sun({0.35, -0.55, -0.76}),
  flight("Camera", "Camera", {
    {1, {-4.6, 4.8, 0.8}, {-3.3, -1.2, 0.55}},
    {at(2), {-6.0, 6.4, 1.2}, {-4.1, 0, 0.65}},
    {at(4), {-4.2, 8.6, 1.5}, {-2, 0, 0.7}},
    {at(6), {-1, 10.5, 1.9}, {0.2, 0, 0.75}},
    {at(9), {2.5, 10.2, 2.3}, {0.6, 0, 0.8}},
    {at(12), {5, 9, 1.6}, {0.8, 0, 0.8}},
    {at(14), {1.5, 10, 1.3}, {0.2, 0, 0.8}},
    {at(16) + 1, {0, 9.3, 1.0}, {0, 0, 0.8}},
  }),
  {"Mesh", "creditA", location = {-4.42, 0, 0}, curves = {reveal(1), glimmer}},
  {"Mesh", "and", location = {-1.2, 0, 0}, curves = {reveal(3), glimmer}},
  {"Mesh", "creditB", location = {3.22, 0, 0}, curves = {reveal(5), glimmer}},
  -- The furniture behind the line of words, facing the camera.
  {"Mesh", "Sofa", location = {-1.3, -3.0, 0}, curves = {fade}},
  {"Mesh", "Sofa.001", location = {-7.4, -1.9, 0}, rotation = {0, 0, -0.6}, curves = {fade}},
  {"Mesh", "Post"},
}
