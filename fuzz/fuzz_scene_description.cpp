// Feeds arbitrary bytes to the demo writer's scene description reader, with the demo's
// section table and shared helpers (content/scenes/common.lua) as the tool is run on
// the real parts. A SceneError naming the problem is an expected answer; anything else
// is a bug, and so is a description it accepts that the engine's loader would refuse.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/demoFileReader.h"
#include "tools/demo/demoWriter.h"
#include "tools/demo/sceneDescription.h"

#ifndef NEBLU_FUZZ_SCENE_PRELUDE
#error "NEBLU_FUZZ_SCENE_PRELUDE names the helpers every description runs after"
#endif

namespace {
std::vector<demo::ScoreSection> sections;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  sections = demo::ParseScoreSections(
      "intro 0 384\npoints 384 960\ncity 1344 768\nstars 2112 576\ncredits 2688 768\ntotal 3456\n", "sections.txt");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  char path[] = "/tmp/neblu-fuzz-scene-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    try {
      const engine::gfx::DemoFile file = demo::ReadSceneDescription(path, sections, {NEBLU_FUZZ_SCENE_PRELUDE});
      try {
        engine::gfx::ParseDemoFile(demo::EncodeDemoFile(file), "fuzz.demo");
      } catch (const engine::gfx::DemoFileError&) {
        std::abort();
      }
    } catch (const demo::SceneError& e) {
      if (std::string(e.what()).empty()) std::abort();
    }
  }
  unlink(path);
  return 0;
}
