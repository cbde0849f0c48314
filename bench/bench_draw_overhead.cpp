// What the device layer costs over plain GL: the same 1,000 small meshes (own vertex
// and index buffers each), the same program, the same target, drawn once through the
// device's calls and once through GL directly. The baseline speaks GL itself, the one
// place outside platform/ that does, because measuring against GL needs GL.
//
//   build/bench/bench_draw_overhead
// The ratio of the two frame times is the layer's overhead (target: under 1.10).

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/d3d10.h"
#include "platform/d3d10/gl_program.h"

namespace {

constexpr int kMeshes = 1000;
constexpr UINT kSize = 256;

const char* const kVertex = R"(#version 450
layout(location = 0) in vec3 POSITION;
layout(location = 1) in vec4 COLOR;
out vec4 color;
void main() { gl_Position = vec4(POSITION, 1.0); color = COLOR; }
)";
const char* const kPixel = R"(#version 450
in vec4 color;
layout(location = 0) out vec4 target0;
void main() { target0 = color; }
)";

struct Vertex {
  float position[3];
  float color[4];
};

// Everything both variants draw with, made through the device.
struct Scene {
  ID3D10Device* device = nullptr;
  IGlslDevice* glsl = nullptr;
  IGlslProgram* program = nullptr;
  ID3D10InputLayout* layout = nullptr;
  ID3D10Texture2D* target = nullptr;
  ID3D10RenderTargetView* view = nullptr;
  std::vector<ID3D10Buffer*> vertexBuffers, indexBuffers;

  bool Create() {
    if (FAILED(D3D10CreateDevice(nullptr, D3D10_DRIVER_TYPE_HARDWARE, nullptr, 0, D3D10_SDK_VERSION, &device))) {
      return false;
    }
    device->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&glsl));
    glsl->CreateGlslProgram(kVertex, nullptr, kPixel, &program);
    const D3D10_INPUT_ELEMENT_DESC elements[] = {
        {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D10_INPUT_PER_VERTEX_DATA, 0},
        {"COLOR", 0, DXGI_FORMAT_R32G32B32A32_FLOAT, 0, 12, D3D10_INPUT_PER_VERTEX_DATA, 0}};
    const void* signature = nullptr;
    SIZE_T size = 0;
    program->GetInputSignature(&signature, &size);
    device->CreateInputLayout(elements, 2, signature, size, &layout);
    D3D10_TEXTURE2D_DESC desc = {kSize, kSize, 1, 1, DXGI_FORMAT_R8G8B8A8_UNORM, {1, 0}, D3D10_USAGE_DEFAULT,
                                 D3D10_BIND_RENDER_TARGET, 0, 0};
    device->CreateTexture2D(&desc, nullptr, &target);
    device->CreateRenderTargetView(target, nullptr, &view);
    // A 10x10-pixel quad per mesh, spread over the target.
    for (int i = 0; i < kMeshes; ++i) {
      const float x = -1.0f + 2.0f * (i % 25) / 25.0f, y = -1.0f + 2.0f * (i / 25) / 40.0f, s = 0.07f;
      const float c = static_cast<float>(i) / kMeshes;
      const Vertex vertices[4] = {{{x, y + s, 0.5f}, {c, 0, 1, 1}}, {{x + s, y + s, 0.5f}, {c, 1, 0, 1}},
                                  {{x + s, y, 0.5f}, {1, c, 0, 1}}, {{x, y, 0.5f}, {0, c, 1, 1}}};
      const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
      D3D10_BUFFER_DESC vb = {sizeof vertices, D3D10_USAGE_IMMUTABLE, D3D10_BIND_VERTEX_BUFFER, 0, 0};
      D3D10_BUFFER_DESC ib = {sizeof indices, D3D10_USAGE_IMMUTABLE, D3D10_BIND_INDEX_BUFFER, 0, 0};
      D3D10_SUBRESOURCE_DATA vd = {vertices, 0, 0}, id = {indices, 0, 0};
      ID3D10Buffer* v = nullptr;
      ID3D10Buffer* ix = nullptr;
      device->CreateBuffer(&vb, &vd, &v);
      device->CreateBuffer(&ib, &id, &ix);
      vertexBuffers.push_back(v);
      indexBuffers.push_back(ix);
    }
    return program && layout && view;
  }

  ~Scene() {
    for (ID3D10Buffer* b : vertexBuffers) b->Release();
    for (ID3D10Buffer* b : indexBuffers) b->Release();
    for (IUnknown* o : std::initializer_list<IUnknown*>{view, target, layout, program, glsl, device}) {
      if (o) o->Release();
    }
  }
};

void ThroughTheLayer(benchmark::State& state) {
  Scene scene;
  if (!scene.Create()) {
    state.SkipWithError("no EGL device");
    return;
  }
  ID3D10Device* device = scene.device;
  const float clear[4] = {0, 0, 0, 1};
  const D3D10_VIEWPORT viewport = {0, 0, kSize, kSize, 0.0f, 1.0f};
  const UINT stride = sizeof(Vertex), offset = 0;
  for (auto _ : state) {
    device->OMSetRenderTargets(1, &scene.view, nullptr);
    device->RSSetViewports(1, &viewport);
    device->ClearRenderTargetView(scene.view, clear);
    scene.glsl->SetGlslProgram(scene.program);
    device->IASetInputLayout(scene.layout);
    device->IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    for (int i = 0; i < kMeshes; ++i) {
      device->IASetVertexBuffers(0, 1, &scene.vertexBuffers[i], &stride, &offset);
      device->IASetIndexBuffer(scene.indexBuffers[i], DXGI_FORMAT_R16_UINT, 0);
      device->DrawIndexed(6, 0, 0);
    }
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kMeshes);
}

void PlainGl(benchmark::State& state) {
  Scene scene;
  if (!scene.Create()) {
    state.SkipWithError("no EGL device");
    return;
  }
  // The device made its context current when it created the scene.
  GLuint framebuffer = 0, vao = 0;
  glCreateFramebuffers(1, &framebuffer);
  glNamedFramebufferTexture(framebuffer, GL_COLOR_ATTACHMENT0, platform::GlNameOf(scene.target), 0);
  glCreateVertexArrays(1, &vao);
  glEnableVertexArrayAttrib(vao, 0);
  glEnableVertexArrayAttrib(vao, 1);
  glVertexArrayAttribFormat(vao, 0, 3, GL_FLOAT, GL_FALSE, 0);
  glVertexArrayAttribFormat(vao, 1, 4, GL_FLOAT, GL_FALSE, 12);
  glVertexArrayAttribBinding(vao, 0, 0);
  glVertexArrayAttribBinding(vao, 1, 0);
  std::vector<GLuint> vbs, ibs;
  for (int i = 0; i < kMeshes; ++i) {
    vbs.push_back(platform::GlNameOf(scene.vertexBuffers[i]));
    ibs.push_back(platform::GlNameOf(scene.indexBuffers[i]));
  }
  const GLuint program = platform::GlNameOf(scene.program);
  const float clear[4] = {0, 0, 0, 1};
  for (auto _ : state) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kSize, kSize);
    glClearNamedFramebufferfv(framebuffer, GL_COLOR, 0, clear);
    glUseProgram(program);
    glBindVertexArray(vao);
    for (int i = 0; i < kMeshes; ++i) {
      glVertexArrayVertexBuffer(vao, 0, vbs[i], 0, sizeof(Vertex));
      glVertexArrayElementBuffer(vao, ibs[i]);
      glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * kMeshes);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindVertexArray(0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteVertexArrays(1, &vao);
}

BENCHMARK(PlainGl)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ThroughTheLayer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
