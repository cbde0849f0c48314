// One renderer frame of 200 objects whose materials have two passes each (400 slots),
// at 1280x720 on a headless device:
//   - BM_FrameCpuRecording: the engine's own CPU cost (walk, slots, batching, semantics,
//     parameter writes), with the device calls going to a recording device that draws
//     nothing;
//   - BM_FrameLlvmpipe: the same frame drawn and presented on llvmpipe;
//   - BM_FramePlainGl: the same frame as plain GL: the programs, constants and states
//     the engine's passes drew with, one uniform buffer write and one vertex array per
//     draw, no engine in between;
//   - BM_FrameEngineVsPlainGl: the two alternating in blocks of frames within one loop,
//     so both see the same machine load; the last line printed is their ratio.
//
//   build/bench/bench_renderer
// Run from any folder: the benchmark writes its content into a temporary one.

#include <benchmark/benchmark.h>
#include <boost/filesystem.hpp>
#include <boost/make_shared.hpp>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/plain_gl.h"

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/Shader.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"
#include "platform/d3d10/gl_program.h"
#include "platform/d3d10/recording.h"
#include "platform/win32.h"

namespace {

constexpr int kObjects = 200;

const char* const kEffect = R"(
shared cbuffer Frame { float4x4 View : View; float4x4 Projection : Projection; float Time : Time; };
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);
float Scale = 1;
float4 VS(float3 position : POSITION) : SV_Position { return mul(float4(position * 0.02 * Scale, 1), World); }
float4 PS() : SV_Target { return Tint; }
technique10 Base { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 Glow { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL);
  SetPixelShader(CompileShader(ps_4_0, PS())); } }
)";

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The engine's window, a renderer under key 10, and the scene, made once.
struct Scene {
  boost::filesystem::path previous = boost::filesystem::current_path();
  boost::filesystem::path root = boost::filesystem::temp_directory_path() / boost::filesystem::unique_path();
  engine::core::CScreen* screen = nullptr;
  engine::gfx::Renderer* renderer = nullptr;
  bool ok = false;

  Scene() {
    boost::filesystem::create_directories(root / "data/fx");
    boost::filesystem::current_path(root);
    engine::core::SetLoggingSwitch(false);
    platform::ForceHeadless(true);
    const std::string frame = "shared cbuffer Frame { float4x4 View : View; float4x4 Projection : Projection; float Time : Time; };\n";
    Write("data/fx/_shared.fx", frame);
    Write("data/fx/bench.fx", kEffect);
    Write("data/wireframe.efx", "effect = { { pass = { { fx = 'bench', tec = 'Base', params = {}, streams = {} } } } }\n");
    Write("data/object.efx",
          "effect = { { pass = {\n"
          "  { fx = 'bench', tec = 'Base', params = { { 'Tint', 'float4', { 1, 0.5, 0.2, 1 } }, { 'Scale', 'float', 1 } },"
          " streams = { { 'pos', 'POSITION' } } },\n"
          "  { fx = 'bench', tec = 'Glow', priority = 1, params = { { 'Tint', 'float4', { 0.1, 0.1, 0.1, 1 } } },"
          " streams = { { 'pos', 'POSITION' } } },\n"
          "} } }\n");
    engine::WindowSettings settings;
    settings.width = 1280;
    settings.height = 720;
    screen = new engine::core::CScreen();
    try {
      screen->Init(settings);
      renderer = new engine::gfx::Renderer();
      engine::core::Kernel::Get()->AddModule(renderer, 10);
      engine::gfx::Node* root_ = renderer->SceneNode();
      for (int i = 0; i < kObjects; ++i) {
        auto mesh = boost::make_shared<engine::gfx::Mesh>(new engine::gfx::LoadNBLMesh(L"data/quad.nbl"),
                                                          engine::gfx::EffectPool::Get()->BuildEffect("data/object.efx"));
        engine::core::ResourceManager::Get()->AddResource(L"object" + std::to_wstring(i), mesh);
        auto node = boost::make_shared<engine::gfx::Node>(root_);
        engine::gfx::Transformation place;
        place.Translate(engine::math::Vector3f(-0.9f + 0.09f * static_cast<float>(i % 20),
                                               -0.9f + 0.18f * static_cast<float>(i / 20), 0.5f));
        node->Local(place);
        node->AddChild(boost::make_shared<engine::gfx::Geometry>(mesh, node.get()));
        root_->AddChild(node);
      }
      ok = true;
    } catch (const engine::core::Exception&) {
    }
  }

