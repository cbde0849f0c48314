// gltf2demo SCENE.gltf|SCENE.glb OUT_DIR NAME
// Turns a glTF 2.0 scene into the demo file OUT_DIR/NAME.demo, its meshes
// OUT_DIR/NAME.demo_scene/*.nbl and a default material beside each. What the engine has
// no place for is named on standard error and left out; a broken file gives one message
// naming it and the problem, and exit status 1; bad usage gives 2.

#include <tiny_gltf.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/demo/demoWriter.h"
#include "tools/gltf2demo/curveConversion.h"
#include "tools/gltf2demo/gltfError.h"
#include "tools/gltf2demo/gltfLoad.h"
#include "tools/gltf2demo/sceneConversion.h"
#include "platform/command_line.h"

// --help prints this tool's usage, not the demo program's switches.
PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

const char kUsage[] =
    "usage: gltf2demo [--scene N] [--animation N] [--length SECONDS] [--scale S] [--no-shadows]\n"
    "                 [--no-post] SCENE.gltf|SCENE.glb OUT_DIR NAME\n"
    "Writes OUT_DIR/NAME.demo, its meshes OUT_DIR/NAME.demo_scene/MESH.nbl and a material\n"
    "MESH.nbl.efx beside each from a glTF 2.0 scene. Materials are glTF's metallic-roughness\n"
    "surfaces (fx/gltf.fx) with their base colour, metallic-roughness, normal, occlusion and\n"
    "emissive textures on coordinate set 0 or 1 (written beside the meshes as PNG or JPEG\n"
    "files, WebP ones as PNG), emissive strength, alpha mask and blend, unlit and the\n"
    "vertex colours, casting and taking the lamp's shadows. Nodes keep their names and\n"
    "hierarchy; y-up glTF axes become the engine's z-up ones. Each mesh primitive becomes\n"
    "one mesh file, placed by every node that shows it. The first perspective camera and directional light are\n"
    "named \"Camera\" and \"Lamp\". A scene without a camera gets one that frames it (what\n"
    "stands on a ground rather than the ground), one without a directional light a sun\n"
    "from above, front left; a sun brighter than 10 is taken as lux and exposed for. A\n"
    "scene too large or too small for the engine's clip range (0.5 to 400 units) is scaled\n"
    "by a power of ten to fit. Translation, rotation and scale animation become Loc, Rot\n"
    "and Scale curves at 25 frames a second. Textures are named as the program finds them\n"
    "when OUT_DIR is its data folder: data/NAME.demo_scene/FILE. Skins, morph targets,\n"
    "points and lines, point and spot lights and anything else the engine has no place\n"
    "for are named on standard error and left out.\n"
    "Budget: a file may make at most 8000000 vertices in its mesh files (counted after\n"
    "flat shading and back faces, each glTF mesh once however many nodes show it) and\n"
    "1 GiB (1073741824 bytes) of files in all;\n"
    "one that asks for more is refused, naming what asked and how much.\n"
    "  --scene N         which of the file's scenes (default: the one the file names)\n"
    "  --animation N     which of the file's animations plays (default: the first that\n"
    "                    moves what the part shows, not only a skeleton)\n"
    "  --length SECONDS  the scene's running time (default: that of OUT_DIR/NAME.demo, the\n"
    "                    part it replaces; without one, the animation's end, or 10 s)\n"
    "  --scale S         scale the whole scene by S (default: fit the engine's clip range)\n"
    "  --no-shadows      surfaces neither cast nor take shadows\n"
    "  --no-post         no \"Post\" object (it brings in the demo's post-processing chain)\n"
    "  --help            print this text\n"
    "Exit status: 0 written, 1 the scene could not be read or written, 2 bad usage.\n";

static_assert(gltf2demo::DefaultMostVertices == 8000000 && gltf2demo::DefaultMostBytes == 1073741824,
              "the usage text states the budget");

int Usage(const std::string& problem) {
  std::cerr << "gltf2demo: " << problem << "\n" << kUsage;
  return 2;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

// The running time of the part a scene replaces: the demo file already there, if it can
// be read; -1 otherwise (a new part, or a broken file the conversion overwrites).
double PartSeconds(const std::string& demoPath) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(demoPath, error)) return -1;
  try {
    const engine::gfx::DemoFile part = engine::gfx::ReadDemoFile(demoPath);
    return part.length > 0 ? part.length / gltf2demo::FramesPerSecond : -1;
  } catch (const std::exception&) {
    return -1;
  }
}

