#pragma once

// Five small demo files in `folder`/data, for tests of the timeline: each part has a lamp
// and an empty "Mover" whose x is its part's frame, 0 at frame 1 and 1000 at frame 1001.

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/input.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/core/textConversion.h"
#include "engine/core/timer.h"
#include "engine/gfx/sceneInfo.h"
#include "engine/gfx/demoFile.h"
#include "game/TestScene1.h"
#include "platform/audio.h"
#include "support/scratch_dir.h"
#include "tools/demo/demoWriter.h"

inline void WriteFiveParts(const std::string& folder, const std::vector<int>& lengths) {
  boost::filesystem::create_directories(folder + "/data");
  for (size_t i = 0; i < lengths.size() && i < TestScene1::NumParts; ++i) {
    engine::gfx::DemoFile file;
    file.length = lengths[i];
    file.objects.push_back(engine::gfx::DemoObject{"Lamp", "Lamp", "", "", {0, 0, 0}, {0, 0, 0}, {}});
    engine::gfx::DemoCurve x{"LocX", "Linear", "Constant", {{0, 0, 1, 0, 2, 1}, {1000, 999, 1001, 1000, 1002, 1001}}};
    file.objects.push_back(engine::gfx::DemoObject{"Empty", "Mover", "", "", {0, 0, 0}, {0, 0, 0}, {x}});
    demo::WriteDemoFile(folder + "/" + engine::core::ToNarrow(TestScene1::PartFiles[i]), file);
  }
}

// The engine's singletons around a TestScene1, with the soundtrack playing on the capture
// clock at 25 frames a second, so tests step the music themselves; freed after each test.
class FivePartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::core::SetLoggingSwitch(false);
    ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
    platform::EnableCaptureClock(25, 1);
    music = BASS_StreamCreateFile(FALSE, NEBLU_SOUNDTRACK, 0, 0, 0);
    ASSERT_NE(music, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(music, FALSE));
    engine::core::Timer::Get()->channel = music;
  }

  void TearDown() override {
    scene.Stop();
    platform::DisableCaptureClock();
    BASS_Free();
    delete engine::gfx::SceneInfo::mInstance;
    delete engine::core::Timer::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete engine::core::Input::mInstance;
    delete engine::core::Kernel::mInstance;
    delete engine::core::Logging::mInstance;
    engine::core::SetLoggingSwitch(true);
  }

  testing_support::ScratchDir dir;
  TestScene1 scene;
  HSTREAM music = 0;
};
