-- Helpers every part's description shares (run first by demowrite --prelude).
-- The engine's conventions, which these helpers hide:
--   * the world is z up; a camera looks along its local +z, with its local +y up, and
--     its local +x to the right (so looking along -y, world +x is on the right);
--   * rotations are x, then y, then z, in radians at rest and in units of ten degrees in
--     Rot curves;
--   * key frames count from 1: the part starts at frame 1.

bar = 48   -- frames a bar at 125 beats a minute, 25 frames a second
beat = 12

-- Frame number, within its part, of a time in bars from the part's start.
function at(bars) return 1 + bars * bar end

local function sub(a, b) return {a[1] - b[1], a[2] - b[2], a[3] - b[3]} end
local function cross(a, b) return {a[2] * b[3] - a[3] * b[2], a[3] * b[1] - a[1] * b[3], a[1] * b[2] - a[2] * b[1]} end
local function normalize(a)
  local l = math.sqrt(a[1] * a[1] + a[2] * a[2] + a[3] * a[3])
  return {a[1] / l, a[2] / l, a[3] / l}
end

-- The rotation {x, y, z} (radians) that points a camera at `target` from `eye`, level
-- with the world's z. The view must not be straight up or down.
function look_at(eye, target)
  local f = normalize(sub(target, eye))
  local r = normalize(cross({0, 0, 1}, f))
  local u = cross(f, r)
  return {math.atan2(u[3], f[3]), math.atan2(-r[3], math.sqrt(r[1] * r[1] + r[2] * r[2])), math.atan2(r[2], r[1])}
end

local tenDegrees = 18 / math.pi  -- radians to the unit of Rot curves, ten degrees

-- Adds to `a` (radians) the whole turns that bring it nearest `reference`.
local function nearest(a, reference)
  while a - reference > math.pi do a = a - 2 * math.pi end
  while reference - a > math.pi do a = a + 2 * math.pi end
  return a
end

-- A camera (or any object) flown through `keys`: a list of {frame, eye, target}. Returns
-- the object with Loc and Rot curves, the angles unwrapped so that it never spins.
-- `extra.parent`, when given, parents it.
function flight(kind, name, keys, extra)
  local curves = {{"LocX"}, {"LocY"}, {"LocZ"}, {"RotX"}, {"RotY"}, {"RotZ"}}
  local previous
  for k = 1, #keys do
    local key = keys[k]
    local r = look_at(key[2], key[3])
    if previous then for i = 1, 3 do r[i] = nearest(r[i], previous[i]) end end
    previous = r
    for i = 1, 3 do
      curves[i][k + 1] = {key[1], key[2][i]}
      curves[3 + i][k + 1] = {key[1], r[i] * tenDegrees}
    end
  end
  local object = {kind, name, location = keys[1][2], rotation = look_at(keys[1][2], keys[1][3]), curves = curves}
  if extra then object.parent = extra.parent end
  return object
end

-- The part's lamp: a sun from `direction` (pointing the way the light travels).
function sun(direction)
  return {"Lamp", "Lamp", location = {-direction[1] * 50, -direction[2] * 50, -direction[3] * 50},
          rotation = look_at({0, 0, 0}, direction)}
end

-- A point `radius` from the z axis at `degrees` round it (0 on +x, counter-clockwise
-- seen from above), `height` up: camera paths that circle a centre.
function orbit(degrees_, radius, height)
  local a = degrees_ * math.pi / 180
  return {radius * math.cos(a), radius * math.sin(a), height}
end

-- Appends the elements of `more` to the list `list` and returns it.
function append(list, more)
  for i = 1, #more do list[#list + 1] = more[i] end
  return list
end

-- The part's "Post" object, which brings in the post chain, with its flashes: `keys` is a
-- list of {frame, amount, tint}; the whole picture goes `amount` of the way to the grey
-- level `tint` (0 black, 1 white), straight from key to key, holding the tint until the
-- next key. Parts switch on a flash: the part before rises into it on its last beat, the
-- next starts on it and lets it go.
function post(keys)
  local flash = {"Flash", interpolation = "Linear"}
  local tint = {"FlashTint", interpolation = "Constant"}
  if #keys == 0 or keys[1][1] > 1 then
    flash[2] = {1, 0}
    tint[2] = {1, 1}
  end
  for k = 1, #keys do
    flash[#flash + 1] = {keys[k][1], keys[k][2]}
    tint[#tint + 1] = {keys[k][1], keys[k][3]}
  end
  return {"Mesh", "Post", curves = {flash, tint}}
end

-- Flash keys for a part's first downbeat: all `tint`, let go over `beats` beats.
function flash_in(tint, beats) return {{1, 1, tint}, {1 + beats * beat, 0, tint}} end
-- Flash keys for the downbeat after a part's last frame (its length): rising into all
-- `tint` over the last `beats` beats, so the next part's flash_in goes on from it.
function flash_out(tint, beats)
  return {{length + 1 - beats * beat, 0, tint}, {length + 1, 1, tint}}
end
