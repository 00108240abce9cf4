#include "resultslog/results_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "resultslog/results_log_fixture.h"

namespace velnook {
namespace {

TEST_F(ResultsLogTest, ProgramStartAtNormalByteForByte) {
  EnsureLogFile(state, hs.services);
  WriteLogEntry("", "", state, hs.services);
  WriteRunHeader(0, state, hs.services);
  state.SecCount = 31;
  hs.loop.SetNow({2026, 12, 5, 14, 3, 28});
  WriteLogEntry("Start", "Initialise", state, hs.services);
  const std::string first =
      "Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dec-26 14:03:27\r\n"
      "\r\n\r\n"
      "Velnook\r\nVersion 2.5\r\n\r\n"
      "05-Dec-26 14:03:28,  Start    , Initialise, Count:  31\r\n";
  EXPECT_EQ(Log(), first);

  // A later start finds the file and only appends; kind 1 echoes the settings.
  state.ProgramTitle = "Velnook Slave";
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  WriteRunHeader(1, state, hs.services);
  EXPECT_EQ(Log(), first + "Velnook Slave\r\nVersion 2.5\r\n\r\n" + "\r\n" + kSummary + "\r\n\r\n");
  EXPECT_TRUE(hs.messages.shown.empty());
}

TEST_F(ResultsLogTest, FullLevelEchoesSettingsAndFigures) {
  state.settings.LogLevel = 3;
  state.ProgramTitle = "Velnook Slave";
  state.settings.CMain = 2;
  state.LinkStatus = "-OK-";
  hs.services.locale.monthAbbreviations[11] = "Dez";
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  state.TestMode = true;
  WriteLogEntry("Simulate", "Power Off", state, hs.services);
  EXPECT_EQ(Log(),
            "Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dez-26 14:03:27\r\n"
            "Velnook Slave\r\nVersion 2.5\r\n"
            "\r\nConfiguration\r\n-------------\r\n[Comms]\r\nCMain=1\r\n\r\n[Run]\r\nAvTime=5"
            "\r\n\r\n"
            "05-Dez-26 14:03:27, *Simulate , Power Off , Count:   0, Comms: -OK-\r\n");
}

TEST_F(ResultsLogTest, LevelNoneNeitherCreatesNorExamines) {
  state.settings.LogLevel = 1;
  state.settings.LogPath = "Missing\\";
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  WriteLogEntry("Start", "Initialise", state, hs.services);
  state.settings.LogPath = "Log\\";
  EnsureLogFile(state, hs.services);
  WriteLogEntry("Start", "Initialise", state, hs.services);
  EXPECT_TRUE(hs.messages.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Missing"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log/Velnook.log"));
}

TEST_F(ResultsLogTest, DeletedLogEndsAtTheNextWriteAndComesBackOnlyByEnsure) {
  EnsureLogFile(state, hs.services);
  std::filesystem::remove(dir.Path() + "/Log/Velnook.log");
  const char* errorB =
      "The log file is either missing or\r\ncorrupted. Delete the log file if\r\n"
      "it exists and restart the program.\r\nThe program will now terminate.";
  for (auto write :
       std::vector<std::function<void()>>{[&] { WriteLogEntry("Run", "", state, hs.services); },
                                          [&] { WriteRunHeader(1, state, hs.services); }}) {
    const MessageBoxRequest m = EndsWith(write);
    EXPECT_EQ(m.title, "Velnook Log File Error");
    EXPECT_EQ(m.text, errorB);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Log/Velnook.log"));
  }
  EnsureLogFile(state, hs.services);
  EXPECT_EQ(Log(), "Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dec-26 14:03:27\r\n");
}

TEST_F(ResultsLogTest, MissingFolderOrAFileInItsPlace) {
  const char* errorA =
      "The log directory does not exist. This\r\ndirectory must be created manually if\r\n"
      "it is not the default one. To restore\r\nthe default log directory reinstall\r\n"
      "the program.\r\nThe program will now terminate.";
  const char* errorC =
      "The log directory is either missing or\r\ncorrupted or there could be a permission\r\n"
      "problem. This directory must be created\r\nmanually if it is not the default one.\r\n"
      "To restore the default log directory\r\n reinstall the program.\r\n"
      "The program will now terminate.";
  dir.Write("plain", "keep me\r\n");
  state.ProgramTitle = "Velnook Slave";
  for (const char* path : {"Missing\\", "plain\\"}) {
    state.settings.LogPath = path;
    MessageBoxRequest m = EndsWith([&] { EnsureLogFile(state, hs.services); });
    EXPECT_EQ(m.title, "Velnook Slave Log Directory Error");
    EXPECT_EQ(m.text, errorA);
    m = EndsWith([&] { WriteRunHeader(0, state, hs.services); });
    EXPECT_EQ(m.text, errorA);
    m = EndsWith([&] { WriteLogEntry("Run", "", state, hs.services); });
    EXPECT_EQ(m.title, "Velnook Slave Log Directory Error");
    EXPECT_EQ(m.text, errorC);
  }
  EXPECT_EQ(dir.Read("plain"), "keep me\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/Missing"));
}

TEST_F(ResultsLogTest, LogThatCannotBeCreated) {
  std::filesystem::create_directory(dir.Path() + "/Log/Velnook.log");
  const MessageBoxRequest m = EndsWith([&] { EnsureLogFile(state, hs.services); });
  EXPECT_EQ(m.title, "Velnook Log File Error");
  EXPECT_EQ(m.text,
            "Unable to create the log file Velnook.log.\r\nThis may be a permissions problem.\r\n"
            "The program will now terminate.");
  // Nothing half-made is left behind, beside it or in its place.
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.Path() + "/Log"))
    left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".keep", "Velnook.log"}));
}

}  // namespace
}  // namespace velnook
