#include "game/TestScene1.h"

#include <vector>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/timer.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/light.h"
#include "engine/wrapper.h"
#include "game/curveFile.h"
#include "game/proceduralGeometry.h"
#include "game/randomTable.h"
#include "platform/audio.h"
#include "platform/capture/settings.h"

namespace {

constexpr int EscapeKey = 27;
constexpr int ScenePriority = 200;

// Process-wide: the parts switched so far, and where the current part began, in frames.
int switchCount = 0;
float partStart = 0.0f;

// Runs `visit` on every curve controller below `node`, hidden subtrees included.
template <typename Visit>
void ForEachController(engine::gfx::Spatial* node, const Visit& visit) {
  if (auto* animated = dynamic_cast<engine::gfx::AnimationNode*>(node)) {
    if (animated->Controller()) visit(*animated->Controller());
  }
  if (auto* parent = dynamic_cast<engine::gfx::Node*>(node)) {
    for (const auto& child : parent->Children()) ForEachController(child.get(), visit);
  }
}

// Moves every curve below `node` by `frames`, as the walk does.
void AdvanceAnimation(engine::gfx::Spatial* node, float frames) {
  ForEachController(node, [frames](engine::gfx::AnimationController& c) { c.Update(frames); });
}

void SetClearColour(int switches) {
  // White behind the first two parts, black from the third on.
  const float c = switches >= 2 ? 0.0f : 1.0f;
  float colour[4] = {c, c, c, 1.0f};
  engine::SetClearColor(colour);
}

void CreateShaderTexture(const wchar_t* name, UINT width, DXGI_FORMAT format, const void* data, UINT rowPitch) {
  D3D10_TEXTURE2D_DESC description = {};
  description.Width = width;
  description.Height = 1;
  description.MipLevels = 1;
  description.ArraySize = 1;
  description.Format = format;
  description.SampleDesc.Count = 1;
  description.Usage = D3D10_USAGE_DEFAULT;
  description.BindFlags = D3D10_BIND_SHADER_RESOURCE;
  D3D10_SUBRESOURCE_DATA initial = {};
  initial.pSysMem = data;
  initial.SysMemPitch = rowPitch;
  engine::CreateTexture2D(name, &description, data ? &initial : nullptr);
}

}  // namespace

const wchar_t* const TestScene1::PartFiles[NumParts] = {L"data/intro.demo", L"data/points.demo", L"data/city.demo",
                                                 L"data/stars.demo", L"data/credits.demo"};

TestScene1::TestScene1() : current(nullptr), parts{} {
  name = L"TestScene1";
  priority = ScenePriority;
}

TestScene1::~TestScene1() = default;

bool TestScene1::Start() {
  // The colour ramp the credits are lit with, drawn as a curve in the modelling tool.
  std::vector<float> ramp;
  try {
    ramp = orv::SampleColourRamp(orv::ReadCurves("data/credits.curves"));
  } catch (const orv::CurveFileError& e) {
    // Reported like every engine error, so the Kernel shows it and the run goes on.
    NEBLU_ERROR(e.what());
  }
  CreateShaderTexture(L"cubeTex", 256, DXGI_FORMAT_R32G32B32A32_FLOAT, ramp.data(), 4096);
  // The music spectrum; the clock fills it every frame.
  CreateShaderTexture(L"fft", 512, DXGI_FORMAT_R32_FLOAT, nullptr, 0);
  orv::FillRandomTable();
  float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  engine::SetClearColor(white);
  orv::BuildDemoMeshes();
  LoadParts();
  const double start = platform::ProcessCaptureSwitches().start;
  if (start > 0.0) PlaceAt(start);
  return true;
}

void TestScene1::LoadParts() {
  // The timeline begins with the first part, whoever played before in this process.
  switchCount = 0;
  partStart = 0.0f;
  for (size_t i = 0; i < parts.size(); ++i) parts[i] = engine::gfx::DemoLoader::CreateInstance(PartFiles[i]);
  current = parts[0];
  ShowPart(current, true);
  SpendCreditsCascadesCloseIn();
}

void TestScene1::SpendCreditsCascadesCloseIn() {
  boost::shared_ptr<engine::gfx::Node> lamp = parts[4]->GetNode("Lamp");
  if (!lamp) return;
  for (const auto& child : lamp->Children()) {
    if (auto* light = dynamic_cast<engine::gfx::Light*>(child.get())) light->far = 20.0f;
  }
}

