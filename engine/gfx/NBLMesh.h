#pragma once

#include <string>

#include "engine/api.h"
#include "engine/gfx/mesh.h"

namespace engine {
namespace gfx {

// A LoadMesh filled from a chunked .nbl mesh file ("NBLU", then chunks up to the end
// marker). The name "data/quad.nbl" needs no file: it stands for a 2 x 2 quad whose image
// the engine carries and reads like any file's bytes; a file of that name is neither
// read nor touched.
//
// Behind the end marker an extension section ("NBLX", chunks, its own end marker) carries
// what the base format has no chunk for: vertex colours ("COLOR"), tangents with their
// handedness ("TANGENT", four floats) and a second texture coordinate set ("TEXCOORD",
// semantic index 1). They live in the stream list only; none gets a type-map key.
//
// Failures raise through the log: a missing file, a wrong magic, no indices, and a file
// whose chunks do not fit its bytes (truncated, negative or oversized lengths, an index
// stride other than 2 or 4, a stream shorter than the vertex count); every message
// names the file.
class ENGINE_API LoadNBLMesh : public LoadMesh {
 public:
  explicit LoadNBLMesh(const std::wstring& path);

 private:
  bool finished;  // set by the end chunk
};

}  // namespace gfx
}  // namespace engine
