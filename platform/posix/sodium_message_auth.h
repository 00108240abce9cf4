#pragma once
// Message authentication and random keys from libsodium.

#include "platform/message_auth.h"

namespace velnook {

class SodiumMessageAuth : public MessageAuth {
 public:
  SodiumMessageAuth();
  std::string RandomBytes(std::size_t n) override;
  std::string Code(std::string_view key, std::string_view message) override;
  bool CodeMatches(std::string_view key, std::string_view message, std::string_view code) override;

 private:
  bool ready_ = false;
};

}  // namespace velnook
