-- A part's "Post" object: drawn with the scene only to bring in the post-processing chain.
-- Its Flash and FlashTint curves (post() in content/scenes/common.lua) flash the picture.
template = {
  pass = {{fx = "post", tec = "Trigger", rendertarget = "Scene", depthtarget = "SceneDepth",
           params = {{"Flash", "ipo", ""}, {"FlashTint", "ipo", ""}},
           streams = {{"pos", "POSITION"}}}},
}
