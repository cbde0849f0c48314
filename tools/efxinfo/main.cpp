// efxinfo [--resources SCRIPT] [--build] MATERIAL...
// Reads material scripts the way the engine does, on a headless device, and prints every
// alternative with its passes (templates expanded, material-wide values applied) as one
// JSON document. The resource script of the materials' data folder runs first unless
// another is named. With --build each material is also built into an effect by the
// effect pool, and the pool's global render order is printed after it is sorted; what the
// engine would leave out or draw as the wireframe fails the run. Run it in the folder
// that holds data/. An engine error goes to standard error and the exit status is 1; bad
// usage gives 2.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/resourceManager.h"
#include "engine/core/screen.h"
#include "engine/core/textConversion.h"
#include "tools/jsonText.h"
#include "engine/gfx/Shader.h"
#include "engine/gfx/effectPool.h"
#include "engine/gfx/material.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/sceneInfo.h"
#include "platform/command_line.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "tools/efxinfo/buildCheck.h"

// --help prints this tool's usage, not the demo program's switches.
PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

using engine::core::ToNarrow;
using engine::core::ToWide;
using engine::gfx::EffectAlternative;
using engine::gfx::PassDescription;
using engine::gfx::ShaderParameters;

// The effect pool finds the renderer under this key when it is created.
constexpr int kRendererKey = 10;

const char kUsage[] =
    "usage: efxinfo [--resources SCRIPT] [--build] MATERIAL...\n"
    "Prints the alternatives and passes of each material script as JSON.\n"
    "Run it in the folder that holds data/.\n"
    "  --resources SCRIPT  the resource script to run first, so that passes may name its\n"
    "                      targets (default: the data folder's startup.resources, found\n"
    "                      in the first material's folder or the nearest one above it)\n"
    "  --build             also build each material into an effect and print the sorted\n"
    "                      render order of every pass the effect pool holds; a pass the\n"
    "                      engine would leave out (its effect file missing or broken, its\n"
    "                      technique not in the file) or a material it would draw as the\n"
    "                      wireframe is an error\n"
    "  --help              print this text\n"
    "Exit status: 0 read (and built), 1 a material or script has a problem, 2 bad usage.\n";

using tools::JsonQuote;

// Shortest text that reads back as the same float; JSON has no infinities or NaN.
std::string Number(float f) {
  if (!std::isfinite(f)) return "null";
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, f);
  return std::string(buf, result.ptr);
}

std::string Floats(const float* f, int n) {
  std::string out = "[";
  for (int k = 0; k < n; ++k) out += (k ? ", " : "") + Number(f[k]);
  return out + "]";
}

