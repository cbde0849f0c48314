#include "engine/gfx/demoFile.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/animationController.h"
#include "engine/gfx/animationNode.h"
#include "engine/gfx/animationPipe.h"
#include "engine/gfx/animationTrack.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/demoFileReader.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/geometry.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/light.h"

namespace engine {
namespace gfx {

namespace {

float FloatFromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

// Rotations are kept in tenths of a degree, the unit of rotation curves: 180 / (10 pi),
// as the exact float the files were made against.
const float RadiansToTenthDegrees = FloatFromBits(0x40B758B4);
// And back, as two factors (pi × 10, 1 / 180) in float arithmetic.
constexpr float TenPi = 31.415928f;
constexpr float OneOver180 = 0.0055555557f;

struct Channel {
  const char* name;
  enum Kind { Time, Loc, Scale, Rot, Ignored } kind;
  int32_t id;
  math::Vector3f axis;
};

const Channel Channels[] = {
    {"Time", Channel::Time, ChannelTime, math::Vector3f(0, 0, 0)},
    {"LocX", Channel::Loc, ChannelLocX, math::Vector3f(1, 0, 0)},
    {"LocY", Channel::Loc, ChannelLocY, math::Vector3f(0, 1, 0)},
    {"LocZ", Channel::Loc, ChannelLocZ, math::Vector3f(0, 0, 1)},
    {"dLocX", Channel::Ignored, 0, math::Vector3f(0, 0, 0)},
    {"dLocY", Channel::Ignored, 0, math::Vector3f(0, 0, 0)},
    {"dLocZ", Channel::Ignored, 0, math::Vector3f(0, 0, 0)},
    {"ScaleX", Channel::Scale, ChannelScaleX, math::Vector3f(1, 0, 0)},
    {"ScaleY", Channel::Scale, ChannelScaleY, math::Vector3f(0, 1, 0)},
    {"ScaleZ", Channel::Scale, ChannelScaleZ, math::Vector3f(0, 0, 1)},
    {"dRotX", Channel::Rot, ChannelDRotX, math::Vector3f(1, 0, 0)},
    {"RotX", Channel::Rot, ChannelRotX, math::Vector3f(1, 0, 0)},
    {"dRotY", Channel::Rot, ChannelDRotY, math::Vector3f(0, 1, 0)},
    {"RotY", Channel::Rot, ChannelRotY, math::Vector3f(0, 1, 0)},
    {"dRotZ", Channel::Rot, ChannelDRotZ, math::Vector3f(0, 0, 1)},
    {"RotZ", Channel::Rot, ChannelRotZ, math::Vector3f(0, 0, 1)},
};

// Null for a named channel ("Layer", shader parameters).
const Channel* FindChannel(const std::string& name) {
  for (const auto& channel : Channels) {
    if (name == channel.name) return &channel;
  }
  return nullptr;
}

std::unique_ptr<AnimationPipe> MakePipe(const Channel& channel, std::unique_ptr<AnimationTrack> track) {
  switch (channel.kind) {
    case Channel::Time:
      return std::unique_ptr<AnimationPipe>(new TimePipe(channel.id, std::move(track)));
    case Channel::Loc:
      return std::unique_ptr<AnimationPipe>(new LocPipe(channel.id, std::move(track), channel.axis));
    case Channel::Scale:
      return std::unique_ptr<AnimationPipe>(new ScalePipe(channel.id, std::move(track), channel.axis));
    case Channel::Rot:
      return std::unique_ptr<AnimationPipe>(new RotPipe(channel.id, std::move(track), channel.axis));
    case Channel::Ignored:
      break;
  }
  return nullptr;
}

// A curve that holds its value for the object's whole life: what an unanimated channel
// of an animated object plays.
std::unique_ptr<AnimationTrack> StaticTrack(float value) {
  std::unique_ptr<AnimationTrack> track(new ConstantAnimationTrack);
  track->SetExtrapolation(ExtrapolationMode::Constant);
  track->AddKey(0.0f, value);
  track->AddKey(100.0f, value);
  return track;
}

std::unique_ptr<AnimationTrack> MakeTrack(const DemoCurve& curve) {
  std::unique_ptr<AnimationTrack> track;
  switch (DemoInterpolationOf(curve.interpolation)) {
    case static_cast<int>(DemoInterpolation::Bezier):
      track.reset(new BezierAnimationTrack);
      break;
    case static_cast<int>(DemoInterpolation::Linear):
      track.reset(new LinearAnimationTrack);
      break;
    case static_cast<int>(DemoInterpolation::Constant):
      track.reset(new ConstantAnimationTrack);
      break;
    default:
      NEBLU_ERROR(UnsupportedInterpolationMessage(curve.interpolation));
  }
  const int extrapolation = DemoExtrapolationOf(curve.extrapolation);
  if (extrapolation < 0) NEBLU_ERROR(UnsupportedExtrapolationMessage(curve.extrapolation));
  track->SetExtrapolation(static_cast<ExtrapolationMode>(extrapolation));
  return track;
}

// Points every animated parameter named `channel` of the mesh's passes at the slot.
bool BindToShaders(const boost::shared_ptr<Mesh>& mesh, const std::string& channel, const float* slot) {
  if (!mesh || !mesh->GetEffect()) return false;
  const Effect& effect = *mesh->GetEffect();
  bool bound = false;
  for (unsigned i = 0; i < effect.GetShaderCount(); ++i) {
    for (const auto& entry : effect.GetShader(i)->Pass().parameters.animated) {
      if (entry.name != channel) continue;
      entry.value->address = slot;
      bound = true;
    }
  }
  return bound;
}

}  // namespace

// Names repeat in some files and the later object takes the name, so the links can close
// a loop ("A" under "A", or A under B under A): the first walk over such a scene would
// recurse without end, and the loop's nodes would hold each other forever. Links name
// nodes only through the name map, so a loop among names is a loop among nodes.
void DemoLoader::RefuseParentCycles(const std::vector<std::pair<std::string, std::string>>& links,
                                    const std::string& path) const {
  std::map<std::string, std::vector<std::string>> childrenOf;
  for (const auto& link : links) {
    if (nodes.count(link.second)) childrenOf[link.second].push_back(link.first);
  }
  enum class Mark { Unseen, Open, Done };
  std::map<std::string, Mark> marks;
  for (const auto& top : childrenOf) {
    if (marks[top.first] != Mark::Unseen) continue;
    // Depth first without recursion, so a long chain of parents cannot exhaust the stack.
    std::vector<std::pair<std::string, std::size_t>> stack{{top.first, 0}};
    marks[top.first] = Mark::Open;
    while (!stack.empty()) {
      const std::string name = stack.back().first;
      const auto children = childrenOf.find(name);
      const std::size_t next = stack.back().second++;
      if (children == childrenOf.end() || next >= children->second.size()) {
        marks[name] = Mark::Done;
        stack.pop_back();
        continue;
      }
      const std::string& child = children->second[next];
      Mark& mark = marks[child];
      if (mark == Mark::Open) {
        NEBLU_ERROR("Demo file " + path + " links object " + child + " under itself through its parents");
      }
      if (mark == Mark::Unseen) {
        mark = Mark::Open;
        stack.emplace_back(child, 0);
      }
    }
  }
}

DemoLoader* DemoLoader::CreateInstance(const std::wstring& path) {
  auto* loader = new DemoLoader;
  try {
    loader->Load(path);
  } catch (...) {
    delete loader;
    throw;
  }
  return loader;
}

void DemoLoader::DestroyInstance() { delete this; }

boost::shared_ptr<Node> DemoLoader::GetNode(const std::string& name) {
  boost::shared_ptr<Node>& node = nodes[name];
  if (!node) NEBLU_WARNING("No such node " + name + " was found");
  return node;
}

boost::shared_ptr<Node> DemoLoader::GetBaseNode() { return baseNode; }

std::int32_t DemoLoader::GetLength() { return length; }

void DemoLoader::Load(const std::wstring& widePath) {
  const std::string path = core::ToNarrow(widePath);
  // The file's own errors ("Not NEBLU Demo file format") name no file; the row before
  // them in the log does.
  NEBLU_MESSAGE("Loading demo file " + path);
  nodes.clear();
  DemoFile file;
  try {
    file = ReadDemoFile(path);
  } catch (const DemoFileError& error) {
    NEBLU_ERROR(error.what());
  }
  length = file.length;
  baseNode.reset(new Node(nullptr));

  std::map<std::string, std::string> types;
  std::vector<std::pair<std::string, std::string>> links;  // child, parent
  for (const DemoObject& object : file.objects) {
    if (!object.parent.empty()) links.emplace_back(object.name, object.parent);
    types[object.name] = object.type;
    boost::shared_ptr<Node> node = BuildObject(object, path, types);
    if (object.parent.empty()) baseNode->AddChild(node);
  }

  RefuseParentCycles(links, path);
  for (const auto& link : links) {
    const boost::shared_ptr<Node> child = nodes[link.first];
    const auto parentEntry = nodes.find(link.second);
    Node* parent = parentEntry == nodes.end() ? nullptr : parentEntry->second.get();
    if (!parent) {
      // Linking to a node that is not there would leave the object unreachable; it is
      // kept at the top level instead so that it still draws and moves.
      NEBLU_WARNING("Parent " + link.second + " of " + link.first + " names no object; " + link.first +
                    " is placed at the top level");
      child->Parent(baseNode.get());
      baseNode->AddChild(child);
      continue;
    }
    child->Parent(parent);
    parent->AddChild(child);
  }

  baseNode->Update(nullptr);
}

boost::shared_ptr<Node> DemoLoader::BuildObject(const DemoObject& object, const std::string& path,
                                                   const std::map<std::string, std::string>& types) {
  const auto parentType = types.find(object.parent);
  const bool cameraChild = parentType != types.end() && parentType->second == "Camera";

  math::Vector3f location(object.location[0], object.location[1], object.location[2]);
  if (cameraChild) location.z = -location.z;
  const float rotation[3] = {object.rotation[0] * RadiansToTenthDegrees, object.rotation[1] * RadiansToTenthDegrees,
                             object.rotation[2] * RadiansToTenthDegrees};

  boost::shared_ptr<AnimationController> controller(new AnimationController);
  const float statics[6] = {location.x, location.y, location.z, rotation[0], rotation[1], rotation[2]};
  const char* staticChannels[6] = {"LocX", "LocY", "LocZ", "RotX", "RotY", "RotZ"};
  for (int i = 0; i < 6; ++i) controller->AddPipe(MakePipe(*FindChannel(staticChannels[i]), StaticTrack(statics[i])));

  boost::shared_ptr<Node> node;
  if (!object.curves.empty() || object.negativeCurveCount != 0) {
    node.reset(new AnimationNode(baseNode.get(), controller));
  } else {
    node.reset(new Node(baseNode.get()));
    const math::Matrix3x3 rotate = math::Multiply(
        math::Multiply(AxisRotation(math::Vector3f(1, 0, 0), rotation[0] * TenPi * OneOver180),
                       AxisRotation(math::Vector3f(0, 1, 0), rotation[1] * TenPi * OneOver180)),
        AxisRotation(math::Vector3f(0, 0, 1), rotation[2] * TenPi * OneOver180));
    node->LocalTransformation()->Rotate(rotate);
    node->LocalTransformation()->Translate(location);
  }
  if (object.type == "Camera") node->AddChild(boost::shared_ptr<Spatial>(new Camera(node.get(), core::ToWide(object.name))));
  nodes[object.name] = node;

  if (object.type == "Lamp") node->AddChild(boost::shared_ptr<Spatial>(new Light(node.get())));

  boost::shared_ptr<Mesh> mesh;
  if (object.type == "Mesh") {
    // The stars part shows the city's sky, which the program builds under the city's name.
    const std::string meshPath = path == "data/stars.demo" && object.mesh == "Stars"
                                     ? std::string("data/city.demo_scene/Stars.nbl")
                                     : path + "_scene/" + object.mesh + ".nbl";
    mesh = core::ResourceManager::Get()->GetOrCreateResource<Mesh>(core::ToWide(meshPath));
    if (!mesh) NEBLU_ERROR("The resource " + meshPath + " of object " + object.name + " is not a mesh");
    if (mesh->CPUMesh() && mesh->CPUMesh()->NumIndices() >= 1) {
      node->AddChild(boost::shared_ptr<Spatial>(new Geometry(mesh, node.get())));
    }
  }

  AttachCurves(object, cameraChild, *controller, mesh);
  return node;
}

void DemoLoader::AttachCurves(const DemoObject& object, bool cameraChild, AnimationController& controller,
                              const boost::shared_ptr<Mesh>& mesh) {
  for (const DemoCurve& curve : object.curves) {
    std::unique_ptr<AnimationTrack> track = MakeTrack(curve);
    const bool negate = cameraChild && curve.channel == "LocZ";
    auto* bezier = dynamic_cast<BezierAnimationTrack*>(track.get());
    for (const DemoKey& key : curve.keys) {
      const float sign = negate ? -1.0f : 1.0f;
      track->AddKey(key.time, sign * key.value);
      if (bezier) bezier->AddHandles(KeyPoint{key.leftTime, sign * key.leftValue}, KeyPoint{key.rightTime, sign * key.rightValue});
    }
    if (curve.keys.empty()) {
      // A curve without keys has no value to play; the channel keeps what it had.
      NEBLU_WARNING("Curve " + curve.channel + " of " + object.name + " has no keys and is left out");
      continue;
    }

    const Channel* channel = FindChannel(curve.channel);
    if (channel) {
      controller.AddPipe(MakePipe(*channel, std::move(track)));
      continue;
    }
    const float* slot = controller.AddNamedTrack(std::move(track), curve.channel);
    if (object.type == "Mesh" && curve.channel != "Layer" && !BindToShaders(mesh, curve.channel, slot)) {
      NEBLU_WARNING("IPO type " + curve.channel + " not used in any mesh shader");
    }
  }
}

}  // namespace gfx
}  // namespace engine
