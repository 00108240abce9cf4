// The results log on real files in a fresh working directory: its writers,
// its viewer and the Archive button.
#include "resultslog/results_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/log_archive.h"

namespace velnook {
namespace {

class FaultyFiles : public NativeFileSystem {
 public:
  bool CopyFile(const std::string& from, const std::string& to,
                const BetweenBlocks& betweenBlocks) override {
    if (failCopy || !NativeFileSystem::CopyFile(from, to, betweenBlocks)) return false;
    return !shortCopy || NativeFileSystem::ReplaceFile(to, "abc");
  }
  bool ReplaceFile(const std::string& path, const std::string& content) override {
    return !failReplace && NativeFileSystem::ReplaceFile(path, content);
  }
  bool failCopy = false, shortCopy = false, failReplace = false;
};

// The status caption after an Archive click, and whether Timer1 restarts.
using Outcome = std::pair<std::string, bool>;
bool Exists(const TempWorkDir& dir, const std::string& relative) {
  return std::filesystem::exists(dir.Path() + "/" + relative);
}
const std::string kSummary = "\r\nConfiguration\r\n-------------\r\n[Run]";

class LogTest : public ::testing::Test {
 protected:
  LogTest() : services(WithFiles(hs.services, files)) {
    dir.Write("Log/.keep", "");
    state.settings = {.LogLevel = 2, .LogName = "Velnook.log", .LogPath = "Log\\"};
    state.ConfigSummary = kSummary;
    hs.loop.SetNow({2026, 12, 5, 14, 3, 27});
    timer->Start(500, [] {});
    state.tmrRefresh = timer.get();
    hs.windows.AddTrayIcon("Velnook", [] {});
  }
  std::string Log() const { return dir.Read("Log/Velnook.log"); }
  Outcome Archive(std::initializer_list<MsgAnswer> answers) {
    hs.messages.answers = answers;
    hs.messages.shown.clear();
    const ArchiveResult r = ArchiveLogClick(state, services);
    return {r.statusCaption, r.startTimer1};
  }
  // The one box of a step that ends the program, having stopped the timer
  // and removed the icon.
  MessageBoxRequest EndsWith(const std::function<void()>& step) {
    hs.messages.shown.clear();
    try {
      step();
    } catch (const ProgramEnded& e) {
      EXPECT_TRUE(e.trayIconRemoved && !hs.windows.trayIconShown);
      EXPECT_FALSE(timer->IsRunning());
      timer->Start(500, [] {});
      hs.windows.AddTrayIcon("Velnook", [] {});
      return hs.messages.Only();
    }
    ADD_FAILURE() << "the program carried on";
    return {};
  }
  TempWorkDir dir;
  HeadlessServices hs;
  FaultyFiles files;
  Services services;
  SharedState state;
  std::unique_ptr<Timer> timer = hs.loop.CreateTimer();
};

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
}

TEST_F(LogTest, LevelNoneNeitherCreatesNorExaminesAndViewLogOnlyInforms) {
  state.settings.LogLevel = 1;
  EnsureLogFile(state, hs.services);
  WriteRunHeader(0, state, hs.services);
  WriteLogEntry("Start", "Initialise", state, hs.services);
  EXPECT_FALSE(Exists(dir, "Log/Velnook.log"));
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Information, MsgButtons::Ok, "Velnook Log File Error",
                               "Logging is set to None. There\r\nis no information to display."}));
}

TEST_F(LogTest, AMissingFolderOrLogEndsEveryWriteAndTheViewer) {
  using Step = std::function<void()>;
  const Step ensure = [&] { EnsureLogFile(state, hs.services); };
  const Step header = [&] { WriteRunHeader(0, state, hs.services); };
  const Step entry = [&] { WriteLogEntry("Run", "", state, hs.services); };
  const Step view = [&] { ViewLogClick(state, hs.services); };
  state.ProgramTitle = "Velnook Slave";
  state.settings.LogPath = "Missing\\";
  for (const Step& step : {ensure, header, view})
    EXPECT_EQ(EndsWith(step),
              (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok,
                                 "Velnook Slave Log Directory Error", kLogDirectoryMissingText}));
  EXPECT_EQ(EndsWith(entry).text,
            "The log directory is either missing or\r\ncorrupted or there could be a "
            "permission\r\nproblem. This directory must be created\r\nmanually if it is not the "
            "default one.\r\nTo restore the default log directory\r\n reinstall the "
            "program.\r\nThe program will now terminate.");
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
  state.settings.LogPath = "";  // the current directory
  dir.Write("Velnook.log", "");
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.launcher.editedFiles, std::vector<std::string>{"Velnook.log"});
  hs.launcher.succeed = false;
  ViewLogClick(state, hs.services);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
                               "Unable to opem the log file Velnook.log.\r\nThis may be a "
                               "permissions problem."}));
  EXPECT_TRUE(timer->IsRunning() && hs.windows.trayIconShown);
}

const std::string kNewLog =
    "Velnook Results Log\r\nVersion 2.5\r\nFile Created\r\n05/12/2026 14:03:27\r\n\r\n\r\n";
const char* const kNoData = "There is no data to archive!\r\nLog file not archived.";
const Outcome kArchived{"Log File Archived", true}, kCleared{"Log File Cleared", true},
    kNothing{"", false};

std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "line " + std::to_string(i) + "\r\n";
  return text;
}

