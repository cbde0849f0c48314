#include "tools/gltf2demo/sceneConversion.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "tools/demo/demoWriter.h"
#include "tools/gltf2demo/accessors.h"
#include "tools/gltf2demo/curveConversion.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/materialText.h"
#include "tools/gltf2demo/meshCache.h"
#include "tools/gltf2demo/meshConversion.h"
#include "tools/gltf2demo/names.h"
#include "tools/gltf2demo/viewpoint.h"
#include "tools/gltf2demo/worldAxes.h"

namespace gltf2demo {

namespace {

using engine::gfx::DemoCurve;
using engine::gfx::DemoObject;

constexpr double Pi = 3.14159265358979323846;
// What the engine draws with, whatever a camera asks for.
constexpr double EngineFieldOfView = Pi / 4, EngineNear = 0.5, EngineFar = 400.0;
// Extensions whose absence from the output changes nothing that gltf2demo keeps, or that
// it reads.
const char* const HarmlessExtensions[] = {"KHR_lights_punctual", "KHR_materials_emissive_strength",
                                          "KHR_materials_ior", "KHR_materials_specular", "KHR_texture_transform"};

// A node's rest transformation in glTF axes: p' = t + R (s p).
struct Rest {
  Vec3 translation = {0, 0, 0};
  Mat3 rotation = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  Vec3 scale = {1, 1, 1};
};

void SetVector(float (&to)[3], const Vec3& from) {
  for (std::size_t i = 0; i < 3; ++i) to[i] = static_cast<float>(from[i]);
}

DemoObject Object(const std::string& type, const std::string& name, const std::string& parent) {
  DemoObject object;
  object.type = type;
  object.name = name;
  object.parent = parent;
  SetVector(object.location, {0, 0, 0});
  SetVector(object.rotation, {0, 0, 0});
  return object;
}

bool IsOne(const Vec3& v) { return v[0] == 1 && v[1] == 1 && v[2] == 1; }

// The rest transformation in engine axes, as a placement.
Placement PlacementOf(const Rest& rest) {
  Placement local;
  const Mat3 rotation = ToEngine(rest.rotation);
  const Vec3 scale = ToEngine(rest.scale);
  for (std::size_t r = 0; r < 3; ++r)
    for (std::size_t c = 0; c < 3; ++c) local.linear[r][c] = rotation[r][c] * scale[c];
  local.translation = ToEngine(rest.translation);
  return local;
}

// A light's intensity, and the sun's strength on the materials for intensity 1: a light
// surface facing it then comes out just short of white, which the demo's post chain
// would make glow.
constexpr double StrongestSun = 10.0, SunOfIntensityOne = 0.65;

// Replaces the object's curves of the channels `curves` has, keeping the others.
void SetCurves(DemoObject& object, std::vector<DemoCurve> curves) {
  for (DemoCurve& curve : curves) {
    auto same = std::find_if(object.curves.begin(), object.curves.end(),
                             [&](const DemoCurve& c) { return c.channel == curve.channel; });
    if (same != object.curves.end()) {
      *same = std::move(curve);
    } else {
      object.curves.push_back(std::move(curve));
    }
  }
}

class Converter {
 public:
  Converter(const tinygltf::Model& source, const SceneOptions& chosen, Notes& leftOut)
      : model(source),
        options(chosen),
        notes(leftOut),
        objectOfNode(source.nodes.size(), -1),
        budget(chosen.budget),
        textures(source, leftOut),
        meshes(source, textures, budget, leftOut) {}

