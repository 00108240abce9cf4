// Feeds arbitrary texts to the log line formatter at each level and role,
// and checks the columns and that an entry stays one line.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "resultslog/log_line.h"

namespace velnook {
namespace {

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

void CheckLine(const std::string& first, const std::string& second, const LogLineFields& f) {
  const std::string line = FormatLogLine(first, second, f);
  if (first.empty() && second.empty()) {
    FUZZ_CHECK(line == "\r\n");  // the start-up separator: two empty lines
    return;
  }
  // The writer adds CR LF; nothing before it may end the line early.
  FUZZ_CHECK(!HasLineBreak(line));

  size_t expected = f.time.size() + 2 + 10 + 2 + 10 + 8 + 4;
  if (f.logLevel == 3 && f.cMain == 1)
    expected += 8 + f.rateField.size() + 11 + f.avRateText.size();
  if (f.logLevel == 3 && f.cMain == 2) expected += 9 + f.linkStatus.size();
  FUZZ_CHECK(line.size() == expected);

  const size_t at = f.time.size();
  FUZZ_CHECK(line.compare(at, 2, ", ") == 0);
  FUZZ_CHECK(line[at + 2] == (f.testMode ? '*' : ' '));
  FUZZ_CHECK(line.compare(at + 12, 2, ", ") == 0);
  FUZZ_CHECK(line.compare(at + 24, 8, ", Count:") == 0);
  // Texts without line breaks keep their characters, cut to their columns
  // and padded with spaces.
  if (!HasLineBreak(first))
    FUZZ_CHECK(line.substr(at + 3, 9) == (first + std::string(9, ' ')).substr(0, 9));
  if (!HasLineBreak(second))
    FUZZ_CHECK(line.substr(at + 14, 10) == (second + std::string(10, ' ')).substr(0, 10));
  if (!HasLineBreak(f.time)) FUZZ_CHECK(line.compare(0, at, f.time) == 0);
}

}  // namespace
}  // namespace velnook

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velnook;
  FuzzedDataProvider in(data, size);
  LogLineFields fields;
  fields.count = in.ConsumeIntegral<std::int16_t>();
  fields.testMode = in.ConsumeBool();
  fields.cMain = in.ConsumeIntegralInRange(1, 2);
  const bool realTime = in.ConsumeBool();
  // Texts come from the front, each ended by a backslash and one more byte
  // (the seeds use "\\|"); the numbers and flags come from the back.
  const std::string first = in.ConsumeRandomLengthString(40);
  const std::string second = in.ConsumeRandomLengthString(40);
  fields.rateField = in.ConsumeRandomLengthString(12);
  fields.avRateText = in.ConsumeRandomLengthString(12);
  fields.linkStatus = in.ConsumeRandomLengthString(12);
  fields.time = realTime ? "05-Dec-26 14:03:27" : in.ConsumeRandomLengthString(24);
  for (int level = 1; level <= 3; ++level) {
    fields.logLevel = level;
    CheckLine(first, second, fields);
  }
  return 0;
}
