#include "resultslog/last_run.h"

#include <vector>

namespace velnook {

namespace {

// An entry line taken apart: the layout's fixed columns, and what follows
// the count.
struct Entry {
  std::string_view time;  // "dd-mmm-yy hh:mm:ss"
  std::string first;
  std::string second;
  std::string_view rest;
};

bool Digits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return !text.empty();
}

std::string TrimRight(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? "" : text.substr(0, end + 1));
}

// The month's abbreviation is the user's language, so its width in bytes is
// not fixed: the time ends at the first ", ".
std::optional<Entry> ParseEntry(std::string_view line) {
  const size_t cut = line.find(", ");
  if (cut == std::string_view::npos || cut < 18) return std::nullopt;
  const std::string_view time = line.substr(0, cut);
  const std::string_view clock = time.substr(time.size() - 9);
  if (!Digits(time.substr(0, 2)) || time[2] != '-' || clock[0] != ' ' ||
      !Digits(clock.substr(1, 2)) || clock[3] != ':' || !Digits(clock.substr(4, 2)) ||
      clock[6] != ':' || !Digits(clock.substr(7, 2)))
    return std::nullopt;
  std::string_view fields = line.substr(cut + 2);
  if (fields.size() < 34 || (fields[0] != ' ' && fields[0] != '*') ||
      fields.substr(10, 2) != ", " || fields.substr(22, 8) != ", Count:")
    return std::nullopt;
  return Entry{time, TrimRight(fields.substr(1, 9)), TrimRight(fields.substr(12, 10)),
               fields.substr(34)};
}

std::string HourMinute(const Entry& e) {
  return std::string(e.time.substr(e.time.size() - 8, 5));
}

int SecondsOfDay(const Entry& e) {
  const std::string_view t = e.time.substr(e.time.size() - 8);
  auto two = [&t](size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
  return two(0) * 3600 + two(3) * 60 + two(6);
}

std::string HourMinuteOf(int secondsOfDay) {
  const int s = ((secondsOfDay % 86400) + 86400) % 86400;
  char text[6] = {static_cast<char>('0' + s / 36000),   static_cast<char>('0' + s / 3600 % 10), ':',
                  static_cast<char>('0' + s / 600 % 6), static_cast<char>('0' + s / 60 % 10),   0};
  return text;
}

// The leading whole number of text, or -1.
int LeadingCount(std::string_view text) {
  int n = 0;
  size_t i = 0;
  for (; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i)
    n = n * 10 + (text[i] - '0');
  return i == 0 ? -1 : n;
}

// The seconds of a countdown entry's note, or -1 without that note.
int NoteSeconds(const Entry& e, std::string_view note) {
  const size_t at = e.rest.find(std::string(", ") + std::string(note));
  if (at == std::string_view::npos) return -1;
  return LeadingCount(e.rest.substr(at + 2 + note.size()));
}

const Entry* LastWhere(const std::vector<Entry>& run, const std::string& first,
                       const std::string& second) {
  for (auto it = run.rbegin(); it != run.rend(); ++it)
    if (it->first == first && (second.empty() || it->second == second)) return &*it;
  return nullptr;
}

std::string ActionReport(const std::vector<Entry>& run) {
  const std::string action = run.back().second;
  const Entry* start = LastWhere(run, "Start", action);
  const Entry* simulated = LastWhere(run, action, "Simulate");
  const std::string done = action + (start || !simulated ? "" : " (simulated)") + " at " +
                           HourMinute(start ? *start : run.back());
  const Entry* countdown = LastWhere(run, "Enter", action);
  if (countdown) {
    const int silent = NoteSeconds(*countdown, kSilentNote);
    if (silent >= 0)
      return "Last run: the partner fell silent at " +
             HourMinuteOf(SecondsOfDay(*countdown) - silent) + ", " + done;
  }
  std::string report = "Last run: " + done;
  const int quiet = countdown ? NoteSeconds(*countdown, kQuietNote) : -1;
  if (quiet >= 0) report += ", downloads quiet for " + std::to_string(quiet) + " s";
  const Entry* unfinished = LastWhere(run, kUnfinishedEntry, "");
  const int count = unfinished ? LeadingCount(unfinished->second) : -1;
  if (count > 0)
    report += ", " + std::to_string(count) + " unfinished download" + (count == 1 ? "" : "s");
  return report;
}

// A Reset whose second text is an action, not "Run" or "Initialise".
const Entry* LastCancel(const std::vector<Entry>& run) {
  for (auto it = run.rbegin(); it != run.rend(); ++it)
    if (it->first == "Reset" && it->second != "Run" && it->second != "Initialise") return &*it;
  return nullptr;
}

}  // namespace

std::string CountdownEntryNote(int cMain, int triggerSecs) {
  return std::string(cMain == 2 ? kSilentNote : kQuietNote) + std::to_string(triggerSecs) + " s";
}

std::optional<std::string> LastRunReport(std::string_view tail) {
  std::vector<Entry> run;
  std::string_view previous;
  while (!tail.empty()) {
    const size_t end = tail.find('\n');
    std::string_view line = tail.substr(0, end);
    tail = end == std::string_view::npos ? std::string_view{} : tail.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A run header (or the creation header) begins what the next run wrote.
    if (line.rfind("Version ", 0) == 0 && previous.rfind("Velnook", 0) == 0) run.clear();
    if (auto entry = ParseEntry(line)) run.push_back(std::move(*entry));
    previous = line;
  }
  if (run.empty()) return std::nullopt;
  const Entry& last = run.back();
  if (last.first == "Close") return ActionReport(run);
  if (last.first == "Exit") {
    const Entry* cancel = LastCancel(run);
    return std::string("Last run: ") +
           (cancel ? "cancelled at " + HourMinute(*cancel) + ", " : "") + "closed at " +
           HourMinute(last);
  }
  return "Last run ended without a word at " + HourMinute(last) + " (power loss or crash)";
}

std::optional<std::string> ReadLastRunReport(const SharedState& state, FileSystem& files) {
  const int level = state.settings.LogLevel;
  if (level != 2 && level != 3) return std::nullopt;
  auto tail =
      files.ReadFileTail(state.settings.LogPath + state.settings.LogName, kLastRunTailBytes);
  if (!tail) return std::nullopt;
  // Cut from a longer file: its first line may be the end of one.
  if (tail->size() == kLastRunTailBytes) tail->erase(0, tail->find('\n') + 1);
  return LastRunReport(*tail);
}

}  // namespace velnook
