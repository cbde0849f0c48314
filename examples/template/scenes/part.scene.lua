-- The template's one part, 8 s (frames at 25 a second): a ring turning in front of the
-- camera, lit by the lamp, its colour sliding along with the "Hue" curve (a material
-- parameter of type "ipo" follows the object's curve of that name).
length = 200

-- The rotation that points a camera at `target` from `eye` (a camera looks along its
-- own +z with +y up; the world's z is up).
local function sub(a, b) return {a[1] - b[1], a[2] - b[2], a[3] - b[3]} end
local function cross(a, b) return {a[2] * b[3] - a[3] * b[2], a[3] * b[1] - a[1] * b[3], a[1] * b[2] - a[2] * b[1]} end
local function normalize(a)
  local length_ = math.sqrt(a[1] * a[1] + a[2] * a[2] + a[3] * a[3])
  return {a[1] / length_, a[2] / length_, a[3] / length_}
end
local function look_at(eye, target)
  local f = normalize(sub(target, eye))
  local r = normalize(cross({0, 0, 1}, f))
  local u = cross(f, r)
  return {math.atan2(u[3], f[3]), math.atan2(-r[3], math.sqrt(r[1] * r[1] + r[2] * r[2])), math.atan2(r[2], r[1])}
end

local eye = {0, -4.2, 1.6}
objects = {
  {"Lamp", "Lamp", location = {-3, -4, 5}, rotation = look_at({-3, -4, 5}, {0, 0, 0})},
  {"Camera", "Camera", location = eye, rotation = look_at(eye, {0, 0, 0})},
  {"Mesh", "Ring", curves = {
    {"RotZ", {1, 0}, {201, 36}, interpolation = "Linear"},
    {"RotX", {1, 0}, {101, 9}, {201, 0}},
    {"Hue", {1, 0}, {201, 1}, interpolation = "Linear"}}},
}
