#include <gtest/gtest.h>

#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "platform/program_folders.h"
#include "support/scratch_dir.h"

using engine::core::Exception;
using engine::core::Logging;
using engine::core::SetLoggingSwitch;

namespace {

// The whole file, written out by hand with the CR LF line ends of a text-mode stream.
const char kExpectedLog[] =
    "<html>\r\n<head>\r\n"
    "<style type=\"text/css\">\r\n"
    "body\r\n{\r\n\tfont-family: Verdana;\r\n}\r\ntr\r\n{\r\n\tfont-size: 70%;\r\n\tfont-weight: normal;\r\n}\r\n"
    "tr.warning\r\n{\r\n\tfont-size: 75%;\r\n\tcolor: rgb(100, 0, 0);\r\n}\r\n"
    "tr.error\r\n{\r\n\tfont-size: 80%;\r\n\tcolor: rgb(255, 0, 0);\r\n}\r\n</style>\r\n"
    "<title>NEBLU Log File</title>\r\n</head>\r\n<body>\r\n<table>\r\n"
    "<tr><td>Type</td><td>Line</td><td>File</td><td>Message</td></tr><tr><td><br /></td></tr>\r\n"
    "<tr><td>MESSAGE</td><td>7</td><td>engine/core/Window.cpp</td><td>Adapter:<br />Memory: 256</td></tr>\r\n"
    "<tr class=\"warning\"><td>WARNING</td><td>1200</td><td>engine/gfx/renderer.cpp</td><td>wide \xC3\xA9t\xC3\xA9</td>"
    "</tr>\r\n"
    "<tr class=\"error\"><td>ERROR</td><td>45</td><td>engine/core/timer.cpp</td><td>Could not open music</td></tr>\r\n"
    "</table>\r\nGoodbye!</body></html>\r\n";

class LoggingTest : public ::testing::Test {
 protected:
  void TearDown() override {
    delete Logging::mInstance;
    SetLoggingSwitch(true);
  }
  testing_support::ScratchDir dir;
};

TEST_F(LoggingTest, WritesHeaderRowsOfEveryKindAndFooterByteForByte) {
  Logging* log = Logging::Get();
  log->Message("Adapter:<br />Memory: 256", "engine/core/Window.cpp", 7);
  log->Warning(std::wstring(L"wide \u00e9t\u00e9"), "engine/gfx/renderer.cpp", 1200);
  EXPECT_THROW(log->Error("Could not open music", "engine/core/timer.cpp", 45), Exception);
  delete log;

  EXPECT_EQ(dir.Read("data/log.html"), kExpectedLog);
}

TEST_F(LoggingTest, SwitchedOffWritesNoFileAndKeepsAnExistingOne) {
  SetLoggingSwitch(false);
  Logging::Get()->Message("not written", "unit", 1);
  delete Logging::mInstance;
  EXPECT_FALSE(dir.Exists("data/log.html"));

  dir.Write("data/log.html", "earlier run");
  Logging::Get()->Warning("not written", "unit", 2);
  delete Logging::mInstance;
  EXPECT_EQ(dir.Read("data/log.html"), "earlier run");
}

TEST_F(LoggingTest, SwitchTurnedOffLaterStopsRowsAndFooter) {
  Logging::Get()->Message("kept", "unit", 1);
  SetLoggingSwitch(false);
  Logging::Get()->Message("dropped", "unit", 2);
  delete Logging::mInstance;

  const std::string log = dir.Read("data/log.html");
  EXPECT_NE(log.find("kept"), std::string::npos);
  EXPECT_EQ(log.find("dropped"), std::string::npos);
  EXPECT_EQ(log.find("Goodbye!"), std::string::npos);
}

TEST_F(LoggingTest, ErrorThrowsTextAndPlaceWhetherOrNotTheSwitchIsOn) {
  for (bool on : {true, false}) {
    SetLoggingSwitch(on);
    try {
      Logging::Get()->Error("Failed to open soundtrack", "engine/core/timer.cpp", 45);
      FAIL() << "Error returned";
    } catch (const Exception& e) {
      EXPECT_EQ(e.GetText(), L"Failed to open soundtrack");
      EXPECT_EQ(e.GetFunction(), L"engine/core/timer.cpp:45");
    }
    delete Logging::mInstance;
  }
}

// Every row is in the file as soon as it is written: a run that is killed or crashes
// keeps the rows that would explain it.
TEST_F(LoggingTest, RowsReachTheFileAsTheyAreWritten) {
  Logging* log = Logging::Get();
  log->Message("loading", "unit", 1);
  EXPECT_NE(dir.Read("data/log.html").find("<td>loading</td>"), std::string::npos);
  log->Warning("a warning", "unit", 2);
  EXPECT_NE(dir.Read("data/log.html").find("<td>WARNING</td><td>2</td><td>unit</td><td>a warning</td></tr>\r\n"),
            std::string::npos);
  EXPECT_THROW(log->Error("an error", "unit", 3), Exception);
  const std::string errorRow = "<tr class=\"error\"><td>ERROR</td><td>3</td><td>unit</td><td>an error</td></tr>\r\n";
  const std::string written = dir.Read("data/log.html");
  ASSERT_GE(written.size(), errorRow.size());
  EXPECT_EQ(written.substr(written.size() - errorRow.size()), errorRow);
  EXPECT_EQ(written.find("Goodbye!"), std::string::npos) << "the footer comes only at the end";
}

// data/log.html a folder: no file can be made there, for root too (as the tests may run).
TEST_F(LoggingTest, ALogTheDataFolderCannotTakeGoesToTheStartingFolderAndSaysSo) {
  boost::filesystem::create_directories(dir.Path("data/log.html"));
  testing::internal::CaptureStderr();
  Logging::Get()->Warning("kept elsewhere", "unit", 1);
  delete Logging::mInstance;
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(dir.Read("log.html").find("kept elsewhere"), std::string::npos);
  EXPECT_NE(dir.Read("log.html").find("Goodbye!"), std::string::npos);
  EXPECT_NE(said.find("Could not write the log data/log.html"), std::string::npos) << said;
  EXPECT_NE(said.find(dir.Path("log.html")), std::string::npos) << "where the log went is not said: " << said;
}

// A program moved to its data root (an installed one, in share/NAME): the log goes to
// the folder the user started it from, not to the data root.
TEST_F(LoggingTest, AMovedProgramsLogGoesToTheFolderItWasStartedFrom) {
  boost::filesystem::create_directories(dir.Path("share/demo/data/log.html"));
  platform::WorkFrom(dir.Path("share/demo"));
  testing::internal::CaptureStderr();
  Logging::Get()->Message("from the data root", "unit", 1);
  delete Logging::mInstance;
  testing::internal::GetCapturedStderr();
  platform::WorkFrom(dir.Path(""));
  EXPECT_NE(dir.Read("log.html").find("from the data root"), std::string::npos);
  EXPECT_FALSE(dir.Exists("share/demo/log.html"));
}

TEST_F(LoggingTest, WithNowhereToWriteRowsAreDroppedAndErrorsStillThrow) {
  boost::filesystem::remove_all(dir.Path("data"));
  boost::filesystem::create_directories(dir.Path("log.html"));
  testing::internal::CaptureStderr();
  Logging::Get()->Message("nowhere to go", "unit", 1);
  EXPECT_THROW(Logging::Get()->Error("still thrown", "unit", 2), Exception);
  delete Logging::mInstance;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("this run has no log"), std::string::npos);
  EXPECT_FALSE(dir.Exists("data/log.html"));
}

TEST_F(LoggingTest, MacrosNameTheCallingUnitRelativeToTheRepository) {
  try {
    NEBLU_ERROR("boom");
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetFunction().rfind(L"tests/unit/logging_test.cpp:", 0), 0u) << e.GetFunction().c_str();
  }
}

TEST(ExceptionTest, CopiesKeepTextAndPlace) {
  Exception original(L"text", L"unit:3");
  Exception copy(original);
  Exception assigned(L"other", L"x:1");
  assigned = original;
  EXPECT_EQ(copy.GetText(), L"text");
  EXPECT_EQ(assigned.GetFunction(), L"unit:3");
}

}  // namespace