  ConvertedScene Run() {
    // The first camera and lamp get these names even where a node already has them;
    // where the scene has none, the stand-ins do.
    objectNames.Reserve("Camera");
    objectNames.Reserve("Lamp");
    if (options.post) {
      objectNames.Reserve("Post");
      meshNames.Reserve("Post");
    }
    NoteExtensions();
    for (int root : Roots()) AddTree(root);
    if (cameras == 0) AddDefaultCamera();
    if (lamps == 0) AddDefaultLamp();
    WriteMaterials();
    out.images = textures.Images();
    for (const ImageFile& image : out.images) budget.SpendBytes(image.bytes.size(), "image '" + image.name + "'");
    const double seconds = Animate();
    const double length = options.lengthSeconds >= 0 ? options.lengthSeconds : seconds > 0 ? seconds : DefaultLengthSeconds;
    if (!(length * FramesPerSecond < MostFrames))
      throw GltfError("a running time of " + Short(length) + " seconds is more than a demo file holds");
    out.demo.length = std::max(1, static_cast<int>(std::ceil(length * FramesPerSecond - 1e-6)));
    if (options.post) {
      DemoObject post = Object("Mesh", "Post", "");
      post.mesh = "Post";
      out.demo.objects.push_back(post);
      out.meshes.push_back({"Post", std::make_shared<const std::string>(EncodeMesh(PointTriangle())), PostMaterialText()});
      budget.SpendBytes(out.meshes.back().bytes->size(), "the mesh file Post.nbl");
    }
    // The mesh files were counted as each node took them.
    for (const MeshFile& mesh : out.meshes) budget.SpendBytes(mesh.material.size(), "the material " + mesh.name + ".nbl.efx");
    budget.SpendBytes(demo::EncodedSize(out.demo), "the demo file");
    return std::move(out);
  }

 private:
  void NoteExtensions() {
    for (const std::string& name : model.extensionsRequired) {
      const bool harmless = std::find(std::begin(HarmlessExtensions), std::end(HarmlessExtensions), name) !=
                            std::end(HarmlessExtensions);
      if (!harmless && name != "KHR_mesh_quantization")
        notes.LeftOut("the required extension " + name + ": what depends on it may be missing or wrong");
    }
  }

  std::vector<int> Roots() {
    const int count = static_cast<int>(model.scenes.size());
    if (count == 0) {
      // No scene: every node that is nobody's child.
      std::vector<bool> child(model.nodes.size(), false);
      for (const tinygltf::Node& node : model.nodes) {
        for (int c : node.children) {
          if (c >= 0 && static_cast<std::size_t>(c) < child.size()) child[static_cast<std::size_t>(c)] = true;
        }
      }
      std::vector<int> roots;
      for (std::size_t i = 0; i < child.size(); ++i) {
        if (!child[i]) roots.push_back(static_cast<int>(i));
      }
      return roots;
    }
    if (options.scene >= count)
      throw GltfError("there is no scene " + std::to_string(options.scene) + "; the file has " + std::to_string(count));
    const int chosen = options.scene >= 0                                      ? options.scene
                       : model.defaultScene >= 0 && model.defaultScene < count ? model.defaultScene
                                                                               : 0;
    if (count > 1)
      notes.LeftOut("scenes other than scene " + std::to_string(chosen) + " (" + std::to_string(count - 1) +
                    "; --scene picks which)");
    return model.scenes[static_cast<std::size_t>(chosen)].nodes;
  }

  // Whether node `index`, named by `referrer`, joins the tree. A reference to a node the
  // file does not have names nothing else, so it is left out (exporters that drop objects
  // have been seen to leave such references behind); a node reached twice is an error,
  // since the engine's objects form a tree.
  bool Reachable(int index, const std::string& referrer) {
    if (index < 0 || static_cast<std::size_t>(index) >= model.nodes.size()) {
      notes.LeftOut(referrer + "'s node " + std::to_string(index) + ", which does not exist");
      return false;
    }
    if (!visited.insert(index).second)
      throw GltfError(referrer + ": node " + std::to_string(index) + " is reached twice; nodes must form a tree");
    return true;
  }

  // Depth first with a stack of its own: a deep hierarchy must not exhaust the call stack.
  void AddTree(int root) {
    struct Pending {
      int index;
      std::string parent;
      Placement parentWorld;
    };
    if (!Reachable(root, "the scene")) return;
    std::vector<Pending> pending = {{root, "", Placement()}};
    while (!pending.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      Placement world;
      const std::string name = AddNode(next.index, next.parent, next.parentWorld, &world);
      const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(next.index)];
      for (auto c = node.children.rbegin(); c != node.children.rend(); ++c) {
        if (Reachable(*c, "node '" + name + "'")) pending.push_back({*c, name, world});
      }
    }
  }

