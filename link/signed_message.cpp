#include "link/signed_message.h"

#include <chrono>

namespace velnook {
namespace {

constexpr std::size_t kCounterDigits = 16;
constexpr std::size_t kSignedLength = 7 + kCounterDigits + 2 * MessageAuth::kCodeBytes + 1;
constexpr const char* kHex = "0123456789abcdef";

std::string Hex(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    out += kHex[(static_cast<unsigned char>(c) >> 4) & 15];
    out += kHex[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> FromHex(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

}  // namespace

std::uint64_t NextLinkCounter(std::uint64_t last) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const std::uint64_t fromClock = ms > 0 ? static_cast<std::uint64_t>(ms) << 10 : 0;
  return fromClock > last ? fromClock : last + 1;
}

std::string SignLinkMessage(std::string_view message, std::uint64_t counter, std::string_view key,
                            MessageAuth& auth) {
  std::string counterText(kCounterDigits, '0');
  for (std::size_t i = kCounterDigits; i-- > 0; counter >>= 4) counterText[i] = kHex[counter & 15];
  const std::string payloadLength = std::to_string(kSignedLength - 8);
  std::string signedPart = std::string(message.substr(0, 5)) + payloadLength + counterText;
  const std::string code = auth.Code(key, signedPart);
  if (code.size() != MessageAuth::kCodeBytes) return {};
  return signedPart + Hex(code) + ">";
}

std::optional<std::uint64_t> SignedLinkCounter(std::string_view text, std::string_view key,
                                               MessageAuth& auth) {
  if (text.size() != kSignedLength || text.substr(0, 3) != "<VN" || text.back() != '>' ||
      text.substr(5, 2) != std::to_string(kSignedLength - 8))
    return std::nullopt;
  const std::string_view signedPart = text.substr(0, 7 + kCounterDigits);
  const auto counterBytes = FromHex(text.substr(7, kCounterDigits));
  const auto code = FromHex(text.substr(signedPart.size(), 2 * MessageAuth::kCodeBytes));
  if (!counterBytes || !code || !auth.CodeMatches(key, signedPart, *code)) return std::nullopt;
  std::uint64_t counter = 0;
  for (const char c : *counterBytes) counter = (counter << 8) | static_cast<unsigned char>(c);
  return counter;
}

}  // namespace velnook