  ~Scene() {
    delete engine::gfx::EffectPool::mInstance;
    delete renderer;
    if (screen) {
      screen->Stop();
      delete screen;
    }
    delete engine::gfx::SceneInfo::mInstance;
    delete engine::core::ResourceManager::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Kernel::mInstance;
    boost::filesystem::current_path(previous);
    boost::system::error_code ignored;
    boost::filesystem::remove_all(root, ignored);
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_FrameCpuRecording(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
  ID3D10Device* real = window->device;
  ID3D10Device* recording = nullptr;
  platform::CreateRecordingDevice(nullptr, &recording);
  ID3D10DeviceRecording* log = nullptr;
  recording->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(&log));
  window->device = recording;
  for (auto _ : state) {
    scene.renderer->Update();
    log->ClearCalls();
  }
  window->device = real;
  log->Release();
  recording->Release();
}
BENCHMARK(BM_FrameCpuRecording)->Unit(benchmark::kMicrosecond);

void BM_FrameLlvmpipe(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  for (auto _ : state) scene.renderer->Update();
}
BENCHMARK(BM_FrameLlvmpipe)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- the same frame as plain GL --------------------------------------------------------

// One engine frame written down as GL: what each of its draws bound and read. Captured by
// letting the engine draw every slot once and reading back what it left bound, so the
// baseline draws the engine's picture with the engine's programs and bytes, not a guess
// at them.
struct PlainFrame {
  struct Upload {
    GLuint buffer;  // ours, one per block binding
    GLuint binding;
    std::vector<std::uint8_t> bytes;
  };
  struct Draw {
    GLuint program;
    GLuint vertexArray;  // ours, one per mesh
    GLenum mode;
    GLsizei count;
    GLenum type;
    std::uintptr_t offset;
    std::vector<Upload> uploads;  // blocks whose bytes change between draws
  };

  std::vector<Draw> draws;
  std::vector<Upload> perFrame;  // blocks every draw reads with the same bytes
  std::map<GLuint, GLuint> buffers;           // block binding -> our uniform buffer
  std::map<GLuint, GLuint> vertexArrays;      // the engine's vertex buffer -> our vertex array
  std::vector<GLuint> bindings;               // every block binding a draw writes
  GLuint framebuffer = 0;
  GLsizei width = 0, height = 0;
  float clear[4] = {0, 0, 0, 0};
  bool clearDepth = false;  // the passes draw with a depth target, which the renderer clears once a frame
  std::string error;  // why no plain frame could be made

  ~PlainFrame() {
    for (const auto& b : buffers) glDeleteBuffers(1, &b.second);
    for (const auto& v : vertexArrays) glDeleteVertexArrays(1, &v.second);
  }

  // The same work as Renderer::Update on this scene: clear, every draw, present (a flush
  // on a headless surface). Leaves GL bound to our objects.
  void Issue() const {
    glViewport(0, 0, width, height);
    glClearNamedFramebufferfv(framebuffer, GL_COLOR, 0, clear);
    if (clearDepth) {
      const float far = 1.0f;
      glClearNamedFramebufferfv(framebuffer, GL_DEPTH, 0, &far);
    }
    for (const Upload& u : perFrame) bench::WriteUniformBlock(u.buffer, u.binding, u.bytes.data(), Size(u));
    GLuint program = 0;
    for (const Draw& d : draws) {
      if (d.program != program) glUseProgram(program = d.program);
      for (const Upload& u : d.uploads) bench::WriteUniformBlock(u.buffer, u.binding, u.bytes.data(), Size(u));
      glBindVertexArray(d.vertexArray);
      glDrawElements(d.mode, d.count, d.type, reinterpret_cast<const void*>(d.offset));
    }
    glFlush();
  }

