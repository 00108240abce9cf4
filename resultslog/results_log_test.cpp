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
  hs.services.locale.monthAbbreviations[11] = "Dez";
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);  // Full echoes the settings
  WriteLogEntry("Run", "", state, hs.services);
  const std::string log =
      "Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dez-26 14:03:27\r\n"
      "Velnook Slave\r\nVersion 2.5\r\n" +
      kSummary + "\r\n\r\n" +
      "05-Dez-26 14:03:27,  Run      ,           , Count:   0, Comms: -OK-\r\n";
  EXPECT_EQ(Log(), log);
  state.settings.LogLevel = 2;
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  WriteRunHeader(1, state, hs.services);
  EXPECT_EQ(Log(), log + "Velnook Slave\r\nVersion 2.5\r\n\r\n" + "\r\n" + kSummary + "\r\n\r\n");
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
  using Step = std::function<void()>;
  const Step ensure = [&] { EnsureLogFile(state, hs.services); };
  const Step header = [&] { WriteRunHeader(0, state, hs.services); };
  const Step entry = [&] { WriteLogEntry("Run", "", state, hs.services); };
  const Step view = [&] { ViewLogClick(state, hs.services); };
  dir.Write("plain", "keep me\r\n");
  state.ProgramTitle = "Velnook Slave";
  for (const char* path : {"Missing\\", "plain\\"}) {
    SCOPED_TRACE(path);
    state.settings.LogPath = path;
    for (const Step& step : {ensure, header, view})
      EXPECT_EQ(EndsWith(step),
                (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok,
                                   "Velnook Slave Log Directory Error", kLogDirectoryMissingText}));
    EXPECT_EQ(EndsWith(entry).text,
              "The log directory is either missing or\r\ncorrupted or there could be a "
              "permission\r\nproblem. This directory must be created\r\nmanually if it is not the "
              "default one.\r\nTo restore the default log directory\r\n reinstall the "
              "program.\r\nThe program will now terminate.");
  }
  EXPECT_EQ(dir.Read("plain"), "keep me\r\n");
  state.settings.LogPath = "Log\\";
  for (const Step& step : {header, entry, view})
    EXPECT_EQ(EndsWith(step),
              (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok,
                                 "Velnook Slave Log File Error", kLogFileMissingText}));
  EXPECT_TRUE(hs.launcher.editedFiles.empty());
  // Created whole or not at all: nothing half-made is left in its place.
  std::filesystem::create_directory(dir.Path() + "/Log/Velnook.log");
  EXPECT_EQ(EndsWith(ensure).text,
            "Unable to create the log file Velnook.log.\r\nThis may be a permissions problem.\r\n"
            "The program will now terminate.");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "/Log"), {}), 2);
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
  state.settings.LogPath = "";  // the current directory
  dir.Write("Velnook.log", "");
  hs.launcher.succeed = true;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles.back(), "Velnook.log");
  hs.messages.shown.clear();
  state.settings.LogLevel = 1;
  state.settings.LogPath = "Missing\\";  // at None it is not looked for
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Information, MsgButtons::Ok, "Velnook Log File Error",
                               "Logging is set to None. There\r\nis no information to display."}));
}

}  // namespace
}  // namespace velnook
