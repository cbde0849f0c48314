#pragma once

// What the GL tests share: a device per test (skipped, saying why, where no EGL
// context can be made), small GLSL programs, targets and buffers, and pixel reads.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d10.h"
#include "platform/d3dx10.h"
#include "platform/d3d10/gl_program.h"

namespace gltest {

// Owns one COM reference.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  ~Ref() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Out() {
    Reset();
    return &p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

struct Vertex {
  float position[3];
  float color[4];
};

struct Rgba8 {
  std::uint8_t r, g, b, a;
  bool operator==(const Rgba8& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
std::ostream& operator<<(std::ostream& out, const Rgba8& c);

constexpr Rgba8 kRed{255, 0, 0, 255};
constexpr Rgba8 kGreen{0, 255, 0, 255};
constexpr Rgba8 kBlue{0, 0, 255, 255};
constexpr Rgba8 kClear{0, 0, 0, 0};

// position + colour in, colour out.
extern const char* const kColorVertexShader;
extern const char* const kColorPixelShader;

class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  struct Target {
    Ref<ID3D10Texture2D> texture;
    Ref<ID3D10RenderTargetView> view;
  };

  Ref<IGlslProgram> Program(const char* vertex, const char* pixel, const char* geometry = nullptr);
  void Use(IGlslProgram* program) { glsl_->SetGlslProgram(program); }
  void MakeTarget(Target* target, UINT width, UINT height, DXGI_FORMAT format = DXGI_FORMAT_R8G8B8A8_UNORM,
                  UINT samples = 1, UINT bind = D3D10_BIND_RENDER_TARGET | D3D10_BIND_SHADER_RESOURCE);
  Ref<ID3D10Buffer> MakeBuffer(UINT bind, const void* data, UINT bytes);
  // A default-usage buffer stream output can write and draws can read, `data` or nothing
  // in it.
  Ref<ID3D10Buffer> MakeStreamBuffer(UINT bytes, const void* data = nullptr);
  // A buffer's contents as floats, read back through GL.
  static std::vector<float> BufferFloats(ID3D10Buffer* buffer);
  // `target`, made width x height, cleared to nothing and bound alone, with its viewport.
  void DrawInto(Target* target, UINT width, UINT height);
  // The colour program's layout: POSITION (float3) then COLOR (float4), slot 0.
  Ref<ID3D10InputLayout> ColorLayout(IGlslProgram* program);
  void Viewport(UINT width, UINT height, INT x = 0, INT y = 0);
  // Draws triangles from a list of vertices (positions in clip space, w = 1).
  void DrawTriangles(const std::vector<Vertex>& vertices);
  void Draw(const std::vector<Vertex>& vertices, D3D10_PRIMITIVE_TOPOLOGY topology);
  std::vector<Rgba8> Pixels(ID3D10Texture2D* texture, UINT subresource = 0);
  std::vector<float> Floats(ID3D10Texture2D* texture, UINT subresource = 0);

  ID3D10Device* device_ = nullptr;
  IGlslDevice* glsl_ = nullptr;
  Ref<IGlslProgram> colorProgram_;
  Ref<ID3D10InputLayout> colorLayout_;
};

// Compares the colour of `pixels` (rows top first) with tests/gl/golden/<name>.png
// through the shared golden-image helper (actual and diff images on a mismatch,
// NEBLU_UPDATE_GOLDENS=1 to rewrite).
::testing::AssertionResult MatchesGolden(const std::string& name, const std::vector<Rgba8>& pixels, unsigned width,
                                         unsigned height, int tolerance = 2, unsigned maxBadPixels = 0);

}  // namespace gltest
