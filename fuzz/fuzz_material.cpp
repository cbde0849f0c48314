// Feeds arbitrary bytes to the material reader as a material script, in a private
// working folder whose data/ holds a two-level template chain and a template that names
// itself, so template lists, nesting and cycles are reached from short inputs. There is
// no device: resource parameters fail with an engine error like any other bad value.
// Anything but an engine error is a bug.
//
// Templates are found relative to the working folder, so each input runs inside the
// private one; between inputs the fuzzer's own folder is current again, where the
// corpus paths it was given are relative to.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/material.h"

namespace {

bool WriteFile(const char* path, const void* data, size_t size) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

bool WriteText(const char* path, const std::string& text) { return WriteFile(path, text.data(), text.size()); }

int fuzzerFolder = -1;
int privateFolder = -1;
char folder[] = "/tmp/neblu-fuzz-material-XXXXXX";

void RemoveFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// A crash is written out while the private folder is current: unless told otherwise,
// the fuzzer puts it where it was started.
void DefaultArtifactPrefix(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp((*argv)[i], "-artifact_prefix=", 17) == 0) return;
  }
  char* here = getcwd(nullptr, 0);
  if (!here) return;
  static std::string prefix;
  prefix = std::string("-artifact_prefix=") + here + "/";
  std::free(here);
  static std::vector<char*> arguments;
  arguments.assign(*argv, *argv + *argc);
  arguments.push_back(&prefix[0]);
  arguments.push_back(nullptr);
  *argc += 1;
  *argv = arguments.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  engine::core::SetLoggingSwitch(false);
  DefaultArtifactPrefix(argc, argv);
  fuzzerFolder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fuzzerFolder < 0 || !mkdtemp(folder)) {
    std::perror("fuzz_material: cannot make its working folder");
    std::abort();
  }
  std::atexit(RemoveFolder);
  if (chdir(folder) != 0 || mkdir("data", 0700) != 0) {
    std::perror("fuzz_material: cannot make its working folder");
    std::abort();
  }
  const bool written =
      WriteText("data/t.tpl",
                "template = { template = \"u.tpl\", pass = {\n"
                "  { priority = 1, fx = \"lit\", tec = \"Main\", rendertarget = \"null\", depthtarget = \"null\",\n"
                "    instances = 2, params = { { \"Tint\", \"float4\", { 0.5, 0.5, 0.5, 1 } }, { \"K\", \"int\", 3 } },\n"
                "    streams = { { \"pos\", \"P\" }, { \"normal\", \"N\" } } } } }\n") &&
      WriteText("data/u.tpl",
                "template = { pass = { { fx = \"base\", tec = \"Z\", params = { { \"Tint\", \"float4\", "
                "{ 0, 0, 0, 1 } }, { \"Size\", \"float2\", { 1, 2 } }, { \"On\", \"bool\", true } },\n"
                "  streams = { { \"pos\", \"P\" } } } } }\n") &&
      WriteText("data/loop.tpl", "template = { template = { \"u.tpl\", \"loop.tpl\" } }\n");
  if (!written) {
    std::perror("fuzz_material: cannot write its templates");
    std::abort();
  }
  privateFolder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (privateFolder < 0 || fchdir(fuzzerFolder) != 0) {
    std::perror("fuzz_material: cannot switch folders");
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (fchdir(privateFolder) != 0) std::abort();
  // The material sits in data/ too, so an input may also name itself as a template.
  if (WriteFile("data/m.efx", data, size)) {
    try {
      engine::gfx::ParseMaterial("data/m.efx");
    } catch (const engine::core::Exception&) {
    }
  }
  if (fchdir(fuzzerFolder) != 0) std::abort();
  return 0;
}
