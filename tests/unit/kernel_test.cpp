#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/core/exception.h"
#include "engine/core/kernel.h"
#include "engine/core/logging.h"
#include "engine/wrapper.h"
#include "platform/win32.h"
#include "support/scratch_dir.h"

using engine::core::Exception;
using engine::core::Kernel;
using engine::core::Logging;
using engine::core::Module;

namespace {

// Everything the modules and the message box saw, in order.
struct Journal {
  std::vector<std::string> events;
  int messageBoxes = 0;
  std::wstring lastBoxText;
  std::wstring lastBoxCaption;
};

class Recorder : public Module {
 public:
  Recorder(Journal* journal_, const std::string& tag_, int priority_) : journal(journal_), tag(tag_) {
    name = std::wstring(tag_.begin(), tag_.end());
    priority = priority_;
  }
  bool Start() override {
    journal->events.push_back("start " + tag);
    if (onStart) onStart();
    return true;
  }
  void Update() override {
    journal->events.push_back("update " + tag);
    if (onUpdate) onUpdate(this);
  }
  void Stop() override { journal->events.push_back("stop " + tag); }

  std::function<void()> onStart;
  std::function<void(Recorder*)> onUpdate;

 private:
  Journal* journal;
  std::string tag;
};

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHook([this](HWND, const std::wstring& text, const std::wstring& caption, UINT) {
      ++journal.messageBoxes;
      journal.lastBoxText = text;
      journal.lastBoxCaption = caption;
    });
    kernel = Kernel::Get();
  }
  void TearDown() override {
    delete Kernel::mInstance;
    delete engine::core::CWin32Window::mInstance;
    delete Logging::mInstance;
    platform::SetMessageBoxHook(nullptr);
  }

  // The events after the first `skip` (the start-up ones).
  std::vector<std::string> EventsFrom(size_t skip) const {
    return std::vector<std::string>(journal.events.begin() + static_cast<std::ptrdiff_t>(skip), journal.events.end());
  }

  // Closes the log and returns its rows.
  std::string CloseLog() {
    delete Logging::mInstance;
    return dir.Read("data/log.html");
  }

  static size_t Count(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
  }

  testing_support::ScratchDir dir;
  Journal journal;
  Kernel* kernel = nullptr;
};

// Quits after `passes` updates of the module it is attached to.
std::function<void(Recorder*)> QuitAfter(int passes) {
  auto left = std::make_shared<int>(passes);
  return [left](Recorder*) {
    if (--*left == 0) Kernel::Get()->Quit();
  };
}

TEST_F(KernelTest, UpdatesInPriorityOrderWhateverTheOrderOfAdding) {
  Recorder input(&journal, "input", 14000), screen(&journal, "screen", 1), scene(&journal, "scene", 200);
  kernel->AddModule(&input, 2);
  kernel->AddModule(&screen, 1);
  kernel->AddModule(&scene, 10100);
  input.onUpdate = QuitAfter(1);
  kernel->Run();

  EXPECT_EQ(EventsFrom(3), (std::vector<std::string>{"update screen", "update scene", "update input", "stop screen",
                                                     "stop scene", "stop input"}));
  const std::string log = CloseLog();
  EXPECT_NE(log.find("Adding new module input"), std::string::npos);
  EXPECT_NE(log.find("Module scene sucessfully started"), std::string::npos);
  EXPECT_LT(log.find("Starting main loop"), log.find("Quit called"));
  EXPECT_LT(log.find("Quit called"), log.find("Killing all modules"));
}

TEST_F(KernelTest, DuplicateKeyRunsBothButFindsTheFirst) {
  Recorder first(&journal, "first", 10), second(&journal, "second", 20);
  kernel->AddModule(&first, 5);
  kernel->AddModule(&second, 5);
  second.onUpdate = QuitAfter(1);
  kernel->Run();

  EXPECT_EQ(kernel->FindModule(5), &first);
  EXPECT_EQ(kernel->FindModule(6), nullptr);
  EXPECT_EQ(EventsFrom(2), (std::vector<std::string>{"update first", "update second", "stop first", "stop second"}));
}

TEST_F(KernelTest, ModuleThatDiesGetsNoUpdateButOneStopAfterTheLiveOnes) {
  Recorder a(&journal, "a", 1), dying(&journal, "dying", 2), b(&journal, "b", 3);
  kernel->AddModule(&a, 1);
  kernel->AddModule(&dying, 2);
  kernel->AddModule(&b, 3);
  dying.onUpdate = [](Recorder* self) { self->SetAlive(false); };
  b.onUpdate = QuitAfter(3);
  kernel->Run();

  EXPECT_EQ(EventsFrom(3), (std::vector<std::string>{"update a", "update dying", "update b",  // pass 1
                                                     "update a", "update b",                  // pass 2: found dead
                                                     "update a", "update b",                  // pass 3
                                                     "stop a", "stop b", "stop dying"}));
}

