#include "config/ip_address.h"

#include <algorithm>

#include "config/leading_number.h"

namespace velnook {
namespace {

// The four parts of a text of digits and exactly three inner dots, each read
// as a number; nullopt when the text has another shape or a part is empty.
std::optional<std::array<std::int32_t, 4>> DottedParts(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.back() == '.') return std::nullopt;
  for (char c : text)
    if (!(c >= '0' && c <= '9') && c != '.') return std::nullopt;
  if (std::count(text.begin(), text.end(), '.') != 3) return std::nullopt;

  std::array<std::int32_t, 4> values{};
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t dot = i < 3 ? text.find('.', start) : text.size();
    const std::string_view part = text.substr(start, dot - start);
    start = dot + 1;
    if (part.empty()) return std::nullopt;
    const auto n = LeadingNumber(part);
    const auto v = n ? ToInt32(*n) : std::nullopt;
    // Digits only, so anything past 32 bits is far out of range anyway.
    values[i] = v ? *v : -1;
  }
  return values;
}

}  // namespace

bool IsIPAddress(std::string_view text) {
  const auto parts = DottedParts(text);
  if (!parts) return false;
  for (int i = 0; i < 4; ++i) {
    const int low = (i == 0 || i == 3) ? 1 : 0;
    if ((*parts)[i] < low || (*parts)[i] > 255) return false;
  }
  return true;
}

std::string IPv4Address::ToText() const {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
         std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

std::optional<IPv4Address> ParseIPv4Address(std::string_view text) {
  const auto parts = DottedParts(text);
  if (!parts) return std::nullopt;
  IPv4Address address;
  for (int i = 0; i < 4; ++i) {
    if ((*parts)[i] < 0 || (*parts)[i] > 255) return std::nullopt;
    address.parts[i] = static_cast<std::uint8_t>((*parts)[i]);
  }
  return address;
}

}  // namespace velnook
