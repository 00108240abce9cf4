#pragma once
// Dotted IPv4 addresses: the settings' test for the partner computer's
// address, and the parsed form the link compares and sends to.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velnook {

// True for four dot-separated decimal parts; the first and last 1..255, the
// middle two 0..255 (so 192.168.0.20 and 127.0.0.1 pass); no part empty.
bool IsIPAddress(std::string_view text);

// An address by value, so that "127.000.000.001" and "127.0.0.1" are the
// same computer.
struct IPv4Address {
  std::array<std::uint8_t, 4> parts{};
  bool operator==(const IPv4Address&) const = default;
  // The plain dotted form, without leading zeros, as sockets take it.
  std::string ToText() const;
};

// Four dot-separated decimal parts of 0..255 each, leading zeros allowed;
// nullopt for anything else.
std::optional<IPv4Address> ParseIPv4Address(std::string_view text);

}  // namespace velnook
