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
#include "tools/gltf2demo/animationChoice.h"
#include "tools/gltf2demo/curveConversion.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/materialText.h"
#include "tools/gltf2demo/meshCache.h"
#include "tools/gltf2demo/meshConversion.h"
#include "tools/gltf2demo/names.h"
#include "tools/gltf2demo/sceneExtent.h"
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
const char* const HarmlessExtensions[] = {"KHR_lights_punctual",    "KHR_materials_emissive_strength",
                                          "KHR_materials_ior",      "KHR_materials_specular",
                                          "KHR_texture_transform",  "KHR_materials_unlit",
                                          "EXT_texture_webp"};

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
// A physical sun, once exposed for, in units of a sun of intensity 1: the surfaces facing
// it a little brighter than those lit by a sun of the engine's own units.
constexpr double FullSun = 1.5;

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

// A node with a skinned mesh, whose mesh waits until the joints are placed.
struct Skinned {
  int node;
  std::string name, label;
};

class Converter {
 public:
  Converter(const tinygltf::Model& source, const SceneOptions& chosen, Notes& leftOut)
      : model(source),
        options(chosen),
        notes(leftOut),
        objectOfNode(source.nodes.size(), -1),
        budget(chosen.budget),
        textures(source, leftOut),
        meshes(source, textures, budget, leftOut, Scale()) {}

  // The scene's nodes, meshes, cameras and lights; then Extent holds all of it.
  void Walk() {
    // The first camera and lamp get these names even where a node already has them;
    // where the scene has none, the stand-ins do.
    objectNames.Reserve("Camera");
    objectNames.Reserve("Lamp");
    if (options.post) {
      objectNames.Reserve("Post");
      meshNames.Reserve("Post");
    }
    for (const std::string& name : options.reservedMeshNames) meshNames.Reserve(name);
    NoteExtensions();
    for (int root : Roots()) AddTree(root);
    for (const Skinned& mesh : skinned) AddSkinnedMesh(mesh);
  }

  const SceneExtent& Extent() const { return extent; }

  // The rest of the scene, after Walk.
  ConvertedScene Finish() {
    if (cameras == 0) AddDefaultCamera();
    if (lamps == 0) AddDefaultLamp();
    WriteMaterials();
    out.images = textures.Images();
    for (const ImageFile& image : out.images) budget.SpendBytes(image.bytes.size(), "image '" + image.name + "'");
    const double length = RunningTime(Animate());
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
  double Scale() const { return options.scale > 0 ? options.scale : 1; }

  // How long the part runs: as asked, else as long as the part it replaces (so that the
  // demo's parts keep their sections of the music), else as its animation, else the
  // default. Where the animation and the part differ, the notes say so.
  double RunningTime(double animationSeconds) {
    const double length = options.lengthSeconds >= 0 ? options.lengthSeconds
                          : options.partSeconds > 0  ? options.partSeconds
                          : animationSeconds > 0     ? animationSeconds
                                                     : DefaultLengthSeconds;
    if (animationSeconds > 0 && std::fabs(animationSeconds - length) * FramesPerSecond >= 1) {
      const std::string which = "animation " + std::to_string(playing);
      const std::string why = options.lengthSeconds >= 0 ? "--length" : "the part it replaces";
      notes.Remark(which + " lasts " + Short(animationSeconds) + " s and the part " + Short(length) + " s (" + why + "): " +
                   (animationSeconds < length ? "it plays once and holds its last pose"
                                              : "the part ends before it does (--length sets the part's running time)"));
    }
    return length;
  }

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
    Rest rest = RestOf(node, label);
    // A uniform scale on the whole scene moves every node's origin and keeps its turn and
    // own scale, so it is carried by the translations (and the meshes' positions) rather
    // than by a scaled root, which would put every camera and lamp below a scaled node.
    for (double& t : rest.translation) t *= Scale();
    *world = parentWorld.Then(PlacementOf(rest));
    DemoObject object = Object("Empty", name, parent);
    SetVector(object.location, ToEngine(rest.translation));
    SetVector(object.rotation, EulerXYZ(ToEngine(rest.rotation)));
    // The file keeps no rest scale: constant curves carry it.
    if (!IsOne(rest.scale)) SetCurves(object, ConstantCurves(ToEngine(rest.scale), "Scale"));
    objectOfNode[static_cast<std::size_t>(index)] = static_cast<int>(out.demo.objects.size());
    out.demo.objects.push_back(object);
    const std::size_t at = out.demo.objects.size() - 1;

    if (node.skin >= 0) notes.LeftOutOf(SkinsLeftOut, label);
    worldOfNode[index] = *world;
    if (node.mesh >= 0 && node.skin >= 0) {
      skinned.push_back({index, name, label});
    } else if (node.mesh >= 0) {
      AddMesh(node.mesh, at, label, *world);
    }
    if (node.camera >= 0) AddCamera(node.camera, name, *world);
    const auto light = node.extensions.find("KHR_lights_punctual");
    if (light != node.extensions.end() && light->second.IsObject() && light->second.Has("light")) {
      const tinygltf::Value& value = light->second.Get("light");
      if (!value.IsNumber()) throw GltfError(label + ": its light is not a number");
      AddLight(value.GetNumberAsInt(), name, *world);
    }
    return name;
  }

