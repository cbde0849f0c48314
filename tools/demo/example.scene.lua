-- An example scene description, and the description format's reference.
--   demowrite tools/demo/example.scene.lua example.demo
--   demoinfo example.demo
--
-- A description is a Lua 5.1 file that sets two globals; everything else it does (locals,
-- loops, functions) is its own business. There is no standard library inside it (no
-- print, string or io), only plain arithmetic and these helpers:
--   seconds(s)  s seconds in frames (s * 25)
--   degrees(d)  d degrees in radians, for an object's rotation
--   math.sin, math.cos, math.sqrt, math.floor, math.atan2(y, x), math.pi
--   sections    with demowrite --sections FILE, the soundtrack's sections:
--               sections.NAME.first and sections.NAME.frames, in frames
--
--   length  = FRAMES                 the scene's running time in frames, 25 per second (1 or more)
--   objects = { OBJECT, ... }        in file order; {} for none
--
-- OBJECT = { TYPE, NAME, mesh = ..., parent = ..., location = {x, y, z},
--            rotation = {x, y, z}, curves = { CURVE, ... } }
--   TYPE      "Mesh", "Lamp", "Camera"; any other word (say "Empty") holds a
--             transformation only
--   NAME      unique in the scene; what the demo looks the object up by
--   mesh      Mesh objects: the mesh file NAME.nbl in the folder <demo file>_scene/;
--             default: the object's NAME
--   parent    NAME of another object of the scene; default: none (top level)
--   location  in scene units; default {0, 0, 0}
--   rotation  Euler angles about x, y, z in radians; default {0, 0, 0}
--   curves    default: none. An object with curves is animated: its curves replace its
--             rest location and rotation channel by channel
--
-- CURVE = { CHANNEL, KEY, KEY, ..., interpolation = ..., extrapolation = ... }
--   CHANNEL        LocX, LocY, LocZ (scene units); RotX, RotY, RotZ and the deltas
--                  dRotX, dRotY, dRotZ (degrees / 10: 9 is a quarter turn); ScaleX,
--                  ScaleY, ScaleZ (factors); or a name the mesh's shaders read, such as
--                  Layer (above 1.1 the object and its children are not drawn)
--   interpolation  "Bezier" (default), "Linear" or "Constant" (steps)
--   extrapolation  "Constant" (default: hold the end keys), "Cyclic" (repeat the keys)
--                  or "Cyclic_extrapolation" (repeat, each pass going on from where the
--                  last one ended)
--
-- KEY = { TIME, VALUE, left = {time, value}, right = {time, value} }
--   TIME   in frames; frame 1 is the start of the scene, so a key at 1 + seconds(s)
--          plays s seconds in. Times must rise from key to key
--   left, right  the Bezier handles, written as the file stores them; each one left out
--          is made automatic, smoothed and clamped as a modelling tool does:
--          a third of the way in time to the neighbouring key, along the slope from the
--          previous key to the next, made flatter until the handle stays between the
--          key's value and the neighbour's (so peaks, troughs and the two end keys are
--          flat and nothing overshoots). A lone key's handles are flat, one frame out.
--          Linear and Constant curves store handles too, and ignore them
--
-- Values are written as the file stores them. The loader negates location z and LocZ
-- values of a camera's children, so write those as they should end up in the file.

length = seconds(10)

-- Both wheels of the cart turn the same way: a local function keeps the curve in one place.
local function wheel(name, x)
  return { "Mesh", name, mesh = "Wheel", parent = "Cart", location = {x, 0, 0.4},
           curves = { { "RotY", {1, 0}, {1 + seconds(2), 36}, interpolation = "Linear",
                        extrapolation = "Cyclic_extrapolation" } } }
end

objects = {
  { "Camera", "Camera", location = {0, -12, 3}, rotation = {degrees(80), 0, 0},
    curves = {
      { "LocX", {1, -4}, {1 + seconds(5), 0}, {length, 4} },
      { "LocZ", {1, 3}, {length, 2.5, left = {length - 50, 3}} },
    } },
  { "Lamp", "Sun", location = {5, -5, 10} },
  { "Empty", "Cart", location = {-3, 0, 0},
    curves = { { "LocX", {1, -3}, {length, 3} } } },
  { "Mesh", "Body", parent = "Cart", location = {0, 0, 1} },
  wheel("FrontWheel", 1.2),
  wheel("BackWheel", -1.2),
  { "Mesh", "Sign", rotation = {0, 0, degrees(90)},
    curves = { { "Layer", {1, 0}, {1 + seconds(8), 2}, interpolation = "Constant" } } },
}
