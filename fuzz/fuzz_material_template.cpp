// Feeds arbitrary bytes to the material reader as a template script, data/t.tpl, which
// a fixed material names from two alternatives (alone, and in a list after another
// template), so template nesting, lists and cycles (the input may name itself or the
// fixed template) are reached from short inputs. There is no device: resource
// parameters fail with an engine error like any other bad value. Anything but an engine
// error is a bug.

#include <cstdint>
#include <cstdlib>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/material.h"
#include "fuzz/private_folder.h"

namespace {
fuzzing::PrivateFolder folder;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  engine::core::SetLoggingSwitch(false);
  folder.Create("neblu-fuzz-template-", argc, argv);
  const bool written =
      fuzzing::WriteText("data/m.efx",
                         "effect = {\n"
                         "  { priority = 2, template = \"t.tpl\", params = { { \"Tint\", \"float4\", { 1, 0, 0, 1 } } },\n"
                         "    pass = { { fx = \"lit\", tec = \"Main\", streams = { { \"pos\", \"POSITION\" } } } } },\n"
                         "  { priority = 1, template = { \"u.tpl\", \"t.tpl\" } },\n"
                         "}\n") &&
      fuzzing::WriteText("data/u.tpl",
                         "template = { pass = { { fx = \"base\", tec = \"Z\", rendertarget = \"Scene\",\n"
                         "  params = { { \"Tint\", \"float4\", { 0, 0, 0, 1 } }, { \"On\", \"bool\", true } },\n"
                         "  streams = { { \"pos\", \"P\" } } } } }\n");
  if (!written) fuzzing::PrivateFolder::Die("cannot write its fixed scripts");
  folder.Ready();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  folder.Enter();
  if (fuzzing::WriteFile("data/t.tpl", data, size)) {
    try {
      engine::gfx::ParseMaterial("data/m.efx");
    } catch (const engine::core::Exception&) {
    }
  }
  folder.Leave();
  return 0;
}
