// Log lines as the program writes them and as the next start reads them back.
#include "resultslog/last_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/log_line.h"

namespace velnook {
namespace {

TEST(FormatLogLine, EachLevelAndRoleWithFieldsCutAndPaddedToTheirWidths) {
  const struct {
    const char *first, *second;
    int count, level, cMain;
    const char *linkStatus, *line;  // the line after its time
  } cases[] = {
      {"Run", "", 4, 3, 1, "",
       ",  Run      ,           , Count:   4, Rate:    0.0, Av Rate:    1.5"},
      {"Run", "", 0, 3, 2, "-OK-", ",  Run      ,           , Count:   0, Comms: -OK-"},
      // Figures and link status belong to Full only, whatever the role.
      {"Run", "", 0, 2, 2, "-OK-", ",  Run      ,           , Count:   0"},
      {"----------", "12345678901", 0, 2, 1, "", ",  ---------, 1234567890, Count:   0"},
      // One empty text is still an entry; only both empty make the separator.
      {"", "Run", 0, 2, 1, "", ",           , Run       , Count:   0"},
      // Line breaks neither split the entry nor shift its columns.
      {"Hi\r\nthere", "a\nb", 7, 2, 1, "", ",  Hi  there, a b       , Count:   7"},
      {"\r", "", 1, 3, 2, "-OK-\r\n", ",           ,           , Count:   1, Comms: -OK-  "},
      // The count keeps its last four characters.
      {"Run", "", -32768, 2, 1, "", ",  Run      ,           , Count:2768"},
      {"", "", 5, 3, 1, "", "\r\n"}};
  LogLineFields f{.time = "05-Dec-26 14:03:27", .rateField = "   0.0", .avRateText = "   1.5"};
  for (const auto& c : cases) {
    f.count = c.count;
    f.logLevel = c.level;
    f.cMain = c.cMain;
    f.linkStatus = c.linkStatus;
    const std::string line = FormatLogLine(c.first, c.second, f);
    EXPECT_EQ(line == "\r\n" ? line : line.substr(18), c.line);
  }
}

const std::string kRunHeader = "\r\n\r\nVelnook\r\nVersion 2.5\r\n\r\n";

// An entry line as the program writes it, on a master at Normal unless the
// note says more.
std::string E(const std::string& time, const std::string& first, const std::string& second,
              const std::string& note = "") {
  return FormatLogLine(first, second, {.time = "05-Dec-26 " + time, .note = note}) + "\r\n";
}

const std::string kQuietPowerOff =
    kRunHeader + E("02:00:01", "Start", "Initialise") + E("02:00:03", "Enter", "Run") +
    E("03:11:00", "Enter", "Power Off", "Quiet: 300 s") +
    E("03:11:01", "Unfinish", "1 file", "ubuntu.iso.part (2.1 GB)") +
    E("03:12:01", "Start", "Power Off") + E("03:12:01", "Close", "Power Off");
const char* const kQuietReport =
    "Last run: Power Off at 03:12, downloads quiet for 300 s, 1 unfinished download";

TEST(LastRunReport, TellsEachEndingOfTheLastRunOnly) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {kQuietPowerOff, kQuietReport},
      {"Velnook\r\nVersion 2.5\r\nFile Created\r\n05-Dec-26 02:00:00\r\n"
       "\r\n\r\nVelnook Slave\r\nVersion 2.5\r\n\r\n" +
           E("02:38:00", "Start", "Initialise") +
           E("02:45:00", "Enter", "Power Off", "Silent: 300 s") +
           E("02:46:01", "Start", "Power Off") + E("02:46:01", "Close", "Power Off"),
       "Last run: the partner fell silent at 02:40, Power Off at 02:46"},
      {kRunHeader + E("01:00:00", "Enter", "Power Off", "Quiet: 300 s") +
           E("01:05:10", "Reset", "Power Off") + E("01:05:10", "Start", "Initialise") +
           E("07:30:44", "Exit", "Run"),
       "Last run: cancelled at 01:05, closed at 07:30"},
      // A cancel of an earlier run is not this one's.
      {kQuietPowerOff + E("03:13:00", "Reset", "Power Off") + kRunHeader +
           E("07:30:44", "Exit", "Run"),
       "Last run: closed at 07:30"},
      // Cut off at Full, in a language whose month takes more bytes.
      {kRunHeader + "05-M\xc3\xa4r-26 02:51:33,  Run      ,           , Count:  12, Rate:    0.0, "
                    "Av Rate:    0.0\r\n",
       "Last run ended without a word at 02:51 (power loss or crash)"},
      {kQuietPowerOff + kRunHeader, std::nullopt},
      {"Dear diary,\r\n05-Dec-26 was a quiet day, Count: none\r\n\x01\x02", std::nullopt},
  };
  for (const auto& [log, report] : cases) EXPECT_EQ(LastRunReport(log), report) << log;
}

// However large the log, only its end is read.
TEST(LastRunReport, ReadsOnlyTheEndOfA100MBLog) {
  struct CountingFiles : NativeFileSystem {
    std::optional<std::string> ReadFile(const std::string& p) override {
      return Count(NativeFileSystem::ReadFile(p));
    }
    std::optional<std::string> ReadFileTail(const std::string& p, std::uint64_t n) override {
      return Count(NativeFileSystem::ReadFileTail(p, n));
    }
    std::optional<std::string> Count(std::optional<std::string> data) {
      bytes += data ? data->size() : 0;
      return data;
    }
    std::uint64_t bytes = 0;
  } files;
  TempWorkDir dir;
  dir.Write("Log/Velnook.log", "");
  std::filesystem::resize_file(dir.Path() + "/Log/Velnook.log", 100u << 20);
  std::ofstream(dir.Path() + "/Log/Velnook.log", std::ios::app | std::ios::binary)
      << kQuietPowerOff;
  SharedState state;
  state.settings.LogLevel = 2;
  state.settings.LogPath = "Log\\";
  state.settings.LogName = "Velnook.log";
  EXPECT_EQ(ReadLastRunReport(state, files), kQuietReport);
  EXPECT_LE(files.bytes, kLastRunTailBytes);
}

}  // namespace
}  // namespace velnook
