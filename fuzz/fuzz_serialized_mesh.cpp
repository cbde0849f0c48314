// Feeds arbitrary bytes to LoadMesh::Deserialize. What it accepts must survive a
// Serialize/Deserialize round trip byte for byte and the processing steps; what it
// rejects must leave the mesh as it was.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/gfx/mesh.h"
#include "mesh_exercise.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void RoundTrip(engine::gfx::LoadMesh& mesh, const std::string& scratch) {
  if (!mesh.Serialize(scratch)) return;
  const std::string first = ReadAll(scratch);
  engine::gfx::LoadMesh copy;
  Check(copy.Deserialize(scratch));
  Check(copy.NumVertices() == mesh.NumVertices() && copy.NumIndices() == mesh.NumIndices() &&
        copy.NumData() == mesh.NumData());
  Check(copy.Serialize(scratch));
  Check(ReadAll(scratch) == first);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  char path[] = "/tmp/neblu-fuzz-ser-XXXXXX";
  char scratch[] = "/tmp/neblu-fuzz-ser-out-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const int scratchFd = mkstemp(scratch);
  if (scratchFd < 0) {
    close(fd);
    unlink(path);
    return 0;
  }
  close(scratchFd);
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    try {
      engine::gfx::LoadMesh mesh;
      if (mesh.Deserialize(path)) {
        // The same file again keeps the counts, so it must be accepted on top.
        Check(mesh.Deserialize(path));
        RoundTrip(mesh, scratch);
        fuzzing::ExerciseMesh(mesh);
      } else {
        Check(mesh.NumVertices() == 0 && mesh.NumIndices() == 0 && mesh.NumData() == 0 && !mesh.Indices());
      }
    } catch (const engine::core::Exception&) {
    }
  }
  unlink(path);
  unlink(scratch);
  return 0;
}
