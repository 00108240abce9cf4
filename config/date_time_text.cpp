#include "config/date_time_text.h"

#include <cstdio>

namespace velnook {

std::string FormatDateTime(const LocalTime& t, const LocaleInfo& locale) {
  char head[16], tail[48];
  std::snprintf(head, sizeof head, "%02d-", t.day % 100);
  std::snprintf(tail, sizeof tail, "-%02d %02d:%02d:%02d", t.year % 100, t.hour % 100,
                t.minute % 100, t.second % 100);
  const std::string& month = locale.monthAbbreviations[static_cast<size_t>((t.month + 11) % 12)];
  return head + month + tail;
}

}  // namespace velnook
