-- Casts the lamp's shadow: depth into the three cascades of ShadowMap.
template = {
  pass = {{fx = "shadow", tec = "Cascades", rendertarget = "null", depthtarget = "ShadowMap", instances = 3,
           params = {}, streams = {{"pos", "POSITION"}}}},
}
