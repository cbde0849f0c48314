-- The credits: the demo's and the engine's names on the sofas' stage, lit by the ramp.
-- "Orv", "and" and "NEBLU" stand in one line on the floor and build themselves block by
-- block, a word on each of three bar lines, each flashing as it completes, while the
-- camera cuts from word to word and the lamp sweeps over the stage. Built, the line
-- hops and pulses with the drums while the camera cuts on every other downbeat; in the
-- last two bars it pushes in and the light goes down with the final chord, the words
-- glimmering to the end.
length = sections.credits.frames

-- Builds the word over one bar from the bar line `from`, so it completes on the next.
local function reveal(from)
  return {"Reveal", {1, 0}, {at(from), 0}, {at(from + 1), 1}, interpolation = "Linear"}
end
local fade = {"Fade", {1, 1}, {at(14), 1}, {at(16) + 1, 0}}
-- The words keep a glimmer to the last frame, so the demo ends on them, not on black.
local glimmer = {"Fade", {1, 1}, {at(14), 1}, {at(16) + 1, 0.3}}
-- The kick plays every beat up to the final chord's; after that the words' pulse rests.
local kick = {"Kick", {1, 1}, {at(14) + beat, 1}, {at(14) + beat + 1, 0}, interpolation = "Linear"}
-- The blocks' own glimmer comes up with the final chord and outlasts the light.
local glint = {"Glint", {1, 0}, {at(14), 0}, {at(15), 1}, interpolation = "Linear"}
-- The words' colour moves along the ramp a phrase at a time, on the camera's cuts.
local tint = {"Tint", {1, 0}, {at(8), 0.06}, {at(10), -0.05}, {at(12), 0.09}, {at(14), 0},
              interpolation = "Constant"}

