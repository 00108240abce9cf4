#pragma once
// The link's wire format: "<VN", a two-character command, the payload's
// length as two digits, the payload, ">".

#include <string_view>

namespace velnook {

constexpr const char* kAliveMessage = "<VNA100>";
constexpr const char* kResetMessage = "<VNC000>";
constexpr const char* kTestMessage = "<VNT000>";

// True when the text is a well-formed message: at least 8 characters,
// "<VN" first, ">" last, and a length field equal to the payload's length.
// Any bytes at all may be handed in.
bool IsValidLinkMessage(std::string_view text);

}  // namespace velnook
