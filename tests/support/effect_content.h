#pragma once

// The effect pool's own files, which every effect needs before it can compile: the pool
// (data/fx/_shared.fx) and the wireframe fallback (data/wireframe.efx, its effect file).
// Their sources live in tests/support/content.

#include <boost/filesystem.hpp>
#include <string>

#include "support/scratch_dir.h"

namespace testing_support {

inline std::string ContentFile(const std::string& name) {
  return ScratchDir::ReadFile(std::string(NEBLU_TEST_CONTENT) + "/" + name);
}

inline void WriteEffectBasics(const ScratchDir& dir) {
  boost::filesystem::create_directories(dir.Path("data/fx"));
  dir.Write("data/fx/_shared.fx", ContentFile("_shared.fx"));
  dir.Write("data/fx/wireframe.fx", ContentFile("wireframe.fx"));
  dir.Write("data/wireframe.efx", ContentFile("wireframe.efx"));
}

}  // namespace testing_support
