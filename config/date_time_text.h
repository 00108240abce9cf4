#pragma once
// Dates and times as the settings file and the results log write them.

#include <string>

#include "platform/clock.h"
#include "platform/locale_info.h"

namespace velnook {

// "dd-mmm-yy hh:mm:ss" with the locale's abbreviated month name.
std::string FormatDateTime(const LocalTime& t, const LocaleInfo& locale);

}  // namespace velnook
