#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/gfx/NBLMesh.h"
#include "engine/gfx/mesh.h"
#include "support/scratch_dir.h"
#include "tools/nbl/nblWriter.h"

namespace testing_support {

// A working directory with data/ and a fresh log for every test, so warnings can be
// counted in the log file.
class MeshTest : public ::testing::Test {
 protected:
  ~MeshTest() override { delete engine::core::Logging::mInstance; }

  // The log so far; closes it, so the next row starts a new one.
  std::string Log() {
    delete engine::core::Logging::mInstance;
    return dir.Read("data/log.html");
  }

  static int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
    return count;
  }

  // Writes `file` to data/m.nbl and reads it back through the engine's loader.
  std::unique_ptr<engine::gfx::LoadNBLMesh> Load(const nbl::Writer& file) {
    dir.Write("data/m.nbl", file.Bytes());
    return std::unique_ptr<engine::gfx::LoadNBLMesh>(new engine::gfx::LoadNBLMesh(L"data/m.nbl"));
  }

  ScratchDir dir;
};

// The text of the engine error `action` raises, or "(no error)".
template <class Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const engine::core::Exception& e) {
    return engine::core::ToNarrow(e.GetText());
  }
  return "(no error)";
}

// A stream buffer from the engine's heap holding a copy of `values`.
template <class T>
void* MeshBuffer(const std::vector<T>& values) {
  void* buffer = engine::gfx::AllocateMeshBuffer(values.size() * sizeof(T));
  if (!values.empty()) std::memcpy(buffer, values.data(), values.size() * sizeof(T));
  return buffer;
}

inline engine::gfx::PVData Stream(const std::string& name, int format, int semanticIndex, void* data) {
  engine::gfx::PVData stream;
  stream.name = name;
  stream.format = format;
  stream.semanticIndex = semanticIndex;
  stream.data = data;
  return stream;
}

// Index values as the mesh holds them, whatever the stride.
inline std::vector<std::uint32_t> IndicesOf(const engine::gfx::LoadMesh& mesh) {
  std::vector<std::uint32_t> out;
  for (int k = 0; k < mesh.NumIndices(); ++k) {
    out.push_back(mesh.IndexStride() == 2 ? reinterpret_cast<const std::uint16_t*>(mesh.Indices())[k]
                                          : reinterpret_cast<const std::uint32_t*>(mesh.Indices())[k]);
  }
  return out;
}

template <class T>
std::vector<T> StreamValues(const engine::gfx::PVData* stream, int count) {
  const auto* values = static_cast<const T*>(stream->data);
  return std::vector<T>(values, values + count);
}

}  // namespace testing_support
