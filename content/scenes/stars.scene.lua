-- The star field: the breakdown. The camera comes in from far out through the smoke,
-- sweeps close past the planet's night side and swings round behind it until the planet
-- hides the sun, its rim rising into the flash that opens the credits. The sky's shell
-- is turned on its side so that the half of it that has stars lies ahead of the camera.
length = sections.stars.frames

local planet = {2.6, 9, 0}

-- A camera key circling the planet: `degrees_` round it (0 on +x, counter-clockwise seen
-- from above; the sun is behind the planet from about 307), `distance` from its centre
-- and `height` above it. `side` moves the aim to the right by that fraction of the
-- distance, putting the planet left of centre (negative: right of centre).
local function key(frame, degrees_, distance, height, side)
  local a = degrees_ * math.pi / 180
  local eye = {planet[1] + distance * math.cos(a), planet[2] + distance * math.sin(a), planet[3] + height}
  local right = {math.sin(a), -math.cos(a)}
  local target = {planet[1] + right[1] * side * distance, planet[2] + right[2] * side * distance, planet[3]}
  return {frame, eye, target}
end

-- The downbeats: with no kick in this part, the bar lines show as a glow that breaks
-- over the planet's rim (and the smoke round it) and ebbs over the bar.
local pulse = {"Pulse", interpolation = "Linear"}
for b = 0, 11 do
  pulse[#pulse + 1] = {at(b), 1}
  pulse[#pulse + 1] = {at(b) + beat, 0.4}
  pulse[#pulse + 1] = {at(b + 1) - 1, 0}
end

-- The roll in the last bars: the smoke's light and the planet's glow swell into it.
local swell = {"Swell", {1, 0}, {at(10), 0}, {at(11), 0.35}, {at(12) + 1, 1}}

objects = {
  sun({0.45, -0.85, -0.25}),
  flight("Camera", "Camera", {
    -- Keyed half a bar before the part, so that the camera is already under way as the
    -- picture comes up out of the black.
    key(1 - 2 * beat, 234, 16, 2.7, -0.27),
    key(at(2), 244, 11.5, 1.8, -0.15),
    key(at(4), 254, 8, 0.9, 0.1),
    key(at(6), 266, 5.6, 0.3, 0.45),
    key(at(8), 281, 7.2, -0.6, -0.25),
    key(at(10), 292, 8, -1.6, -0.05),
    key(at(12) + 1, 304, 9.5, -2.6, 0),
  }),
  {"Mesh", "Stars", rotation = {-math.pi / 2, 0, 0}},
  {"Mesh", "Planet", location = planet,
   curves = {pulse, swell, {"RotZ", {1, 0}, {at(12) + 1, 14}, interpolation = "Linear"}}},
  {"Mesh", "Smoke", curves = {pulse, swell}},
  post(append(flash_in(0, 2), flash_out(1, 1))),
}
