#pragma once
// The system's short date, as the header of a freshly started log shows it.

#include <string>

#include "platform/clock.h"
#include "platform/locale_info.h"

namespace velnook {

// Formats the date by the locale's short-date pattern: d and dd for the day,
// M and MM for the month number, MMM for its abbreviation, yy and yyyy for
// the year; text in single quotes and every other character is kept.
std::string FormatShortDate(const LocalTime& t, const LocaleInfo& locale);

// "hh:mm:ss", hours 00 to 23.
std::string FormatTimeOfDay(const LocalTime& t);

}  // namespace velnook
