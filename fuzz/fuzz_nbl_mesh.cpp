// Feeds arbitrary bytes to the .nbl mesh reader, then runs the processing steps on
// whatever it accepts. Engine errors are expected; anything else is a bug.

#include <unistd.h>

#include <cstdint>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "mesh_exercise.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  char path[] = "/tmp/neblu-fuzz-nbl-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    try {
      engine::gfx::LoadNBLMesh mesh(engine::core::ToWide(path));
      fuzzing::ExerciseMesh(mesh);
    } catch (const engine::core::Exception&) {
    }
  }
  unlink(path);
  return 0;
}
