-- A part's "Post" object: drawn with the scene only to bring in the post-processing chain.
template = {
  pass = {{fx = "post", tec = "Trigger", rendertarget = "Scene", depthtarget = "SceneDepth", params = {},
           streams = {{"pos", "POSITION"}}}},
}
