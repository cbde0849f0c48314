-- A lit surface that takes no shadows (lit.fx, technique Plain). Materials
-- set Colour, Sky, Ground, Rim, Sunlight and SunColour material-wide.
template = {
  pass = {{fx = "lit", tec = "Plain", rendertarget = "Scene", depthtarget = "SceneDepth",
           params = {{"Colour", "float4", {0.8, 0.8, 0.8, 1}}, {"Sky", "float4", {0.35, 0.38, 0.45, 1}},
                     {"Ground", "float4", {0.12, 0.11, 0.1, 1}}, {"Rim", "float4", {0, 0, 0, 0}},
                     {"Sunlight", "float", 1}, {"SunColour", "float4", {1, 1, 1, 1}}},
           streams = {{"pos", "POSITION"}, {"normal", "NORMAL"}}}},
}
