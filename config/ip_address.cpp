#include "config/ip_address.h"

#include <algorithm>
#include <array>

#include "config/leading_number.h"

namespace velnook {

bool IsIPAddress(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return false;
  for (char c : text)
    if (!(c >= '0' && c <= '9') && c != '.') return false;
  if (std::count(text.begin(), text.end(), '.') != 3) return false;

  std::array<std::string_view, 4> parts;
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t dot = i < 3 ? text.find('.', start) : text.size();
    parts[i] = text.substr(start, dot - start);
    start = dot + 1;
  }
  for (int i = 0; i < 4; ++i) {
    if (parts[i].empty()) return false;
    auto n = LeadingNumber(parts[i]);
    if (!n) return false;
    auto v = ToInt32(*n);
    const int low = (i == 0 || i == 3) ? 1 : 0;
    if (!v || *v < low || *v > 255) return false;
  }
  return true;
}

}  // namespace velnook
