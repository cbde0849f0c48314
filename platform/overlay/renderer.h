#pragma once

// Draws the overlay's UI (ImGui draw lists) on the current GL 4.5 core context.
//
// One program, the font atlas as one RGBA8 texture (the atlas's texture id is then the GL
// texture name, and so is any other ImTextureID drawn), one vertex and one index buffer
// that grow as a frame needs, one vertex array. Draw leaves every piece of GL state it
// changes as it found it: the device that shares the context keeps its own record of
// that state and never looks again.
//
// Owned by whoever draws (the Overlay); every call, destruction included, needs the
// context it was made in to be current. Abandon() is for when that context has gone.

#include <cstddef>
#include <memory>
#include <string>

struct ImDrawData;
struct ImGuiIO;

namespace platform {

class OverlayRenderer {
 public:
  // Builds the GL objects on the current context, uploads io's font atlas (built now if it
  // is not yet) naming the texture as the atlas's id, and tells io what this renderer
  // can draw. Null, with the reason in *error, when the program cannot be built.
  static std::unique_ptr<OverlayRenderer> Create(ImGuiIO& io, std::string* error);
  ~OverlayRenderer();
  OverlayRenderer(const OverlayRenderer&) = delete;
  OverlayRenderer& operator=(const OverlayRenderer&) = delete;

  // Draws into the bound draw framebuffer, whose size is the data's display size times
  // its framebuffer scale, alpha-blended over what is there. A null texture id draws
  // with the font atlas.
  void Draw(const ImDrawData& data);

  // Forgets the GL objects without deleting them: their context is gone or going with
  // them.
  void Abandon();

  unsigned FontTexture() const { return fontTexture_; }

 private:
  OverlayRenderer() = default;
  bool Build(ImGuiIO& io, std::string* error);
  void Release();
  void SetUpState(const ImDrawData& data, int framebufferWidth, int framebufferHeight);

  unsigned program_ = 0;
  unsigned fontTexture_ = 0;
  unsigned sampler_ = 0;
  unsigned vertexArray_ = 0;
  unsigned vertexBuffer_ = 0;
  unsigned indexBuffer_ = 0;
  std::ptrdiff_t vertexCapacity_ = 0;  // bytes
  std::ptrdiff_t indexCapacity_ = 0;   // bytes
};

}  // namespace platform
