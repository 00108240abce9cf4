#pragma once
// One entry line of the results log, as pure text, so that its layout can be
// checked and fuzzed without files.

#include <string>

namespace velnook {

// What an entry line shows besides its two texts.
struct LogLineFields {
  std::string time;  // "dd-mmm-yy hh:mm:ss"
  bool testMode = false;
  int count = 0;
  int logLevel = 2;  // 3 adds the figures below
  int cMain = 1;     // 1 master: rate figures; 2 slave: link status
  std::string rateField;
  std::string avRateText;
  std::string linkStatus;
  // Ends the line after ", " when not empty: what does not fit the two
  // fixed columns, such as an address.
  std::string note;
};

// The line without its final CR LF; line breaks in the texts become spaces.
// Two empty texts give a lone CR LF, so that the file receives two empty lines.
std::string FormatLogLine(const std::string& first, const std::string& second,
                          const LogLineFields& fields);

}  // namespace velnook