std::string StringList(const std::vector<std::string>& names) {
  std::string out = "[";
  for (size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + JsonQuote(names[i]);
  return out + "]";
}

template <class V, class Value>
void AddParams(std::string& out, const std::vector<ShaderParameters::Entry<V>>& entries, Value value) {
  for (const auto& e : entries) {
    if (out.size() > 1) out += ", ";
    out += "{\"name\": " + JsonQuote(e.name) + ", \"type\": " + JsonQuote(e.type) + ", \"value\": " + value(e) + "}";
  }
}

std::string ParamsJson(const ShaderParameters& p) {
  using P = ShaderParameters;
  std::string out = "[";
  AddParams(out, p.float4s, [](const P::Entry<P::param128>& e) { return Floats(e.value->f, 4); });
  AddParams(out, p.float3s, [](const P::Entry<P::param96>& e) { return Floats(e.value->f, 3); });
  AddParams(out, p.float2s, [](const P::Entry<P::param64>& e) { return Floats(e.value->f, 2); });
  AddParams(out, p.bit32s, [](const P::Entry<P::param32>& e) {
    return e.type == "int" ? std::to_string(e.value->i) : Number(e.value->f);
  });
  AddParams(out, p.animated, [](const P::Entry<P::AnimatedValue>&) { return std::string("null"); });
  AddParams(out, p.bools, [](const P::Entry<P::param8>& e) { return std::string(e.value->b ? "true" : "false"); });
  // An empty reference (the back buffer, or a target name nothing was registered
  // under) names no resource.
  AddParams(out, p.resources, [](const P::Entry<boost::shared_ptr<engine::core::Resource>>& e) {
    return JsonQuote(*e.value ? ToNarrow((*e.value)->Name()) : std::string());
  });
  return out + "]";
}

std::string StreamsJson(const std::vector<engine::gfx::StreamRequirement>& streams) {
  static const char* const kKinds[] = {"pos", "normal", "tex", "tangent", "binormal", "bone"};
  std::string out = "[";
  for (size_t i = 0; i < streams.size(); ++i) {
    const int kind = streams[i].kind;
    const std::string word = kind >= 0 && kind < 6 ? JsonQuote(kKinds[kind]) : std::to_string(kind);
    out += (i ? ", " : "") + std::string("{\"kind\": ") + word + ", \"name\": " + JsonQuote(streams[i].name) + "}";
  }
  return out + "]";
}

std::string PassJson(const PassDescription& d) {
  return "{\"priority\": " + std::to_string(d.priority) + ", \"fx\": " + JsonQuote(d.fx) + ", \"tec\": " + JsonQuote(d.tec) +
         ", \"targets\": " + StringList(d.targetNames) + ", \"depth\": " + JsonQuote(d.depthTargetName) +
         ", \"instances\": " + std::to_string(d.instances) + ", \"params\": " + ParamsJson(d.parameters) +
         ", \"streams\": " + StreamsJson(d.streams) + "}";
}

std::string AlternativesJson(const std::vector<EffectAlternative>& alternatives) {
  std::string out = "[";
  for (size_t a = 0; a < alternatives.size(); ++a) {
    out += (a ? ", " : "") + std::string("{\"priority\": ") + std::to_string(alternatives[a].priority) +
           ", \"passes\": [";
    for (size_t p = 0; p < alternatives[a].passes.size(); ++p)
      out += (p ? ", " : "") + PassJson(alternatives[a].passes[p]);
    out += "]}";
  }
  return out + "]";
}

std::string BuiltJson(const boost::shared_ptr<engine::gfx::Effect>& effect) {
  const bool wireframe = effect == engine::gfx::EffectPool::Get()->Wireframe();
  std::string out = std::string("{\"wireframe\": ") + (wireframe ? "true" : "false") + ", \"passes\": [";
  for (unsigned i = 0; i < effect->GetShaderCount(); ++i) {
    const engine::gfx::Shader& shader = *effect->GetShader(i);
    out += (i ? ", " : "") + std::string("{\"fx\": ") + JsonQuote(shader.Pass().fx) + ", \"tec\": " +
           JsonQuote(shader.Pass().tec) + ", \"renderIndex\": " + std::to_string(shader.renderIndex) + "}";
  }
  return out + "]}";
}

std::string OrderJson() {
  const auto& shaders = engine::gfx::EffectPool::Get()->Shaders();
  std::string out = "[";
  for (size_t i = 0; i < shaders.size(); ++i) {
    const PassDescription& d = shaders[i]->Pass();
    out += (i ? ", " : "") + std::string("{\"fx\": ") + JsonQuote(d.fx) + ", \"tec\": " + JsonQuote(d.tec) +
           ", \"targets\": " + StringList(d.targetNames) + ", \"depth\": " + JsonQuote(d.depthTargetName) +
           ", \"renderIndex\": " + std::to_string(shaders[i]->renderIndex) + "}";
  }
  return out + "]";
}

// Everything the run made, released in the order a whole engine run does: the pool and
// the renderer while the device still exists, then the window and its device, then the
// singletons the lookups came from.
void ShutDown(engine::core::CScreen& screen, engine::gfx::Renderer* renderer) {
  delete engine::gfx::EffectPool::mInstance;
  delete renderer;
  engine::core::CWin32Window* window = engine::core::CWin32Window::mInstance;
  if (window && IsWindow(window->hWnd)) DestroyWindow(window->hWnd);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  if (window) screen.Stop();
  delete engine::gfx::SceneInfo::mInstance;
  delete engine::core::ResourceManager::mInstance;
  delete engine::core::CWin32Window::mInstance;
  delete engine::core::Kernel::mInstance;
  delete engine::core::Logging::mInstance;
}

struct Options {
  std::string resources;
  bool resourcesByDefault = false;  // found beside the materials, not named
  bool build = false;
  std::vector<std::string> materials;
};

// The data folder's resource script for `material`: startup.resources in the material's
// folder or the nearest folder above it, as a path from the working directory. Every
// real material names targets that script makes. Empty when there is none.
std::string DataFolderResources(const std::string& material) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path folder = fs::absolute(platform::NativePath(material), error).lexically_normal().parent_path();
  for (; !error && !folder.empty(); folder = folder.parent_path()) {
    const fs::path script = folder / "startup.resources";
    std::error_code notThere;
    if (fs::is_regular_file(script, notThere)) {
      const fs::path relative = fs::proximate(script, notThere);
      return (notThere ? script : relative).string();
    }
    if (folder == folder.root_path()) break;
  }
  return "";
}