  // The mesh's files are named after the object at `objectAt`, or after `fileName` when
  // one is given.
  void AddMesh(int meshIndex, std::size_t objectAt, const std::string& label, const Placement& world,
               const std::string& fileName = "") {
    if (static_cast<std::size_t>(meshIndex) >= model.meshes.size())
      throw GltfError(label + ": mesh " + std::to_string(meshIndex) + " does not exist");
    const std::string objectName = out.demo.objects[objectAt].name;
    const bool mirrored = Determinant(world.linear) < 0;
    const std::pair<int, bool> key(meshIndex, mirrored);
    const bool firstUse = filesOfMesh.find(key) == filesOfMesh.end();
    std::vector<std::string>& files = filesOfMesh[key];
    bool first = true;
    std::size_t kept = 0;
    for (const ConvertedPrimitive& primitive : meshes.Mesh(meshIndex, mirrored)) {
      extent.Add(primitive.positions, world);
      std::string owner = objectName;
      if (!first) {
        // Further primitives: objects of their own with the node's placement.
        owner = objectNames.Unique(objectName + "." + std::to_string(primitive.index));
        DemoObject part = Object("Mesh", owner, objectName);
        out.demo.objects.push_back(part);
      }
      DemoObject& holder = first ? out.demo.objects[objectAt] : out.demo.objects.back();
      holder.type = "Mesh";
      if (firstUse) {
        // The first node that shows the primitive names its file; the nodes after it place it.
        files.push_back(meshNames.Unique(FileNameOf(first && !fileName.empty() ? fileName : owner)));
        budget.SpendBytes(primitive.bytes->size(), label + ": " + primitive.label);
        surfaces.push_back({out.meshes.size(), primitive.material, primitive.look});
        out.meshes.push_back({files.back(), primitive.bytes, ""});
      }
      holder.mesh = files[kept++];
      first = false;
    }
  }

  // glTF places a skinned mesh by its joints, not by its node. Without skinning, the mesh
  // stands where its first joint holds it in the bind pose: that joint's world times its
  // inverse bind matrix (the same for every joint in a rest pose that is the bind pose).
  // Placed by its node instead, a character whose armature carries a turn lies on its back.
  // The mesh gets an object of its own at top level; its node stays as it is.
  void AddSkinnedMesh(const Skinned& mesh) {
    const tinygltf::Node& node = model.nodes[static_cast<std::size_t>(mesh.node)];
    Placement place = worldOfNode[mesh.node];
    if (static_cast<std::size_t>(node.skin) < model.skins.size()) {
      const tinygltf::Skin& skin = model.skins[static_cast<std::size_t>(node.skin)];
      const auto joint = skin.joints.empty() ? worldOfNode.end() : worldOfNode.find(skin.joints[0]);
      if (joint != worldOfNode.end()) {
        Placement bind;
        std::vector<float> m;
        try {
          if (skin.inverseBindMatrices >= 0)
            m = ReadFloats(model, skin.inverseBindMatrices, 16, mesh.label + ": its skin's inverse bind matrices");
        } catch (const GltfError& e) {
          // The skin is left out anyway: a broken one only costs the bind pose's place.
          notes.LeftOut(std::string(e.what()) + " (the mesh stands at its first joint)");
        }
        {
          if (m.size() >= 16) {
            Mat3 linear;
            for (std::size_t r = 0; r < 3; ++r)
              for (std::size_t c = 0; c < 3; ++c) linear[r][c] = m[4 * c + r];
            bind.linear = ToEngine(linear);
            bind.translation = ToEngine(Vec3{m[12] * Scale(), m[13] * Scale(), m[14] * Scale()});
          }
        }
        place = joint->second.Then(bind);
      }
    }
    DemoObject object = Object("Empty", objectNames.Unique(mesh.name + ".bindpose"), "");
    Vec3 scale;
    Mat3 rotation = place.linear;
    for (std::size_t c = 0; c < 3; ++c) {
      scale[c] = std::sqrt(rotation[0][c] * rotation[0][c] + rotation[1][c] * rotation[1][c] + rotation[2][c] * rotation[2][c]);
      if (scale[c] < 1e-12) scale[c] = 1;
    }
    if (Determinant(rotation) < 0) scale[0] = -scale[0];
    for (std::size_t r = 0; r < 3; ++r)
      for (std::size_t c = 0; c < 3; ++c) rotation[r][c] /= scale[c];
    SetVector(object.location, place.translation);
    SetVector(object.rotation, EulerXYZ(rotation));
    if (!IsOne(scale)) SetCurves(object, ConstantCurves(scale, "Scale"));
    out.demo.objects.push_back(object);
    AddMesh(node.mesh, out.demo.objects.size() - 1, mesh.label, place, mesh.name);
  }