void TestScene1::ReloadPart(int index, double seconds) {
  if (index < 0 || index >= NumParts || !parts[static_cast<size_t>(index)]) return;
  engine::gfx::DemoLoader* fresh = engine::gfx::DemoLoader::CreateInstance(PartFiles[index]);
  engine::gfx::DemoLoader*& slot = parts[static_cast<size_t>(index)];
  if (current == slot) current = fresh;
  slot->DestroyInstance();
  slot = fresh;
  if (index == NumParts - 1) SpendCreditsCascadesCloseIn();
  SeekTo(seconds);
}

void TestScene1::ShowPart(engine::gfx::DemoLoader* part, bool first) {
  const boost::shared_ptr<engine::gfx::Node> lamp = part->GetNode("Lamp");
  const int index = IndexOf(part);
  if (!lamp && index >= 0 && !saidHasNoLamp[static_cast<size_t>(index)]) {
    // Scenes converted from files without a directional light have none; they play
    // unlit by the lamp and unshadowed, which is worth saying once, not at every switch.
    saidHasNoLamp[static_cast<size_t>(index)] = true;
    NEBLU_WARNING(L"Part " + std::wstring(PartFiles[index]) + L" has no lamp: it plays without the lamp's light and shadows");
  }
  // The lamp's light itself, beside the lamp: effects read its shadow cascades from it
  // ("SplitProjection", "SplitPlanes"), which the lamp's own node does not have.
  boost::shared_ptr<engine::gfx::Node> light;
  if (lamp) {
    for (const auto& child : lamp->Children()) {
      if (boost::dynamic_pointer_cast<engine::gfx::Light>(child)) light = boost::dynamic_pointer_cast<engine::gfx::Node>(child);
    }
  }
  if (first) {
    engine::AddNode(lamp, L"PointLight0", L"global");
    engine::AddNode(light, L"Shadow", L"global");
  } else {
    engine::SetNode(lamp, L"PointLight0", L"global");
    engine::SetNode(light, L"Shadow", L"global");
  }
  engine::SetRootNode(part->GetBaseNode());
}

int TestScene1::IndexOf(const engine::gfx::DemoLoader* part) const {
  for (size_t i = 0; i < parts.size(); ++i) {
    if (part && parts[i] == part) return static_cast<int>(i);
  }
  return -1;
}

void TestScene1::PlaceAt(double seconds) {
  if (!current) return;
  double begin = 0.0;
  const int k = PartAt(seconds, &begin);
  switchCount = k;
  partStart = static_cast<float>(begin * FramesPerSecond);
  if (switchCount >= 2) SetClearColour(switchCount);
  if (k > 0) {
    current = parts[static_cast<size_t>(k)];
    ShowPart(current, false);
  }
  AdvanceAnimation(current->GetBaseNode().get(), -partStart);
}

void TestScene1::SeekTo(double seconds) {
  if (!current) return;
  // Every part rewound: one already played would otherwise go on from where it was left.
  for (auto* part : parts) {
    ForEachController(part->GetBaseNode().get(), [](engine::gfx::AnimationController& c) { c.Reset(); });
  }
  double begin = 0.0;
  const int k = PartAt(seconds, &begin);
  switchCount = k;
  partStart = static_cast<float>(begin * FramesPerSecond);
  SetClearColour(switchCount);
  current = parts[static_cast<size_t>(k)];
  ShowPart(current, false);
  AdvanceAnimation(current->GetBaseNode().get(), static_cast<float>((seconds - begin) * FramesPerSecond));
}

void TestScene1::Update() {
  if (engine::isReleased(EscapeKey)) engine::QuitApplication();
  if (!current) {
    // Start did not get as far as the parts (its error has been shown): there is nothing
    // to play, and waiting would never end.
    engine::QuitApplication();
    return;
  }
  // The music is the clock: once it has stopped, or never started, time stands still and
  // a demo longer than its music would never reach its end.
  if (BASS_ChannelIsActive(engine::core::Timer::Get()->channel) == BASS_ACTIVE_STOPPED) {
    engine::QuitApplication();
    return;
  }
  const float length = static_cast<float>(current->GetLength());
  if (engine::GetTime() * FramesPerSecond - partStart < length) return;

  ++switchCount;
  if (current == parts.back()) {
    engine::QuitApplication();
    return;
  }
  if (switchCount == 2) SetClearColour(switchCount);
  partStart += length;
  current = parts[static_cast<size_t>(switchCount)];
  ShowPart(current, false);
}

void TestScene1::Stop() {
  for (auto& part : parts) {
    if (!part) continue;
    part->DestroyInstance();
    part = nullptr;
  }
}

const GeneratedMesh* TestScene1::FindGeneratedMesh(const std::string& meshName) const {
  return orv::FindDemoMeshSource(meshName);
}
