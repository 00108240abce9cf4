#pragma once
// What the program takes from the user's locale.

#include <array>
#include <string>

namespace velnook {

struct LocaleInfo {
  char decimalSeparator = '.';
  std::array<std::string, 12> monthAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // The short date as the user set it: d, M and y runs, quoted text kept.
  std::string shortDatePattern = "dd/MM/yyyy";
};

}  // namespace velnook