  // The materials, once the scene's sun is known.
  void WriteMaterials() {
    for (Surface& surface : surfaces) {
      surface.look.sun = sun;
      surface.look.shadows = options.shadows;
      surface.look.textureFolder = options.partFolder;
      MeshFile& mesh = out.meshes[surface.mesh];
      mesh.material = MaterialText(model, surface.material, mesh.name, surface.look, textures, notes);
    }
  }

  void AddDefaultCamera() {
    const View view = FramingView(extent.Subject());
    DemoObject camera = Object("Camera", "Camera", "");
    SetVector(camera.location, view.position);
    SetVector(camera.rotation, view.rotation);
    out.demo.objects.push_back(camera);
    char text[160];
    std::snprintf(text, sizeof text, "a \"Camera\" that frames the scene from %.3g units away (the scene has no perspective camera)",
                  view.distance);
    notes.Added(text);
    const Bounds& subject = extent.Subject();
    const Bounds& bounds = extent.All();
    if (!subject.Empty() && view.distance - subject.Radius() < EngineNear)
      notes.LeftOut("what lies nearer the camera than the engine's near clip plane (0.5): the scene is only " +
                    Short(2 * subject.Radius()) + " units across");
    const Vec3 centre = bounds.Empty() ? Vec3{0, 0, 0} : bounds.Centre();
    const double farthest = std::sqrt((view.position[0] - centre[0]) * (view.position[0] - centre[0]) +
                                      (view.position[1] - centre[1]) * (view.position[1] - centre[1]) +
                                      (view.position[2] - centre[2]) * (view.position[2] - centre[2])) +
                            (bounds.Empty() ? 0 : bounds.Radius());
    if (farthest > EngineFar)
      notes.LeftOut("what lies beyond the engine's far clip plane (400): the scene is " + Short(2 * bounds.Radius()) +
                    " units across");
  }

