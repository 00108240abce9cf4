#pragma once
// What the signed link asks of the system's cryptography library: random
// keys and keyed message authentication codes. Nothing here is our own
// cryptography.

#include <cstddef>
#include <string>
#include <string_view>

namespace velnook {

class MessageAuth {
 public:
  static constexpr std::size_t kCodeBytes = 32;
  virtual ~MessageAuth() = default;
  // |n| bytes from the system's cryptographic random source.
  virtual std::string RandomBytes(std::size_t n) = 0;
  // HMAC-SHA-256 of |message| under |key|: kCodeBytes bytes, or empty when
  // the library failed.
  virtual std::string Code(std::string_view key, std::string_view message) = 0;
  // True when |code| is the code of |message| under |key|, compared in a
  // time that does not depend on where they differ.
  virtual bool CodeMatches(std::string_view key, std::string_view message,
                           std::string_view code) = 0;
};

}  // namespace velnook