-- A word's blocks flash on each of the bar lines in `bars` and die away over a beat and a
-- half; the final chord's flash (bar 14) rings for a bar.
local function hits(bars)
  local curve = {"Hit", {1, 0}, interpolation = "Linear"}
  for i = 1, #bars do
    local t = at(bars[i])
    curve[#curve + 1] = {t - 1, 0}
    curve[#curve + 1] = {t, 1}
    curve[#curve + 1] = {t + (bars[i] == 14 and bar or beat * 1.5), 0}
  end
  return curve
end

-- The hop's crest runs along the whole line on each downbeat from bar 7 to bar 13, over
-- two beats, one way and back the next bar; at rest it waits beyond a line's end
-- (the words reach from x = -6.1 to 6.1), where it lifts nothing.
local wave = {"Wave", {1, -9}, interpolation = "Linear"}
for b = 7, 13 do
  local from = b % 2 == 1 and -9 or 9
  wave[#wave + 1] = {at(b), from}
  wave[#wave + 1] = {at(b) + 2 * beat, -from}
end

local function word(name, x, built, flashes)
  return {"Mesh", name, location = {x, 0, 0}, curves = {reveal(built), wave, glimmer, hits(flashes), kick, tint, glint}}
end

local tenDegrees = 18 / math.pi
local function nearest(a, reference)
  while a - reference > math.pi do a = a - 2 * math.pi end
  while reference - a > math.pi do a = a + 2 * math.pi end
  return a
end

-- The camera in shots with cuts between them: `shots` is a list of shots, each a list of
-- {frame, eye, target} keys; a shot's last key is where the next one begins, and there the
-- camera jumps. (flight's automatic handles would stop the camera at every key, and
-- slow it into each cut.) Inside a shot the camera passes through its keys at an even
-- pace and keeps its speed up to the cut; the last shot comes to `settle` of its speed
-- at the end, so the demo's last frames still drift.
local function shots(name, list, settle)
  local times, values, shot = {}, {}, {}
  for s = 1, #list do
    for k = 1, #list[s] do
      local key = list[s][k]
      local n = #times + 1
      -- A cut: the shot before holds to a hair before the next shot's first frame.
      times[n] = key[1] - ((k == #list[s] and s < #list) and 0.05 or 0)
      local r = look_at(key[2], key[3])
      if n > 1 then for i = 1, 3 do r[i] = nearest(r[i], values[n - 1][3 + i] / tenDegrees) end end
      values[n] = {key[2][1], key[2][2], key[2][3], r[1] * tenDegrees, r[2] * tenDegrees, r[3] * tenDegrees}
      shot[n] = s
    end
  end
  local count = #times
  local curves = {{"LocX"}, {"LocY"}, {"LocZ"}, {"RotX"}, {"RotY"}, {"RotZ"}}
  for c = 1, 6 do
    for n = 1, count do
      local t, v = times[n], values[n][c]
      local first = n == 1 or shot[n - 1] ~= shot[n]
      local last = n == count or shot[n + 1] ~= shot[n]
      local slope
      if first and last then
        slope = 0
      elseif first then
        slope = (values[n + 1][c] - v) / (times[n + 1] - t)
      elseif last then
        slope = (v - values[n - 1][c]) / (t - times[n - 1])
        if n == count then slope = slope * settle end
      else
        slope = (values[n + 1][c] - values[n - 1][c]) / (times[n + 1] - times[n - 1])
      end
      local left, right
      if n == 1 then
        left = {t - 1, v - slope}
      elseif first then
        -- Across a cut the value goes straight from the last shot's end to this start.
        left = {t - (t - times[n - 1]) / 3, v - (v - values[n - 1][c]) / 3}
      else
        left = {t - (t - times[n - 1]) / 3, v - slope * (t - times[n - 1]) / 3}
      end
      if n == count then
        right = {t + 1, v + slope}
      elseif last then
        right = {t + (times[n + 1] - t) / 3, v + (values[n + 1][c] - v) / 3}
      else
        right = {t + (times[n + 1] - t) / 3, v + slope * (times[n + 1] - t) / 3}
      end
      curves[c][n + 1] = {t, v, left = left, right = right}
    end
  end
  return {"Camera", name, location = list[1][1][2], rotation = look_at(list[1][1][2], list[1][1][3]), curves = curves}
end

-- The lamp, 50 units from the stage's centre, `azimuth` degrees round it (0 on +x,
-- counter-clockwise from above) and `elevation` up: it stands on the camera's side, so
-- the shadows fall back across the floor towards the sofas.
local centre = {0, -0.5, 0}
local function lamp(frame, azimuth, elevation)
  local a, e = azimuth * math.pi / 180, elevation * math.pi / 180
  return {frame, {centre[1] + 50 * math.cos(e) * math.cos(a), centre[2] + 50 * math.cos(e) * math.sin(a),
                  50 * math.sin(e)}, centre}
end

objects = {
  -- The lamp sweeps from the left to the right over the part, and sinks with the light
  -- in the last two bars, so the shadows swing round and lengthen.
  flight("Lamp", "Lamp", {
    lamp(1, 160, 42),
    lamp(at(4), 125, 52),
    lamp(at(8), 90, 48),
    lamp(at(12), 50, 50),
    lamp(at(14), 38, 44),
    lamp(at(16) + 1, 28, 30),
  }),
  shots("Camera", {
    -- The empty stage in the flash, gliding in on "Orv" as it builds.
    {{1, {-10.5, 6.5, 0.7}, {-5.5, 0, 0.5}},
     {at(1), {-9, 5.4, 1.0}, {-4.7, 0, 0.7}},
     {at(2), {-6.9, 4.7, 1.3}, {-4.3, 0, 0.75}},
     {at(3), {-4.2, 4.9, 1.7}, {-3.7, 0, 0.6}}},
    -- Low in front of "and", from the right.
    {{at(3), {1.6, 3.4, 0.45}, {-1.0, 0, 0.45}},
     {at(4), {-0.4, 3.2, 0.7}, {-1.5, 0, 0.45}},
     {at(5), {-2.6, 3.6, 1.1}, {-1.6, 0, 0.5}}},
    -- "NEBLU" from its right, pulling back as it builds.
    {{at(5), {7.0, 4.6, 0.6}, {3.4, 0, 0.8}},
     {at(6), {5.2, 6.6, 1.4}, {2.8, 0, 0.7}}},
    -- The whole line as it completes, craning up.
    {{at(6), {0.6, 8.6, 0.45}, {0.3, 0, 0.9}},
     {at(7), {-0.6, 9.6, 1.8}, {0.3, 0, 0.7}},
     {at(8), {-2.5, 10.5, 3.4}, {0.2, 0, 0.5}}},
    -- High, over the floor and its shadows, right to left.
    {{at(8), {8.5, 6.5, 6.5}, {1.5, -1, 0}},
     {at(10), {-6, 7.5, 6.0}, {-1.5, -1, 0}}},
    -- Low and close along the line, left to right.
    {{at(10), {-6.5, 4.6, 0.5}, {-3.0, 0, 0.8}},
     {at(11), {-2.5, 4.4, 0.55}, {0.8, 0, 0.8}},
     {at(12), {1.5, 4.8, 0.6}, {4.2, 0, 0.8}}},
    -- Round from the left.
    {{at(12), {-10, 4.5, 2.5}, {-1, 0, 0.6}},
     {at(13), {-7, 8, 2.0}, {0, 0, 0.7}},
     {at(14), {-3, 10, 1.6}, {0.5, 0, 0.7}}},
    -- The final chord: in on the line as the light goes down.
    {{at(14), {2.5, 11.5, 1.2}, {0.3, 0, 0.75}},
     {at(15), {1.3, 10.2, 1.0}, {0.3, 0, 0.75}},
     {at(16) + 1, {0.4, 8.9, 0.9}, {0.3, 0, 0.8}}},
  }, 0.3),
  word("creditA", -4.42, 1, {2, 6, 14}),
  word("and", -1.2, 3, {4, 6, 14}),
  word("creditB", 3.22, 5, {6, 14}),
  -- The furniture behind the line of words, facing the camera; the armchair carries the
  -- floor, which swells on the kick.
  {"Mesh", "Sofa", location = {-1.3, -3.0, 0}, curves = {fade}},
  {"Mesh", "Sofa.001", location = {-7.4, -1.9, 0}, rotation = {0, 0, -0.6}, curves = {fade, kick}},
  post(flash_in(1, 2)),
}