  void AddDefaultLamp() {
    DemoObject lamp = Object("Lamp", "Lamp", "");
    SetVector(lamp.location, extent.All().Empty() ? Vec3{0, 0, 0} : extent.All().Centre());
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
      sun.strength = SunStrength(light, label);
    }
    Attach("Lamp", lamps, node, nodeWorld);
  }

  // The materials' Sunlight for a directional light. Intensities up to StrongestSun are
  // taken as the engine's own units, as the format's viewers light them; beyond that they
  // are physical, lux (an exporter writes 683 for a sun of one watt a square metre), and an
  // exposure makes the light the engine's full sun, as a camera exposed for it would
  // show it. A sun of no strength or no colour would leave the scene dark: it gets the
  // default sun's strength and colour instead.
  double SunStrength(const tinygltf::Light& light, const std::string& label) {
    const double intensity = std::isfinite(light.intensity) ? std::max(0.0, light.intensity) : 1.0;
    const bool dark = sun.colour[0] + sun.colour[1] + sun.colour[2] <= 0;
    if (intensity <= 0 || dark) {
      sun.colour = {1, 1, 1};
      notes.Added(label + ": the default sun's white light, since its own has " +
                  (dark ? std::string("no colour") : "no intensity") + " and would leave the scene dark");
      return SunOfIntensityOne;
    }
    if (intensity <= StrongestSun) return SunOfIntensityOne * intensity;
    notes.Added(label + ": an exposure of 1/" + Short(intensity) + ", which makes its " + Short(intensity) +
                " lux the engine's full sun");
    return SunOfIntensityOne * FullSun;
  }

  std::string AnimationName(int index) const {
    const std::string& name = model.animations[static_cast<std::size_t>(index)].name;
    return name.empty() ? "" : " '" + name + "'";
  }

  // Curves from the chosen animation; returns its length in seconds (0 for none).
  double Animate() {
    if (model.animations.empty()) return 0;
    const int count = static_cast<int>(model.animations.size());
    playing = options.animation >= 0 ? options.animation : AnimationThatShows(model);
    if (playing >= count)
      throw GltfError("there is no animation " + std::to_string(playing) + "; the file has " + std::to_string(count));
    if (options.animation < 0 && playing > 0)
      notes.Remark("animation " + std::to_string(playing) + AnimationName(playing) + " plays, the first that moves what the part shows");
    for (int a = 0; a < count; ++a) {
      if (a == playing) continue;
      const std::string& name = model.animations[static_cast<std::size_t>(a)].name;
      notes.LeftOutOf("animations other than animation " + std::to_string(playing) + " (one plays; --animation picks which)",
                      std::to_string(a) + (name.empty() ? "" : " '" + name + "'"));
    }
    const tinygltf::Animation& animation = model.animations[static_cast<std::size_t>(playing)];
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
      const std::string label = "animation " + std::to_string(playing) + " channel " + std::to_string(c);
      if (channel.target_node < 0) continue;  // targets nothing this tool knows
      if (static_cast<std::size_t>(channel.target_node) >= model.nodes.size())
        throw GltfError(label + ": node " + std::to_string(channel.target_node) + " does not exist");
      if (objectOfNode[static_cast<std::size_t>(channel.target_node)] < 0) {
        notes.LeftOut(label + ": it moves a node outside the scene");
        continue;
      }
      const std::string& path = channel.target_path;
      if (path == "weights") {
        notes.LeftOutOf("animations of morph target weights", label);
        continue;
      }
      if (path != "translation" && path != "rotation" && path != "scale") {
        notes.LeftOut(label + ": its target \"" + path + "\"");
        continue;
      }
      auto found = made.find({channel.sampler, path});
      if (found == made.end()) {
        Keyframes keys = ReadKeyframes(model, animation, channel.sampler, path == "rotation" ? 4 : 3, label);
        if (path == "translation") {
          for (float& value : keys.values) value = static_cast<float>(value * Scale());
        }
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
  std::map<int, Placement> worldOfNode;  // at rest, in engine axes
  std::vector<Skinned> skinned;
  int playing = 0;  // the animation that plays, once Animate has chosen it  // placed once every joint's world is known
  SceneExtent extent;  // of every mesh at rest, in the world
  // A glTF mesh's files, by kept primitive, for nodes that mirror it or not.
  std::map<std::pair<int, bool>, std::vector<std::string>> filesOfMesh;
};

}  // namespace

ConvertedScene ConvertScene(const tinygltf::Model& model, const SceneOptions& options, Notes& notes) {
  if (options.scale > 0) {
    Converter converter(model, options, notes);
    converter.Walk();
    return converter.Finish();
  }
  // The scene's size is known once its meshes are placed; a scene that fits is finished
  // as it is, one that does not is converted again at the scale that fits it.
  SceneOptions unscaled = options;
  unscaled.scale = 1;
  Notes firstNotes;
  Converter first(model, unscaled, firstNotes);
  first.Walk();
  const Bounds& all = first.Extent().All();
  const Bounds& subject = first.Extent().Subject();
  const double radius = all.Empty() ? 0 : all.Radius();
  const double scale = FittingScale(subject.Empty() ? 0 : subject.Radius(), radius);
  if (scale == 1) {
    ConvertedScene scene = first.Finish();
    notes.Append(firstNotes);
    return scene;
  }
  char text[240];
  std::snprintf(text, sizeof text,
                "a scale of %g on the whole scene, which is %.3g units across, to fit the engine's clip range of 0.5 to 400 units "
                "(--scale 1 keeps its size)",
                scale, 2 * radius);
  SceneOptions scaled = options;
  scaled.scale = scale;
  Converter second(model, scaled, notes);
  notes.Added(text);
  second.Walk();
  return second.Finish();
}

}  // namespace gltf2demo
