#include "platform/win32/win32_locale.h"

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

std::string LocaleText(LCTYPE type) {
  char buffer[128];
  const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string();
}

}  // namespace

LocaleInfo SystemLocale() {
  LocaleInfo info;
  const std::string point = LocaleText(LOCALE_SDECIMAL);
  if (point.size() == 1) info.decimalSeparator = point[0];
  for (int m = 0; m < 12; ++m) {
    // Three letters, without the full stop some locales add.
    std::string name = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + m));
    std::erase(name, '.');
    name = name.substr(0, 3);
    if (!name.empty()) info.monthAbbreviations[static_cast<size_t>(m)] = name;
  }
  const std::string shortDate = LocaleText(LOCALE_SSHORTDATE);
  if (!shortDate.empty()) info.shortDatePattern = shortDate;
  return info;
}

}  // namespace velnook
