#pragma once
// Message authentication and random keys from the system's CNG (BCrypt).

#include "platform/message_auth.h"

namespace velnook {

class CngMessageAuth : public MessageAuth {
 public:
  std::string RandomBytes(std::size_t n) override;
  std::string Code(std::string_view key, std::string_view message) override;
  bool CodeMatches(std::string_view key, std::string_view message, std::string_view code) override;
};

}  // namespace velnook