  static GLsizeiptr Size(const Upload& u) { return static_cast<GLsizeiptr>(u.bytes.size()); }
};

// Our vertex array for one of the engine's vertex buffers, with the attribute formats of
// the vertex array the device has bound for it.
GLuint CopyVertexArray(GLuint vertexBuffer, GLsizei stride, GLuint indexBuffer) {
  GLuint array = 0;
  glCreateVertexArrays(1, &array);
  GLint attributes = 0;
  glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attributes);
  for (GLuint a = 0; a < static_cast<GLuint>(attributes); ++a) {
    GLint enabled = 0, size = 0, type = 0, normalized = 0, integer = 0, offset = 0, binding = 0;
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    if (!enabled) continue;
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_TYPE, &type);
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, &normalized);
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_ARRAY_INTEGER, &integer);
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_RELATIVE_OFFSET, &offset);
    glGetVertexAttribiv(a, GL_VERTEX_ATTRIB_BINDING, &binding);
    glEnableVertexArrayAttrib(array, a);
    glVertexArrayAttribBinding(array, a, static_cast<GLuint>(binding));
    if (integer) {
      glVertexArrayAttribIFormat(array, a, size, static_cast<GLenum>(type), static_cast<GLuint>(offset));
    } else {
      glVertexArrayAttribFormat(array, a, size, static_cast<GLenum>(type), normalized ? GL_TRUE : GL_FALSE,
                                static_cast<GLuint>(offset));
    }
    // Render objects carry one interleaved vertex buffer, so every binding is that one.
    glVertexArrayVertexBuffer(array, static_cast<GLuint>(binding), vertexBuffer, 0, stride);
  }
  glVertexArrayElementBuffer(array, indexBuffer);
  return array;
}

std::vector<std::uint8_t> ReadBuffer(GLuint buffer, GLint size) {
  GLint length = 0;
  glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &length);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length < size ? length : size));
  glGetNamedBufferSubData(buffer, 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
  return bytes;
}

// Draws one slot entry through the engine and notes what the draw left bound; false, with
// the reason in the frame's error, where the plain frame cannot repeat it.
bool CaptureDraw(const engine::gfx::Renderer::Entry& entry, PlainFrame& frame,
                 std::map<GLuint, std::vector<bench::UniformBlock>>& blocksOf) {
  const boost::shared_ptr<engine::gfx::RenderObject>& object = entry.object;
  engine::gfx::Shader* shader = object->effect->GetShader(static_cast<unsigned>(entry.passIndex)).get();
  object->passIndex = entry.passIndex;
  // A technique of several passes draws pass by pass over a whole batch; this scene has
  // none, and the capture does not reorder draws for them.
  if (shader->SelectPass(0) != 1) {
    frame.error = "a technique has several passes";
    return false;
  }
  if (object->topology != D3D10_PRIMITIVE_TOPOLOGY_TRIANGLELIST) {
    frame.error = "a render object is not a triangle list";
    return false;
  }
  shader->Draw(object);

  PlainFrame::Draw draw;
  draw.program = bench::CurrentProgram();
  if (!blocksOf.count(draw.program)) {
    if (bench::LooseUniforms(draw.program) > 0) {
      frame.error = "a program reads uniforms outside blocks";
      return false;
    }
    blocksOf[draw.program] = bench::UniformBlocks(draw.program);
  }
  for (const bench::UniformBlock& block : blocksOf[draw.program]) {
    GLint bound = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, block.binding, &bound);
    GLuint& ours = frame.buffers[block.binding];
    if (!ours) {
      glCreateBuffers(1, &ours);
      // The kind of buffer the device makes for a constant buffer, so both sides take
      // the same driver path when it is rewritten per draw.
      glNamedBufferStorage(ours, block.size, nullptr, GL_DYNAMIC_STORAGE_BIT);
      frame.bindings.push_back(block.binding);
    }
    draw.uploads.push_back({ours, block.binding, ReadBuffer(static_cast<GLuint>(bound), block.size)});
  }
  const GLuint vertexBuffer = platform::GlNameOf(object->vertexBuffer);
  GLuint& array = frame.vertexArrays[vertexBuffer];
  if (!array) {
    array = CopyVertexArray(vertexBuffer, static_cast<GLsizei>(object->vertexStride),
                            platform::GlNameOf(object->indexBuffer));
  }
  draw.vertexArray = array;
  draw.mode = GL_TRIANGLES;
  draw.count = static_cast<GLsizei>(3 * object->triangleCount);
  draw.type = object->indices32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  draw.offset = std::uintptr_t{object->startIndex} * (object->indices32 ? 4 : 2);
  frame.draws.push_back(std::move(draw));
  return true;
}