TEST_F(LogTest, ArchivesAreNumberedByDayAndTheLogStartsAnew) {
  state.settings.LogPath = "Elsewhere\\";  // the default log is archived regardless
  dir.Write("Log/Velnook.log", Lines(9));
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kArchived);
  EXPECT_EQ(
      hs.messages.Only(),
      (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::YesNoCancel, "Velnook Archive Log File",
                         "Do you want to archive the log file?\r\n"
                         "To Archive the results log file and create a new one click Yes\r\n"
                         "To Clear the results log file without archiving it click No\r\n"
                         "Click Cancel to return"}));
  EXPECT_EQ(dir.Read("Log/Velnook_261205_1.log"), Lines(9));
  EXPECT_EQ(Log(), kNewLog);
  // The fresh log has six lines: no data until three more arrive.
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kNothing);
  EXPECT_EQ(hs.messages.shown.back(), (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok,
                                                         "Velnook Log File Error", kNoData}));
  dir.Write("Log/Velnook.log", kNewLog + Lines(3));
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kArchived);
  EXPECT_EQ(dir.Read("Log/Velnook_261205_2.log"), kNewLog + Lines(3));
  hs.loop.SetNow({2026, 12, 6, 0, 0, 1});
  services.locale.shortDatePattern = "M/d/yy, d. MMM yyyy 'day'";
  dir.Write("Log/Velnook.log", Lines(12));
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kArchived);
  EXPECT_EQ(dir.Read("Log/Velnook_261206_1.log"), Lines(12));
  EXPECT_NE(Log().find("\r\n12/6/26, 6. Dec 2026 day 00:00:01\r\n"), std::string::npos);
}

TEST_F(LogTest, ArchiveFindsNoDataInEightLinesAndAsksTwiceBeforeClearing) {
  dir.Write("Log/Velnook.log", Lines(7) + "no line end");
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kNothing);
  EXPECT_EQ(Log(), Lines(7) + "no line end");
  EXPECT_EQ(Archive({MsgAnswer::No}), kCleared);
  EXPECT_EQ(hs.messages.shown.size(), 1u);  // no second question without data
  EXPECT_EQ(Log(), kNewLog);
  dir.Write("Log/Velnook.log", Lines(9));
  EXPECT_EQ(Archive({MsgAnswer::No, MsgAnswer::No}), Outcome("", true));
  EXPECT_EQ(hs.messages.shown.back(),
            (MessageBoxRequest{MsgIcon::None, MsgButtons::YesNo, "Velnook Create New Log File",
                               "Are you sure you want to create a new log file?"}));
  EXPECT_EQ(Archive({MsgAnswer::Cancel}), kNothing);
  EXPECT_EQ(Log(), Lines(9));
  EXPECT_EQ(Archive({MsgAnswer::No, MsgAnswer::Yes}), kCleared);
  EXPECT_EQ(Log(), kNewLog);
  EXPECT_FALSE(Exists(dir, "Log/Velnook_261205_1.log"));
}

TEST_F(LogTest, AFailedArchiveIsShownAndTheLogIsClearedOnlyAfterAWholeCopy) {
  const MessageBoxRequest failed{
      MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
      "Unable to archive the log file Velnook.log.\r\nThis may be a permissions problem."};
  dir.Write("Log/Velnook.log", Lines(10));
  dir.Write("Log/Velnook_261205_1.log", "older archive");
  std::filesystem::create_directory(dir.Path() + "/Log/Velnook_261205_2.log");
  for (bool* fault : {&files.shortCopy, &files.failCopy}) {
    *fault = true;
    EXPECT_EQ(Archive({MsgAnswer::Yes}).first, "");
    EXPECT_EQ(hs.messages.shown.back(), failed);
    EXPECT_EQ(Log(), Lines(10));
    EXPECT_EQ(dir.Read("Log/Velnook_261205_1.log"), "older archive");
    EXPECT_FALSE(Exists(dir, "Log/Velnook_261205_3.log"));  // no short copy is left as an archive
    *fault = false;
  }
  // The copy is whole but the new log cannot be written: said, and the next
  // write finds the log missing.
  files.failReplace = true;
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kArchived);
  EXPECT_EQ(hs.messages.shown.back(), failed);
  EXPECT_EQ(dir.Read("Log/Velnook_261205_3.log"), Lines(10));
  EXPECT_FALSE(Exists(dir, "Log/Velnook.log"));
}

TEST_F(LogTest, ALongLogIsArchivedByteForByteWhileWindowEventsRun) {
  // Lines, then megabytes of NUL bytes without a line end, as an unclean
  // shutdown leaves a log; a window event writes a line in the middle.
  const std::string log = Lines(9) + std::string(4 << 20, '\0') + "tail";
  dir.Write("Log/Velnook.log", log);
  const std::string late = "written while copying\r\n";
  hs.loop.onPendingEvents = [&] {
    if (hs.loop.pendingEventPasses == 3) files.AppendToFile("Log\\Velnook.log", late);
  };
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kArchived);
  hs.loop.onPendingEvents = nullptr;
  EXPECT_GE(hs.loop.pendingEventPasses, 4);
  EXPECT_TRUE(dir.Read("Log/Velnook_261205_1.log") == log + late);
  EXPECT_EQ(Log(), kNewLog);
  // One line however long has no data, and clears.
  dir.Write("Log/Velnook.log", std::string(3 << 20, '\0'));
  EXPECT_EQ(Archive({MsgAnswer::Yes}), kNothing);
  EXPECT_EQ(Archive({MsgAnswer::No}), kCleared);
  EXPECT_EQ(Log(), kNewLog);
}

}  // namespace
}  // namespace velnook