// Materials in the part's folder without a mesh file beside them: the program makes those
// meshes at start-up (the intro's "Grid"), so the scene's must not take their names.
std::vector<std::string> MeshesTheProgramMakes(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  const std::string ending = ".nbl.efx";
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string file = entry->path().filename().string();
    if (file.size() <= ending.size() || file.compare(file.size() - ending.size(), ending.size(), ending) != 0) continue;
    const std::string mesh = file.substr(0, file.size() - ending.size());
    if (!std::filesystem::exists(folder / (mesh + ".nbl"), error)) names.push_back(mesh);
  }
  return names;
}

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == '\0' && std::isfinite(*value);
}

}  // namespace

int main(int argc, char** argv) {
  gltf2demo::SceneOptions options;
  std::vector<std::string> paths;
  bool switches = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    double number = 0;
    if (switches && (a == "--help" || a == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (switches && a == "--scale") {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], &number) || !(number > 0) || number > 1e6 || number < 1e-6)
        return Usage("--scale needs a number from 0.000001 to 1000000");
      ++i;
      options.scale = number;
    } else if (switches && (a == "--animation" || a == "--scene" || a == "--length")) {
      if (i + 1 >= argc || !ParseNumber(argv[i + 1], &number) || number < 0)
        return Usage(a + " needs a number of at least 0");
      ++i;
      if (a != "--length") {
        if (number != static_cast<int>(number)) return Usage(a + " needs a whole number");
        (a == "--scene" ? options.scene : options.animation) = static_cast<int>(number);
      } else if (number * gltf2demo::FramesPerSecond >= gltf2demo::MostFrames) {
        return Usage("--length needs fewer seconds than a demo file holds (85899345)");
      } else {
        options.lengthSeconds = number;
      }
    } else if (switches && a == "--no-post") {
      options.post = false;
    } else if (switches && a == "--no-shadows") {
      options.shadows = false;
    } else if (switches && a == "--") {
      switches = false;
    } else if ((switches && !a.empty() && a[0] == '-') || a.empty()) {
      return Usage("unexpected argument " + (a.empty() ? std::string("\"\"") : a));
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 3) return Usage("name the glTF scene, the output folder and the scene's name");
  const std::string& scenePath = paths[0];
  const std::string& name = paths[2];
  if (name.find('/') != std::string::npos || name == "." || name == "..")
    return Usage("the scene's name \"" + name + "\" must be a plain file name");

  gltf2demo::ConvertedScene scene;
  options.partFolder = "data/" + name + ".demo_scene/";
  const std::string demoPath = (std::filesystem::path(paths[1]) / (name + ".demo")).string();
  options.partSeconds = PartSeconds(demoPath);
  options.reservedMeshNames = MeshesTheProgramMakes(std::filesystem::path(paths[1]) / (name + ".demo_scene"));
  try {
    tinygltf::Model model;
    std::vector<std::string> warnings;
    gltf2demo::LoadGltf(scenePath, &model, &warnings);
    for (const std::string& w : warnings) std::cerr << "gltf2demo: " << scenePath << ": " << w << "\n";
    gltf2demo::Notes notes;
    scene = gltf2demo::ConvertScene(model, options, notes);
    for (const std::string& line : notes.Lines()) std::cerr << "gltf2demo: " << scenePath << ": left out: " << line << "\n";
    for (const std::string& line : notes.AddedLines()) std::cerr << "gltf2demo: " << scenePath << ": added: " << line << "\n";
    for (const std::string& line : notes.Remarks()) std::cerr << "gltf2demo: " << scenePath << ": " << line << "\n";
  } catch (const gltf2demo::GltfError& e) {
    std::cerr << "gltf2demo: " << scenePath << ": " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    // Whatever the reader or a library raised still names the file; never an abort.
    std::cerr << "gltf2demo: " << scenePath << ": " << e.what() << "\n";
    return 1;
  }

  const std::filesystem::path folder = std::filesystem::path(paths[1]) / (name + ".demo_scene");
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::cerr << "gltf2demo: " << folder.string() << ": cannot be made: " << error.message() << "\n";
    return 1;
  }
  for (const gltf2demo::MeshFile& mesh : scene.meshes) {
    for (const auto& file : {std::make_pair(mesh.name + ".nbl", mesh.bytes.get()), std::make_pair(mesh.name + ".nbl.efx", &mesh.material)}) {
      if (!WriteFile(folder / file.first, *file.second)) {
        std::cerr << "gltf2demo: " << (folder / file.first).string() << ": cannot be written\n";
        return 1;
      }
    }
  }
  for (const gltf2demo::ImageFile& image : scene.images) {
    if (!WriteFile(folder / image.name, image.bytes)) {
      std::cerr << "gltf2demo: " << (folder / image.name).string() << ": cannot be written\n";
      return 1;
    }
  }
  if (!demo::WriteDemoFile(demoPath, scene.demo)) {
    std::cerr << "gltf2demo: " << demoPath << ": cannot be written\n";
    return 1;
  }
  return 0;
}