void Capture(Scene& scene, PlainFrame& frame) {
  engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
  engine::gfx::Renderer* renderer = scene.renderer;
  renderer->Update();  // targets bound, semantics and the render state set up as a frame leaves them
  GLint framebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  frame.framebuffer = static_cast<GLuint>(framebuffer);
  GLint depth = GL_NONE;
  glGetNamedFramebufferAttachmentParameteriv(frame.framebuffer, GL_DEPTH_ATTACHMENT,
                                             GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depth);
  frame.clearDepth = depth != GL_NONE;
  frame.width = window->settings.width;
  frame.height = window->settings.height;
  for (int i = 0; i < 4; ++i) frame.clear[i] = window->clearColor[i];

  // Fill the slots as the frame does, then draw each one through the engine and note what
  // it left bound.
  engine::gfx::EffectPool::Get()->UpdateSharedSemantics();
  renderer->SceneNode()->Update(renderer);
  std::map<GLuint, std::vector<bench::UniformBlock>> blocksOf;
  for (const engine::gfx::Renderer::Slot& slot : renderer->Slots()) {
    for (const engine::gfx::Renderer::Entry& entry : slot.entries) {
      if (!CaptureDraw(entry, frame, blocksOf)) break;
    }
    if (!frame.error.empty()) break;
  }
  // The capture drew outside a frame: what it walked must not draw again in the next one.
  renderer->DiscardSubmissions();
  if (!frame.error.empty()) return;
  if (frame.draws.empty()) {
    frame.error = "the frame draws nothing";
    return;
  }

  // A block every draw fills with the same bytes (the shared per-frame constants) is
  // written once a frame, as a GL renderer would.
  for (GLuint binding : frame.bindings) {
    const std::vector<std::uint8_t>* first = nullptr;
    bool same = true;
    for (const PlainFrame::Draw& d : frame.draws) {
      bool reads = false;
      for (const PlainFrame::Upload& u : d.uploads) {
        if (u.binding != binding) continue;
        reads = true;
        if (!first) first = &u.bytes;
        same = same && u.bytes == *first;
      }
      same = same && reads;
    }
    if (!same) continue;
    frame.perFrame.push_back({frame.buffers[binding], binding, *first});
    for (PlainFrame::Draw& d : frame.draws) {
      for (auto u = d.uploads.begin(); u != d.uploads.end();) {
        u = u->binding == binding ? d.uploads.erase(u) : u + 1;
      }
    }
  }
}

std::vector<std::uint8_t> BackBufferPixels() {
  engine::core::CWin32Window* window = engine::core::CWin32Window::Get();
  ID3D10Texture2D* texture = nullptr;
  window->swapChain->GetBuffer(0, __uuidof(ID3D10Texture2D), reinterpret_cast<void**>(&texture));
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(window->settings.width) *
                                   static_cast<std::size_t>(window->settings.height) * 4);
  glGetTextureImage(platform::GlNameOf(texture), 0, GL_RGBA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(pixels.size()),
                    pixels.data());
  texture->Release();
  return pixels;
}

// The plain frame must draw the engine's picture, and a picture at all: otherwise the
// comparison measures two different amounts of work.
std::string CompareWithEngine(Scene& scene, const PlainFrame& frame) {
  scene.renderer->Update();
  const std::vector<std::uint8_t> engine = BackBufferPixels();
  const bench::SavedBindings saved(frame.bindings);
  frame.Issue();
  saved.Restore();
  const std::vector<std::uint8_t> plain = BackBufferPixels();
  // "Drawn" compares with the clear colour as a unorm target stores it; on an sRGB target
  // a clear between 0 and 1 counts every pixel as drawn, which only weakens the check.
  std::size_t differing = 0, drawn = 0;
  for (std::size_t p = 0; p < engine.size(); p += 4) {
    bool same = true, cleared = true;
    for (std::size_t c = 0; c < 4; ++c) {
      same = same && engine[p + c] == plain[p + c];
      cleared = cleared && engine[p + c] == static_cast<std::uint8_t>(frame.clear[c] * 255.0f + 0.5f);
    }
    differing += same ? 0 : 1;
    drawn += cleared ? 0 : 1;
  }
  if (drawn == 0) return "the engine's frame is empty";
  if (differing > 0) return "the plain frame differs from the engine's in " + std::to_string(differing) + " pixels";
  return std::string();
}

