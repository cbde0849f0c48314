// Feeds arbitrary bytes to the material reader as a material script, in a private
// working folder whose data/ holds a two-level template chain and a template that names
// itself, so template lists, nesting and cycles are reached from short inputs. There is
// no device: resource parameters fail with an engine error like any other bad value.
// Anything but an engine error is a bug.

#include <cstdint>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/material.h"
#include "fuzz/private_folder.h"

namespace {
fuzzing::PrivateFolder folder;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  engine::core::SetLoggingSwitch(false);
  folder.Create("neblu-fuzz-material-", argc, argv);
  const bool written =
      fuzzing::WriteText("data/t.tpl",
                         "template = { template = \"u.tpl\", pass = {\n"
                         "  { priority = 1, fx = \"lit\", tec = \"Main\", rendertarget = \"null\", depthtarget = \"null\",\n"
                         "    instances = 2, params = { { \"Tint\", \"float4\", { 0.5, 0.5, 0.5, 1 } }, { \"K\", \"int\", 3 } },\n"
                         "    streams = { { \"pos\", \"P\" }, { \"normal\", \"N\" } } } } }\n") &&
      fuzzing::WriteText("data/u.tpl",
                         "template = { pass = { { fx = \"base\", tec = \"Z\", params = { { \"Tint\", \"float4\", "
                         "{ 0, 0, 0, 1 } }, { \"Size\", \"float2\", { 1, 2 } }, { \"On\", \"bool\", true } },\n"
                         "  streams = { { \"pos\", \"P\" } } } } }\n") &&
      fuzzing::WriteText("data/loop.tpl", "template = { template = { \"u.tpl\", \"loop.tpl\" } }\n");
  if (!written) fuzzing::PrivateFolder::Die("cannot write its templates");
  folder.Ready();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  folder.Enter();
  // The material sits in data/ too, so an input may also name itself as a template.
  if (fuzzing::WriteFile("data/m.efx", data, size)) {
    try {
      engine::gfx::ParseMaterial("data/m.efx");
    } catch (const engine::core::Exception&) {
    }
  }
  folder.Leave();
  return 0;
}