  static std::vector<double> Checked(const std::vector<double>& values, std::size_t size, const std::string& what,
                                     const std::string& label) {
    if (!values.empty() && values.size() != size)
      throw GltfError(label + ": its " + what + " has " + std::to_string(values.size()) + " numbers, not " + std::to_string(size));
    for (double v : values) {
      if (!std::isfinite(v)) throw GltfError(label + ": its " + what + " holds a number that is not finite");
    }
    return values;
  }

  Rest RestOf(const tinygltf::Node& node, const std::string& label) {
    Rest rest;
    const std::vector<double> m = Checked(node.matrix, 16, "matrix", label);
    if (!m.empty()) {
      // Column-major: column j is (m[4j], m[4j + 1], m[4j + 2]).
      rest.translation = {m[12], m[13], m[14]};
      for (std::size_t j = 0; j < 3; ++j)
        rest.scale[j] = std::sqrt(m[4 * j] * m[4 * j] + m[4 * j + 1] * m[4 * j + 1] + m[4 * j + 2] * m[4 * j + 2]);
      const double det = m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
                         m[8] * (m[1] * m[6] - m[5] * m[2]);
      if (det < 0) rest.scale[0] = -rest.scale[0];
      if (std::fabs(rest.scale[0]) > 1e-12 && rest.scale[1] > 1e-12 && rest.scale[2] > 1e-12) {
        for (std::size_t j = 0; j < 3; ++j)
          for (std::size_t r = 0; r < 3; ++r) rest.rotation[r][j] = m[4 * j + r] / rest.scale[j];
        double skew = 0;
        for (std::size_t a = 0; a < 3; ++a)
          for (std::size_t b = a + 1; b < 3; ++b)
            skew = std::max(skew, std::fabs(rest.rotation[0][a] * rest.rotation[0][b] + rest.rotation[1][a] * rest.rotation[1][b] +
                                            rest.rotation[2][a] * rest.rotation[2][b]));
        if (skew > 1e-4) notes.LeftOut(label + ": the shear in its matrix");
      }
      if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) notes.LeftOut(label + ": the projective part of its matrix");
      return rest;
    }
    const std::vector<double> t = Checked(node.translation, 3, "translation", label);
    const std::vector<double> r = Checked(node.rotation, 4, "rotation", label);
    const std::vector<double> s = Checked(node.scale, 3, "scale", label);
    if (!t.empty()) rest.translation = {t[0], t[1], t[2]};
    if (!r.empty()) rest.rotation = RotationOf({r[0], r[1], r[2], r[3]});
    if (!s.empty()) rest.scale = {s[0], s[1], s[2]};
    return rest;
  }

  // The node's object (and its attachments); returns the object's name and gives its
  // placement in the world at rest.
  std::string AddNode(int index, const std::string& parent, const Placement& parentWorld, Placement* world) {
    const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(index)];
    const std::string name = objectNames.Unique(node.name.empty() ? "node" + std::to_string(index) : node.name);
    const std::string label = "node '" + name + "'";
    const Rest rest = RestOf(node, label);
    *world = parentWorld.Then(PlacementOf(rest));
    DemoObject object = Object("Empty", name, parent);
    SetVector(object.location, ToEngine(rest.translation));
    SetVector(object.rotation, EulerXYZ(ToEngine(rest.rotation)));
    // The file keeps no rest scale: constant curves carry it.
    if (!IsOne(rest.scale)) SetCurves(object, ConstantCurves(ToEngine(rest.scale), "Scale"));
    objectOfNode[static_cast<std::size_t>(index)] = static_cast<int>(out.demo.objects.size());
    out.demo.objects.push_back(object);
    const std::size_t at = out.demo.objects.size() - 1;