PlainFrame* ThePlainFrame(Scene& scene) {
  static PlainFrame frame;
  static bool made = false;
  if (!made) {
    made = true;
    Capture(scene, frame);
    if (frame.error.empty()) frame.error = CompareWithEngine(scene, frame);
  }
  return &frame;
}

void BM_FramePlainGl(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  const PlainFrame& frame = *ThePlainFrame(scene);
  if (!frame.error.empty()) {
    state.SkipWithError(frame.error.c_str());
    return;
  }
  const bench::SavedBindings saved(frame.bindings);
  for (auto _ : state) frame.Issue();
  saved.Restore();
  state.counters["draws"] = static_cast<double>(frame.draws.size());
}
BENCHMARK(BM_FramePlainGl)->Unit(benchmark::kMillisecond)->UseRealTime();

// Wall time and this thread's CPU time, in milliseconds per frame; llvmpipe rasterizes on
// its own threads, so the CPU time is the engine's and GL's work on the caller.
struct Timed {
  double wall = 0, cpu = 0;
};

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// Frames run back to back, as a demo's main loop runs them, so that whatever one frame
// leaves in flight is paid for by the next; waited for at the end so that nothing spills
// into the other side's block.
constexpr int kFramesPerBlock = 8;

template <typename F>
Timed TimeBlock(F&& frame) {
  const auto wall = std::chrono::steady_clock::now();
  const double cpu = ThreadCpuMs();
  for (int i = 0; i < kFramesPerBlock; ++i) frame();
  glFinish();
  return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count() / kFramesPerBlock,
          (ThreadCpuMs() - cpu) / kFramesPerBlock};
}

struct Comparison {
  Timed engine, plain;  // means per frame
  bool measured = false;
};
Comparison theComparison;

// Engine and plain blocks alternate, so a change in machine load (other builds on the
// same cores) reaches both sides alike and the ratio holds where the separate rows drift.
void BM_FrameEngineVsPlainGl(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("no GL device");
    return;
  }
  const PlainFrame& frame = *ThePlainFrame(scene);
  if (!frame.error.empty()) {
    state.SkipWithError(frame.error.c_str());
    return;
  }
  Timed engine, plain;
  for (auto _ : state) {
    const Timed e = TimeBlock([&] { scene.renderer->Update(); });
    const bench::SavedBindings saved(frame.bindings);
    const Timed p = TimeBlock([&] { frame.Issue(); });
    saved.Restore();
    engine.wall += e.wall;
    engine.cpu += e.cpu;
    plain.wall += p.wall;
    plain.cpu += p.cpu;
    state.SetIterationTime((e.wall + p.wall) * 1e-3);
  }
  const double n = static_cast<double>(state.iterations());
  theComparison = {{engine.wall / n, engine.cpu / n}, {plain.wall / n, plain.cpu / n}, true};
  state.counters["engine_ms"] = theComparison.engine.wall;
  state.counters["plain_ms"] = theComparison.plain.wall;
  state.counters["ratio"] = engine.wall / plain.wall;
  state.counters["cpu_ratio"] = engine.cpu / plain.cpu;
}
// Its Time is one engine frame plus one plain frame; its CPU column covers both blocks
// (all threads, 2 x 8 frames), the counters are per frame.
BENCHMARK(BM_FrameEngineVsPlainGl)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (theComparison.measured) {
    const Comparison& c = theComparison;
    std::printf("renderer vs plain GL: engine %.2f ms, plain %.2f ms, ratio %.2f (calling thread CPU: engine %.2f ms, "
                "plain %.2f ms, ratio %.2f)\n",
                c.engine.wall, c.plain.wall, c.engine.wall / c.plain.wall, c.engine.cpu, c.plain.cpu,
                c.engine.cpu / c.plain.cpu);
  }
  return 0;
}
