// Feeds arbitrary bytes to the resource script reader as data\startup.resources, with
// the kind, multisample, window-size and format globals it defines, and checks what it
// hands on: only known kinds, each read in full. Anything but an engine error is a bug.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/resourceLoader.h"

using engine::core::ResourceDescriptor;

namespace {
volatile unsigned sink;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  char path[] = "/tmp/neblu-fuzz-resources-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    try {
      engine::core::ReadResourceScript(path, 1280, 720, [](const ResourceDescriptor& d) {
        if (d.kind < engine::core::TEXTURE || d.kind > engine::core::NBLMESH) std::abort();
        // The builders take the name as a resource key: the sanitizer checks it is whole.
        for (wchar_t c : d.name) sink += static_cast<unsigned>(c);
      });
    } catch (const engine::core::Exception&) {
    }
  }
  unlink(path);
  return 0;
}
