#include "ringScene.h"

#include <cmath>
#include <cstdint>

#include "engine/core/timer.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/mesh.h"
#include "engine/wrapper.h"
#include "platform/audio.h"

namespace {

constexpr int EscapeKey = 27;
constexpr int Segments = 96;  // around the ring
constexpr int Sides = 24;     // around its tube
// The demo file names the mesh "Ring": its loader looks for it under this name.
const char* const RingName = "data/part.demo_scene/Ring.nbl";

// A torus of radius 1 around z with a tube of 0.3: POSITION and NORMAL, and 32-bit
// indices (a new mesh's stride).
engine::gfx::LoadMesh* MakeRing() {
  const int vertices = (Segments + 1) * (Sides + 1);
  engine::gfx::LoadMesh* mesh = engine::CreateEmptyMesh(vertices, Segments * Sides * 6);
  auto* positions = static_cast<float*>(engine::AllocateMemory(static_cast<unsigned>(vertices) * 12));
  auto* normals = static_cast<float*>(engine::AllocateMemory(static_cast<unsigned>(vertices) * 12));
  auto* indices = static_cast<std::uint32_t*>(engine::AllocateMemory(static_cast<unsigned>(mesh->NumIndices()) * 4));
  for (int i = 0; i <= Segments; ++i) {
    const float a = 6.2831853f * static_cast<float>(i) / Segments;
    for (int j = 0; j <= Sides; ++j) {
      const float b = 6.2831853f * static_cast<float>(j) / Sides;
      const int v = i * (Sides + 1) + j;
      const float n[3] = {std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b)};
      positions[v * 3 + 0] = std::cos(a) + 0.3f * n[0];
      positions[v * 3 + 1] = std::sin(a) + 0.3f * n[1];
      positions[v * 3 + 2] = 0.3f * n[2];
      for (int k = 0; k < 3; ++k) normals[v * 3 + k] = n[k];
    }
  }
  std::uint32_t* at = indices;
  for (int i = 0; i < Segments; ++i) {
    for (int j = 0; j < Sides; ++j) {
      const std::uint32_t a = static_cast<std::uint32_t>(i * (Sides + 1) + j), b = a + Sides + 1;
      for (std::uint32_t index : {a, b, b + 1, b + 1, a + 1, a}) *at++ = index;
    }
  }
  engine::gfx::PVData stream;
  stream.name = "POSITION";
  stream.format = DXGI_FORMAT_R32G32B32_FLOAT;
  stream.data = positions;
  mesh->Add(stream);
  stream.name = "NORMAL";
  stream.data = normals;
  mesh->Add(stream);
  mesh->Indices(reinterpret_cast<short*>(indices));
  return mesh;
}

}  // namespace

RingScene::RingScene() {
  name = L"RingScene";
  priority = 200;
}

bool RingScene::Start() {
  engine::AddMesh(L"data/part.demo_scene/Ring.nbl", MakeRing(), engine::BuildEffect(std::string(RingName) + ".efx"));
  part = engine::gfx::DemoLoader::CreateInstance(PartFile(0));
  Show();
  return true;
}

void RingScene::Show() {
  engine::SetNode(part->GetNode("Lamp"), L"PointLight0", L"global");
  engine::SetRootNode(part->GetBaseNode());
}

void RingScene::ReloadPart(int, double seconds) {
  // Read first: a file that does not load raises here and the old part plays on.
  engine::gfx::DemoLoader* fresh = engine::gfx::DemoLoader::CreateInstance(PartFile(0));
  part->DestroyInstance();
  part = fresh;
  Show();
  SeekTo(seconds);
}

const GeneratedMesh* RingScene::FindGeneratedMesh(const std::string& meshName) const {
  // The ring is made again, not read, when its material changes.
  static const GeneratedMesh ring{MakeRing, ""};
  return meshName == RingName ? &ring : nullptr;
}

void RingScene::Update() {
  if (engine::isReleased(EscapeKey)) engine::QuitApplication();
  // The music is the clock: the demo ends with it.
  if (BASS_ChannelIsActive(engine::core::Timer::Get()->channel) == BASS_ACTIVE_STOPPED) engine::QuitApplication();
}

void RingScene::Stop() {
  if (part) part->DestroyInstance();
  part = nullptr;
}
