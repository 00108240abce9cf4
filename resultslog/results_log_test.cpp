#include "resultslog/results_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "resultslog/log_messages.h"
#include "resultslog/results_log_fixture.h"
#include "resultslog/view_log.h"

namespace velnook {
namespace {

TEST_F(LogTest, TheFirstStartCreatesTheLogAndLaterOnesAppend) {
  state.settings.LogLevel = 3;
  state.settings.CMain = 2;
  state.ProgramTitle = "Velnook Slave";
  state.LinkStatus = "-OK-";
  state.TestMode = true;
  hs.services.locale.monthAbbreviations[11] = "Dez";
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);  // Full echoes the settings
  WriteLogEntry("Simulate", "Power Off", state, hs.services);
  std::string log =
      "Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dez-26 14:03:27\r\n"
      "Velnook Slave\r\nVersion 2.5\r\n" +
      kSummary + "\r\n\r\n" +
      "05-Dez-26 14:03:27, *Simulate , Power Off , Count:   0, Comms: -OK-\r\n";
  EXPECT_EQ(Log(), log);
  state.settings.LogLevel = 2;
  state.TestMode = false;
  state.SecCount = 31;
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  WriteRunHeader(1, state, hs.services);
  WriteLogEntry("Start", "Initialise", state, hs.services);
  EXPECT_EQ(Log(), log + "Velnook Slave\r\nVersion 2.5\r\n\r\n" + "\r\n" + kSummary + "\r\n\r\n" +
                       "05-Dez-26 14:03:27,  Start    , Initialise, Count:  31\r\n");
  EXPECT_TRUE(hs.messages.shown.empty());
}

TEST_F(LogTest, LevelNoneNeitherCreatesNorExamines) {
  state.settings.LogLevel = 1;
  for (const char* path : {"Missing\\", "Log\\"}) {
    state.settings.LogPath = path;
    EnsureLogFile(state, hs.services);
    WriteRunHeader(0, state, hs.services);
    WriteLogEntry("Start", "Initialise", state, hs.services);
  }
  EXPECT_TRUE(hs.messages.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Missing"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log/Velnook.log"));
}

TEST_F(LogTest, AMissingFolderOrLogEndsEveryWriteAndTheViewer) {
  const std::string errorC =
      "The log directory is either missing or\r\ncorrupted or there could be a permission\r\n"
      "problem. This directory must be created\r\nmanually if it is not the default one.\r\n"
      "To restore the default log directory\r\n reinstall the program.\r\n"
      "The program will now terminate.";
  using Step = std::function<void()>;
  const Step ensure = [&] { EnsureLogFile(state, hs.services); };
  const Step header = [&] { WriteRunHeader(0, state, hs.services); };
  const Step entry = [&] { WriteLogEntry("Run", "", state, hs.services); };
  const Step view = [&] { ViewLogClick(state, hs.services); };
  dir.Write("plain", "keep me\r\n");
  state.ProgramTitle = "Velnook Slave";
  const std::string folder = "Velnook Slave Log Directory Error";
  const std::string file = "Velnook Slave Log File Error";
  for (const char* path : {"Missing\\", "plain\\"}) {
    SCOPED_TRACE(path);
    state.settings.LogPath = path;
    for (const auto& step : {ensure, header, view})
      EXPECT_EQ(EndsWith(step), (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, folder,
                                                   kLogDirectoryMissingText}));
    EXPECT_EQ(EndsWith(entry).text, errorC);
  }
  EXPECT_EQ(dir.Read("plain"), "keep me\r\n");
  state.settings.LogPath = "Log\\";
  for (const auto& step : {header, entry, view})
    EXPECT_EQ(EndsWith(step),
              (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, file, kLogFileMissingText}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log/Velnook.log"));
  EXPECT_TRUE(hs.launcher.editedFiles.empty());
}

TEST_F(LogTest, ALogThatCannotBeCreatedOrWrittenEndsTheProgram) {
  std::filesystem::create_directory(dir.Path() + "/Log/Velnook.log");
  EXPECT_EQ(EndsWith([&] { EnsureLogFile(state, hs.services); }),
            (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
                               "Unable to create the log file Velnook.log.\r\nThis may be a "
                               "permissions problem.\r\nThe program will now terminate."}));
  // Nothing half-made is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(dir.Path() + "/Log"), {}),
            2);
  // A full disk in the log's place, where the system has one.
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::filesystem::create_symlink("/dev/full", dir.Path() + "/Log/Disk.log");
  state.settings.LogName = "Disk.log";
  EnsureLogFile(state, hs.services);  // it exists, so it is left alone
  const std::string full = "Unable to write to the log file Disk.log";
  const std::string rest =
      "\r\nThis may be a permissions problem.\r\nThe program will now terminate";
  EXPECT_EQ(EndsWith([&] { WriteRunHeader(0, state, hs.services); }),
            (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Write Error",
                               full + "." + rest + "."}));
  EXPECT_EQ(EndsWith([&] { WriteLogEntry("Run", "", state, hs.services); }).text, full + rest);
}

TEST_F(LogTest, ViewLogOpensTheLogAndCarriesOnWhenTheEditorFails) {
  EnsureLogFile(state, hs.services);
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles, std::vector<std::string>{"Log\\Velnook.log"});
  hs.launcher.succeed = false;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
                               "Unable to opem the log file Velnook.log.\r\nThis may be a "
                               "permissions problem."}));
  EXPECT_TRUE(timer->IsRunning() && hs.windows.trayIconShown);
  // An empty LogPath is the current directory.
  state.settings.LogPath = "";
  dir.Write("Velnook.log", "");
  hs.launcher.succeed = true;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles.back(), "Velnook.log");
  // At None there is nothing to look at, wherever the log would be.
  hs.messages.shown.clear();
  state.settings.LogLevel = 1;
  state.settings.LogPath = "Missing\\";
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Information, MsgButtons::Ok, "Velnook Log File Error",
                               "Logging is set to None. There\r\nis no information to display."}));
}

}  // namespace
}  // namespace velnook
