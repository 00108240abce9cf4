#include "platform/posix/sodium_message_auth.h"

#include <sodium.h>

namespace velnook {
namespace {

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

SodiumMessageAuth::SodiumMessageAuth() {
  // Safe to call more than once; after a failure every call below fails too.
  ready_ = sodium_init() >= 0;
}

std::string SodiumMessageAuth::RandomBytes(std::size_t n) {
  if (!ready_) return {};
  std::string out(n, '\0');
  randombytes_buf(out.data(), n);
  return out;
}

std::string SodiumMessageAuth::Code(std::string_view key, std::string_view message) {
  if (!ready_) return {};
  std::string out(crypto_auth_hmacsha256_BYTES, '\0');
  crypto_auth_hmacsha256_state s;
  if (crypto_auth_hmacsha256_init(&s, Bytes(key), key.size()) != 0 ||
      crypto_auth_hmacsha256_update(&s, Bytes(message), message.size()) != 0 ||
      crypto_auth_hmacsha256_final(&s, reinterpret_cast<unsigned char*>(out.data())) != 0)
    return {};
  return out;
}

bool SodiumMessageAuth::CodeMatches(std::string_view key, std::string_view message,
                                    std::string_view code) {
  const std::string expected = Code(key, message);
  return !expected.empty() && code.size() == expected.size() &&
         sodium_memcmp(expected.data(), code.data(), code.size()) == 0;
}

}  // namespace velnook
