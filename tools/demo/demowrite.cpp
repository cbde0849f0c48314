// demowrite SCENE.lua OUT.demo
// Turns a scene description (Lua; the format is documented at the top of
// tools/demo/example.scene.lua) into a demo file the engine's loader reads. Any problem
// with the description goes to standard error, naming the scene file and the object, and
// the exit status is 1; nothing is written then. Bad usage gives 2.

#include <iostream>
#include <string>
#include <vector>

#include "engine/core/logging.h"
#include "tools/demo/demoWriter.h"
#include "tools/demo/sceneDescription.h"
#include "platform/command_line.h"

// --help prints this tool's usage, not the demo program's switches.
PLATFORM_PROGRAM_HAS_ITS_OWN_HELP;

namespace {

const char kUsage[] =
    "usage: demowrite [--sections SECTIONS.txt] [--prelude FILE.lua]... SCENE.lua OUT.demo\n"
    "Writes the demo file a scene description describes.\n"
    "The description format is documented at the top of tools/demo/example.scene.lua.\n"
    "  --sections FILE  the soundtrack's section table (NAME FIRST FRAMES lines), which the\n"
    "                   description reads as sections.NAME.first and sections.NAME.frames\n"
    "  --prelude FILE   runs FILE first, in the same sandbox: helpers scenes share\n"
    "  --help           print this text\n";

}  // namespace

int main(int argc, char** argv) {
  std::string paths[2];
  std::string sectionsPath;
  std::vector<std::string> preludes;
  int count = 0;
  bool switches = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (switches && (a == "--help" || a == "-h")) {
      std::cout << kUsage;
      return 0;
    } else if (switches && a == "--sections") {
      if (i + 1 >= argc) {
        std::cerr << "demowrite: --sections needs the section table's file name\n" << kUsage;
        return 2;
      }
      sectionsPath = argv[++i];
    } else if (switches && a == "--prelude") {
      if (i + 1 >= argc) {
        std::cerr << "demowrite: --prelude needs a file name\n" << kUsage;
        return 2;
      }
      preludes.push_back(argv[++i]);
    } else if (switches && a == "--") {
      switches = false;
    } else if ((switches && !a.empty() && a[0] == '-') || a.empty() || count == 2) {
      std::cerr << "demowrite: unexpected argument " << (a.empty() ? "\"\"" : a) << "\n" << kUsage;
      return 2;
    } else {
      paths[count++] = a;
    }
  }
  if (count != 2) {
    std::cerr << "demowrite: name the scene description and the demo file to write\n" << kUsage;
    return 2;
  }

  // The script's errors come through the engine's error path; a tool reports them on
  // stderr and leaves no log file behind.
  engine::core::SetLoggingSwitch(false);
  int status = 0;
  try {
    const std::vector<demo::ScoreSection> sections =
        sectionsPath.empty() ? std::vector<demo::ScoreSection>() : demo::ReadScoreSections(sectionsPath);
    const engine::gfx::DemoFile file = demo::ReadSceneDescription(paths[0], sections, preludes);
    if (!demo::WriteDemoFile(paths[1], file)) {
      std::cerr << "demowrite: " << paths[1] << ": cannot be written\n";
      status = 1;
    }
  } catch (const demo::SceneError& e) {
    std::cerr << "demowrite: " << e.what() << "\n";
    status = 1;
  }
  delete engine::core::Logging::mInstance;
  return status;
}
