#pragma once

// Five small demo files in `folder`/data, for tests of the timeline: each part has a lamp
// and an empty "Mover" whose x is its part's frame, 0 at frame 1 and 1000 at frame 1001.

#include <boost/filesystem.hpp>
#include <string>
#include <vector>

#include "engine/core/textConversion.h"
#include "engine/gfx/demoFile.h"
#include "game/TestScene1.h"
#include "tools/demo/demoWriter.h"

inline void WriteFiveParts(const std::string& folder, const std::vector<int>& lengths) {
  boost::filesystem::create_directories(folder + "/data");
  for (size_t i = 0; i < lengths.size() && i < TestScene1::PartCount; ++i) {
    engine::gfx::DemoFile file;
    file.length = lengths[i];
    file.objects.push_back(engine::gfx::DemoObject{"Lamp", "Lamp", "", "", {0, 0, 0}, {0, 0, 0}, {}});
    engine::gfx::DemoCurve x{"LocX", "Linear", "Constant", {{0, 0, 1, 0, 2, 1}, {1000, 999, 1001, 1000, 1002, 1001}}};
    file.objects.push_back(engine::gfx::DemoObject{"Empty", "Mover", "", "", {0, 0, 0}, {0, 0, 0}, {x}});
    demo::WriteDemoFile(folder + "/" + engine::core::ToNarrow(TestScene1::PartFiles[i]), file);
  }
}
