#include "link/link_message.h"

#include "config/leading_number.h"

namespace velnook {

bool IsValidLinkMessage(std::string_view text) {
  if (text.size() < 8 || text.substr(0, 3) != "<VN" || text.back() != '>') return false;
  // Read like every other number: "03" is 3, two letters are 0.
  const auto length = LeadingNumber(text.substr(5, 2));
  return length && *length == static_cast<double>(text.size() - 8);
}

}  // namespace velnook