TEST_F(KernelTest, ModuleRegisteredTwiceThatDiesLeavesWithEveryCopy) {
  Recorder twice(&journal, "twice", 1), other(&journal, "other", 2);
  kernel->AddModule(&twice, 1);
  kernel->AddModule(&other, 2);
  kernel->AddModule(&twice, 3);
  twice.onUpdate = [](Recorder* self) { self->SetAlive(false); };
  other.onUpdate = QuitAfter(2);
  kernel->Run();

  // Pass 1: the first copy updates and dies; the second copy is found dead and both go.
  EXPECT_EQ(EventsFrom(3), (std::vector<std::string>{"update twice", "update other", "update other", "stop other",
                                                     "stop twice"}));
}

TEST_F(KernelTest, QuitDuringAPassLetsThePassFinishThenStopsEveryModuleOnce) {
  Recorder quitter(&journal, "quitter", 1), after(&journal, "after", 2);
  kernel->AddModule(&quitter, 1);
  kernel->AddModule(&after, 2);
  quitter.onUpdate = QuitAfter(1);
  kernel->Run();

  EXPECT_EQ(EventsFrom(2), (std::vector<std::string>{"update quitter", "update after", "stop quitter", "stop after"}));
  EXPECT_EQ(Count(CloseLog(), "Killing all modules"), 1u);
}

TEST_F(KernelTest, ExceptionInUpdateSkipsTheRestOfThatPassOnly) {
  Recorder thrower(&journal, "thrower", 1), after(&journal, "after", 2);
  kernel->AddModule(&thrower, 1);
  kernel->AddModule(&after, 2);
  int passes = 0;
  thrower.onUpdate = [&passes](Recorder*) {
    if (++passes == 1) throw Exception(L"bad frame", L"engine/gfx/renderer.cpp:12");
    if (passes == 2) Kernel::Get()->Quit();
  };
  kernel->Run();

  EXPECT_EQ(EventsFrom(2), (std::vector<std::string>{"update thrower", "update thrower", "update after", "stop thrower",
                                                     "stop after"}));
  EXPECT_EQ(journal.messageBoxes, 1);
  EXPECT_EQ(journal.lastBoxText, L"bad frame");
  EXPECT_EQ(journal.lastBoxCaption, L"engine/gfx/renderer.cpp:12");
  const std::string log = CloseLog();
  EXPECT_EQ(Count(log, "WARNING"), 1u);
  EXPECT_NE(log.find("Caught exception in main game loop: \"bad frame\" in engine/gfx/renderer.cpp:12"),
            std::string::npos);
}

TEST_F(KernelTest, StartThatThrowsIsReportedAndTheModuleStillRuns) {
  Recorder fine(&journal, "Fine", 2);
  Recorder broken(&journal, "Broken", 1);
  broken.onStart = [] { NEBLU_ERROR("no device"); };
  broken.onUpdate = QuitAfter(1);
  const int failedBefore = Kernel::FailedStarts();
  kernel->AddModule(&fine, 2);
  EXPECT_EQ(Kernel::FailedStarts(), failedBefore);
  kernel->AddModule(&broken, 1);
  // The program's exit status reads this once the Kernel is gone.
  EXPECT_EQ(Kernel::FailedStarts(), failedBefore + 1);
  kernel->Run();

  EXPECT_EQ(EventsFrom(2), (std::vector<std::string>{"update Broken", "update Fine", "stop Broken", "stop Fine"}));
  EXPECT_EQ(journal.messageBoxes, 1);
  EXPECT_EQ(journal.lastBoxText, L"no device");
  const std::string log = CloseLog();
  EXPECT_NE(log.find("<td>Failed to start moduleBroken</td>"), std::string::npos);
  EXPECT_EQ(log.find("Module Broken sucessfully started"), std::string::npos);
}

TEST_F(KernelTest, StopThatThrowsIsRetriedOnTheNextPass) {
  Recorder flaky(&journal, "flaky", 1);
  int stops = 0;
  struct FlakyStop : Recorder {
    using Recorder::Recorder;
    int* stops = nullptr;
    void Stop() override {
      Recorder::Stop();
      if (++*stops == 1) throw Exception(L"busy", L"unit:1");
    }
  } module(&journal, "flaky", 1);
  module.stops = &stops;
  module.onUpdate = QuitAfter(1);
  kernel->AddModule(&module, 1);
  kernel->Run();

  EXPECT_EQ(stops, 2);
  EXPECT_EQ(journal.messageBoxes, 1);
}

TEST_F(KernelTest, StartApplicationDeletesTheEngineModulesAndTheKernel) {
  static int deleted;
  deleted = 0;
  struct Owned : Recorder {
    using Recorder::Recorder;
    ~Owned() override { ++deleted; }
  };
  auto* input = new Owned(&journal, "input", 14000);
  auto* screen = new Owned(&journal, "screen", 1);
  Recorder program(&journal, "program", 200);
  program.onUpdate = QuitAfter(2);
  engine::AddModule(input, 2);
  engine::AddModule(screen, 1);
  engine::AddModule(&program, 10100);
  engine::StartApplication();

  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(Kernel::mInstance, nullptr);
  EXPECT_EQ(engine::core::CWin32Window::mInstance, nullptr);
}

}  // namespace
