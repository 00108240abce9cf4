#pragma once
// The dotted-address test for the partner computer's address.

#include <string_view>

namespace velnook {

// True for four dot-separated decimal parts; the first and last 1..255, the
// middle two 0..255 (so 192.168.0.20 and 127.0.0.1 pass); no part empty.
bool IsIPAddress(std::string_view text);

}  // namespace velnook
