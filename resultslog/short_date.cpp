#include "resultslog/short_date.h"

#include <cstdio>

namespace velnook {

namespace {

std::string Number(int value, size_t digits) {
  std::string s = std::to_string(value);
  if (s.size() < digits) s.insert(0, digits - s.size(), '0');
  return s;
}

}  // namespace

std::string FormatShortDate(const LocalTime& t, const LocaleInfo& locale) {
  const std::string& pattern = locale.shortDatePattern;
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      const size_t end = pattern.find('\'', i + 1);
      const size_t stop = end == std::string::npos ? pattern.size() : end;
      out += pattern.substr(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    if (c == 'd') {
      out += Number(t.day, run >= 2 ? 2 : 1);
    } else if (c == 'M') {
      out += run >= 3 ? locale.monthAbbreviations[static_cast<size_t>((t.month + 11) % 12)]
                      : Number(t.month, run);
    } else if (c == 'y') {
      out += run <= 2 ? Number(t.year % 100, 2) : Number(t.year, 4);
    } else {
      out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::string FormatTimeOfDay(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
  return text;
}

}  // namespace velnook