    if (node.skin >= 0) notes.LeftOut(label + ": its skin (the mesh stays in its bind pose)");
    if (node.mesh >= 0) AddMesh(node.mesh, at, label, *world);
    if (node.camera >= 0) AddCamera(node.camera, name, *world);
    const auto light = node.extensions.find("KHR_lights_punctual");
    if (light != node.extensions.end() && light->second.IsObject() && light->second.Has("light")) {
      const tinygltf::Value& value = light->second.Get("light");
      if (!value.IsNumber()) throw GltfError(label + ": its light is not a number");
      AddLight(value.GetNumberAsInt(), name, *world);
    }
    return name;
  }

  void AddMesh(int meshIndex, std::size_t objectAt, const std::string& label, const Placement& world) {
    if (static_cast<std::size_t>(meshIndex) >= model.meshes.size())
      throw GltfError(label + ": mesh " + std::to_string(meshIndex) + " does not exist");
    const std::string objectName = out.demo.objects[objectAt].name;
    bool first = true;
    for (const ConvertedPrimitive& primitive : meshes.Mesh(meshIndex)) {
      // Counted before the bounds are walked: a mesh shown by ever more nodes runs out
      // of budget, not of time.
      budget.SpendBytes(primitive.bytes->size(), label + ": " + primitive.label);
      for (const auto& position : primitive.positions) bounds.Add(world.Apply({position.x, position.y, position.z}));
      std::string owner = objectName;
      if (!first) {
        // Further primitives: objects of their own with the node's placement.
        owner = objectNames.Unique(objectName + "." + std::to_string(primitive.index));
        DemoObject part = Object("Mesh", owner, objectName);
        out.demo.objects.push_back(part);
      }
      DemoObject& holder = first ? out.demo.objects[objectAt] : out.demo.objects.back();
      holder.type = "Mesh";
      holder.mesh = meshNames.Unique(FileNameOf(owner));
      surfaces.push_back({out.meshes.size(), primitive.material, primitive.look});
      out.meshes.push_back({holder.mesh, primitive.bytes, ""});
      first = false;
    }
  }

  // The materials, once the scene's sun is known.
  void WriteMaterials() {
    for (Surface& surface : surfaces) {
      surface.look.sun = sun;
      surface.look.shadows = options.shadows;
      surface.look.textureFolder = options.partFolder;
      MeshFile& mesh = out.meshes[surface.mesh];
      mesh.material = MaterialText(model, surface.material, mesh.name, surface.look, notes);
    }
  }

  void AddDefaultCamera() {
    const View view = FramingView(bounds);
    DemoObject camera = Object("Camera", "Camera", "");
    SetVector(camera.location, view.position);
    SetVector(camera.rotation, view.rotation);
    out.demo.objects.push_back(camera);
    char text[160];
    std::snprintf(text, sizeof text, "a \"Camera\" that frames the scene from %.3g units away (the scene has no perspective camera)",
                  view.distance);
    notes.Added(text);
    if (!bounds.Empty() && view.distance - bounds.Radius() < EngineNear)
      notes.LeftOut("what lies nearer the camera than the engine's near clip plane (0.5): the scene is only " +
                    Short(2 * bounds.Radius()) + " units across");
    if (view.distance + bounds.Radius() > EngineFar)
      notes.LeftOut("what lies beyond the engine's far clip plane (400): the scene is " + Short(2 * bounds.Radius()) +
                    " units across");
  }

  void AddDefaultLamp() {
    DemoObject lamp = Object("Lamp", "Lamp", "");
    SetVector(lamp.location, bounds.Empty() ? Vec3{0, 0, 0} : bounds.Centre());
    SetVector(lamp.rotation, LookAlong(DefaultSunDirection()));
    out.demo.objects.push_back(lamp);
    ++lamps;
    notes.Added("a \"Lamp\", a white sun from above, front left (the scene has no directional light)");
  }

  static std::string Short(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
  }

  // A camera or lamp below its node, turned so that its +z looks along the node's -z.
  // glTF views and lights from a node without its scale, but the engine inverts a
  // camera's and a lamp's chain of nodes as if none were scaled: below a scaled node (a
  // model scaled to a hundredth, say) the view would be far off. There the object is
  // placed at top level where its node rests instead.
  void Attach(const std::string& type, int& count, const std::string& parent, const Placement& parentWorld) {
    DemoObject object = Object(type, count == 0 ? type : objectNames.Unique(type), parent);
    const Mat3 quarterTurn = FromEulerXYZ({Pi / 2, 0, 0});
    SetVector(object.rotation, {Pi / 2, 0, 0});
    Mat3 unscaled = parentWorld.linear;
    bool scaled = false;
    for (std::size_t c = 0; c < 3; ++c) {
      const double length = std::sqrt(unscaled[0][c] * unscaled[0][c] + unscaled[1][c] * unscaled[1][c] +
                                      unscaled[2][c] * unscaled[2][c]);
      if (std::fabs(length - 1) > 1e-5) scaled = true;
      for (std::size_t r = 0; r < 3; ++r) unscaled[r][c] = length > 1e-12 ? unscaled[r][c] / length : (r == c ? 1 : 0);
    }
    if (scaled) {
      Mat3 world{};
      for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t c = 0; c < 3; ++c)
          for (std::size_t k = 0; k < 3; ++k) world[r][c] += unscaled[r][k] * quarterTurn[k][c];
      object.parent.clear();
      SetVector(object.location, parentWorld.translation);
      SetVector(object.rotation, EulerXYZ(world));
      notes.LeftOut(Lower(type) + " '" + object.name + "': following node '" + parent +
                    "', which is scaled (it stays where that node rests)");
    }
    out.demo.objects.push_back(object);
    ++count;
  }

  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  void AddCamera(int index, const std::string& node, const Placement& nodeWorld) {
    if (static_cast<std::size_t>(index) >= model.cameras.size())
      throw GltfError("node '" + node + "': camera " + std::to_string(index) + " does not exist");
    const tinygltf::Camera& camera = model.cameras[static_cast<std::size_t>(index)];
    const std::string label = "camera '" + (camera.name.empty() ? std::to_string(index) : camera.name) + "'";
    if (camera.type != "perspective") {
      notes.LeftOut(label + ": a camera that is not perspective (" + camera.type + ")");
      return;
    }
    const tinygltf::PerspectiveCamera& lens = camera.perspective;
    const auto differs = [](double a, double b) { return std::fabs(a - b) > 0.01 * b; };
    if (differs(lens.yfov, EngineFieldOfView) || differs(lens.znear, EngineNear) || (lens.zfar > 0 && differs(lens.zfar, EngineFar))) {
      char text[200];
      std::snprintf(text, sizeof text, ": its field of view (%.1f degrees) and clip range (%g to %g); the engine draws with 45 degrees, 0.5 to 400",
                    lens.yfov * 180 / Pi, lens.znear, lens.zfar);
      notes.LeftOut(label + text);
    }
    Attach("Camera", cameras, node, nodeWorld);
  }

  void AddLight(int index, const std::string& node, const Placement& nodeWorld) {
    if (index < 0 || static_cast<std::size_t>(index) >= model.lights.size())
      throw GltfError("node '" + node + "': light " + std::to_string(index) + " does not exist");
    const tinygltf::Light& light = model.lights[static_cast<std::size_t>(index)];
    const std::string label = "light '" + (light.name.empty() ? std::to_string(index) : light.name) + "'";
    if (light.type != "directional") {
      notes.LeftOut(label + ": a " + light.type + " light (only directional lights are kept)");
      return;
    }
    if (lamps > 0) {
      notes.LeftOut(label + ": its light on the materials, which are lit by the first lamp only");
    } else {
      if (light.color.size() == 3) {
        for (std::size_t c = 0; c < 3; ++c) sun.colour[c] = DisplayValue(light.color[c]);
      }
      double intensity = std::isfinite(light.intensity) ? std::max(0.0, light.intensity) : 1.0;
      if (intensity > StrongestSun) {
        notes.LeftOut(label + ": its intensity beyond " + Short(StrongestSun) + " (it is " + Short(intensity) + ")");
        intensity = StrongestSun;
      }
      sun.strength = SunOfIntensityOne * intensity;
    }
    Attach("Lamp", lamps, node, nodeWorld);
  }

  // Curves from the chosen animation; returns its length in seconds (0 for none).
  double Animate() {
    if (model.animations.empty()) return 0;
    const int count = static_cast<int>(model.animations.size());
    if (options.animation < 0 || options.animation >= count)
      throw GltfError("there is no animation " + std::to_string(options.animation) + "; the file has " + std::to_string(count));
    for (int a = 0; a < count; ++a) {
      if (a == options.animation) continue;
      const std::string& name = model.animations[static_cast<std::size_t>(a)].name;
      notes.LeftOut("animation " + std::to_string(a) + (name.empty() ? "" : " '" + name + "'") +
                    " (one plays; --animation picks which)");
    }
    const tinygltf::Animation& animation = model.animations[static_cast<std::size_t>(options.animation)];
    double end = 0;
    std::map<int, std::map<std::string, std::vector<DemoCurve>>> byNode;
    // Channels that share a sampler share its curves, made once: sampling a rotation costs
    // a key a frame, and a file may point any number of channels at one sampler.
    struct Made {
      std::vector<DemoCurve> curves;
      double end;
      std::size_t bytes;  // in the demo file
    };
    std::map<std::pair<int, std::string>, Made> made;
    std::size_t curveBytes = 0;  // of the curves in byNode
    for (std::size_t c = 0; c < animation.channels.size(); ++c) {
      const tinygltf::AnimationChannel& channel = animation.channels[c];
      const std::string label = "animation " + std::to_string(options.animation) + " channel " + std::to_string(c);
      if (channel.target_node < 0) continue;  // targets nothing this tool knows
      if (static_cast<std::size_t>(channel.target_node) >= model.nodes.size())
        throw GltfError(label + ": node " + std::to_string(channel.target_node) + " does not exist");
      if (objectOfNode[static_cast<std::size_t>(channel.target_node)] < 0) {
        notes.LeftOut(label + ": it moves a node outside the scene");
        continue;
      }
      const std::string& path = channel.target_path;
      if (path == "weights") {
        notes.LeftOut(label + ": morph target weights");
        continue;
      }
      if (path != "translation" && path != "rotation" && path != "scale") {
        notes.LeftOut(label + ": its target \"" + path + "\"");
        continue;
      }
      auto found = made.find({channel.sampler, path});
      if (found == made.end()) {
        const Keyframes keys = ReadKeyframes(model, animation, channel.sampler, path == "rotation" ? 4 : 3, label);
        Made curves{path == "rotation"      ? RotationCurves(keys)
                    : path == "translation" ? VectorCurves(keys, "Loc")
                                            : VectorCurves(keys, "Scale"),
                    keys.times.back(), 0};
        for (const DemoCurve& curve : curves.curves) curves.bytes += demo::EncodedSize(curve);
        found = made.emplace(std::make_pair(channel.sampler, path), std::move(curves)).first;
      }
      end = std::max(end, found->second.end);
      std::vector<DemoCurve>& slot = byNode[channel.target_node][path];
      for (const DemoCurve& curve : slot) curveBytes -= demo::EncodedSize(curve);
      curveBytes += found->second.bytes;
      // Checked before the copy is made, since every channel's curves are copies.
      budget.CheckBytes(curveBytes, label + ", with the channels before it");
      slot = found->second.curves;
    }
    for (auto& node : byNode) {
      DemoObject& object = out.demo.objects[static_cast<std::size_t>(objectOfNode[static_cast<std::size_t>(node.first)])];
      for (auto& path : node.second) SetCurves(object, std::move(path.second));
    }
    return end;
  }

  const tinygltf::Model& model;
  const SceneOptions& options;
  Notes& notes;
  ConvertedScene out;
  NameSet objectNames, meshNames;
  std::vector<int> objectOfNode;  // node index to its object's index, -1 until converted
  std::set<int> visited;
  int cameras = 0, lamps = 0;
  Budget budget;
  TextureFiles textures;
  MeshCache meshes;
  // A mesh file whose material waits for the scene's sun.
  struct Surface {
    std::size_t mesh;  // in out.meshes
    int material;
    SurfaceLook look;
  };
  std::vector<Surface> surfaces;
  Sunlight sun{SunOfIntensityOne, {1, 1, 1}};  // the default sun's until a directional light says otherwise
  Bounds bounds;  // of every mesh at rest, in the world
};

}  // namespace

ConvertedScene ConvertScene(const tinygltf::Model& model, const SceneOptions& options, Notes& notes) {
  return Converter(model, options, notes).Run();
}

}  // namespace gltf2demo
