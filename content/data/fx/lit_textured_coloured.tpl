-- The surface of fx/lit.tpl with a base colour texture and vertex colours:
-- surface.fx, technique ShadowedTexturedColoured.
-- Takes the lamp's shadows.
-- Materials set Colour, Sky, Ground, Rim, Sunlight and SunColour material-wide,
-- and BaseColour (a "tex"), AddressU, AddressV (0 repeat, 1 clamp, 2 mirror) and Nearest.
template = {
  pass = {{fx = "surface", tec = "ShadowedTexturedColoured", rendertarget = "Scene", depthtarget = "SceneDepth",
           params = {{"Colour", "float4", {0.8, 0.8, 0.8, 1}}, {"Sky", "float4", {0.35, 0.38, 0.45, 1}},
                     {"Ground", "float4", {0.12, 0.11, 0.1, 1}}, {"Rim", "float4", {0, 0, 0, 0}},
                     {"Sunlight", "float", 1}, {"SunColour", "float4", {1, 1, 1, 1}},
                     {"BaseColour", "target", "none"}, {"AddressU", "int", 0}, {"AddressV", "int", 0},
                     {"Nearest", "bool", false}, {"ShadowMap", "target", "ShadowMap"}},
           streams = {{"pos", "POSITION"}, {"normal", "NORMAL"}, {"tex", "TEXCOORD"}}}},
}
