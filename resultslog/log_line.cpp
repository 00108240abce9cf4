#include "resultslog/log_line.h"

namespace velnook {

namespace {

std::string PadOrCut(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

// The last four characters of three spaces and the number: wide numbers
// lose their leading digits rather than shift the columns after them.
std::string CountField(int count) {
  const std::string padded = "   " + std::to_string(count);
  return padded.substr(padded.size() - 4);
}

}  // namespace

std::string FormatLogLine(const std::string& first, const std::string& second,
                          const LogLineFields& fields) {
  if (first.empty() && second.empty()) return "\r\n";
  std::string line = fields.time;
  line += ", ";
  line += PadOrCut((fields.testMode ? "*" : " ") + first, 10);
  line += ", ";
  line += PadOrCut(second, 10);
  line += ", Count:";
  line += CountField(fields.count);
  if (fields.logLevel == 3 && fields.cMain == 1)
    line += ", Rate: " + fields.rateField + ", Av Rate: " + fields.avRateText;
  if (fields.logLevel == 3 && fields.cMain == 2) line += ", Comms: " + fields.linkStatus;
  if (!fields.note.empty()) line += ", " + fields.note;
  // An entry is one line of the file whatever its texts hold; a line break
  // inside would split it and shift every column after it.
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace velnook