// 0 to go on, else the exit status.
int ParseArguments(int argc, char** argv, Options& options) {
  bool switches = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (switches && (a == "--help" || a == "-h")) {
      std::cout << kUsage;
      return -1;
    } else if (switches && a == "--resources" && i + 1 < argc) {
      options.resources = argv[++i];
    } else if (switches && a == "--build") {
      options.build = true;
    } else if (switches && a == "--") {
      switches = false;
    } else if (!a.empty() && (!switches || a[0] != '-')) {
      options.materials.push_back(a);
    } else {
      std::cerr << "efxinfo: unknown or incomplete argument " << a << "\n" << kUsage;
      return 2;
    }
  }
  if (options.materials.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  if (options.resources.empty()) {
    options.resources = DataFolderResources(options.materials.front());
    options.resourcesByDefault = !options.resources.empty();
  }
  return 0;
}

int Run(const Options& options, engine::core::CScreen& screen, engine::gfx::Renderer*& renderer) {
  std::string where;  // what was being read when an error came
  std::vector<std::string> problems;  // "MATERIAL: PROBLEM", said however the run ends
  const auto sayProblems = [&problems] {
    for (const std::string& problem : problems) std::cerr << "efxinfo: " << problem << "\n";
  };
  try {
    engine::WindowSettings settings;
    settings.title = L"efxinfo";
    settings.width = 64;
    settings.height = 64;
    try {
      screen.Init(settings);
    } catch (const engine::core::Exception& e) {
      std::cerr << "efxinfo: no graphics device can be made here: " << ToNarrow(e.GetText()) << "\n";
      return 1;
    }
    renderer = new engine::gfx::Renderer();
    engine::core::Kernel::Get()->AddModule(renderer, kRendererKey);

    if (!options.resources.empty()) {
      where = options.resources + (options.resourcesByDefault ? " (the data folder's, run by default)" : "") + ": ";
      engine::core::ResourceManager::Get()->LoadResourceScript(options.resources);
    }

    std::vector<std::string> described;
    std::vector<boost::shared_ptr<engine::gfx::Effect>> effects;
    for (const std::string& path : options.materials) {
      where = path + ": ";
      const std::vector<EffectAlternative> alternatives = engine::gfx::ParseMaterial(path);
      described.push_back(AlternativesJson(alternatives));
      if (!options.build) continue;
      // The engine builds what it can and falls back quietly; the author is told.
      std::vector<std::string> found = efxinfo::PassProblems(alternatives);
      if (found.empty()) {
        effects.push_back(engine::gfx::EffectPool::Get()->BuildEffect(path));
        const std::string fallback = efxinfo::FallbackProblem(alternatives, effects.back());
        if (!fallback.empty()) found.push_back(fallback);
      }
      for (const std::string& problem : found) problems.push_back(path + ": " + problem);
    }
    where.clear();
    if (!problems.empty()) {
      sayProblems();
      return 1;
    }
    if (options.build) engine::gfx::EffectPool::Get()->SortShaders();

    std::string out = "{\"materials\": [";
    for (size_t m = 0; m < options.materials.size(); ++m) {
      out += (m ? ", " : "") + std::string("{\"path\": ") + JsonQuote(options.materials[m]) +
             ", \"alternatives\": " + described[m];
      if (options.build) out += ", \"built\": " + BuiltJson(effects[m]);
      out += "}";
    }
    out += "]";
    if (options.build) out += ", \"order\": " + OrderJson();
    std::cout << out << "}" << std::endl;
    return 0;
  } catch (const engine::core::Exception& e) {
    sayProblems();
    std::cerr << "efxinfo: " << where << ToNarrow(e.GetText()) << "\n";
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = ParseArguments(argc, argv, options)) return status < 0 ? 0 : status;

  platform::ForceHeadless(true);
  engine::core::SetLoggingSwitch(false);
  // A module that fails to start says so in a message box; a tool says it on stderr.
  platform::SetMessageBoxHook([](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
    std::cerr << "efxinfo: " << ToNarrow(caption) << ": " << ToNarrow(text) << "\n";
  });

  engine::gfx::Renderer* renderer = nullptr;
  int status;
  {
    engine::core::CScreen screen;
    status = Run(options, screen, renderer);
    ShutDown(screen, renderer);
  }
  platform::SetMessageBoxHook(nullptr);
  return status;
}
