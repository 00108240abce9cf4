#pragma once
// Signed link messages. A signed message is still a well-formed message of
// the same command: its payload is a counter (16 hex digits) and the
// HMAC-SHA-256 of everything before the code (64 hex digits), so it reads
// "<VNA180" + counter + code + ">".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_auth.h"

namespace velnook {

// The counter for the next signed message after |last|. The link is
// one-way, so a restarted master cannot learn what the slave last
// accepted; instead the counter follows the wall clock (milliseconds since
// 1970, times 1024) and only falls back to |last| + 1 when that is larger.
// A master that restarts thus signs above everything it sent before with
// its very first message, unless its clock was set back by more than the
// restart took; within a run the counter never repeats, whatever the clock
// does.
std::uint64_t NextLinkCounter(std::uint64_t last);

// |message| (one of the link's eight-character messages) signed with
// |counter| under |key|; empty when the library failed.
std::string SignLinkMessage(std::string_view message, std::uint64_t counter, std::string_view key,
                            MessageAuth& auth);

// The counter of a message correctly signed under |key|; nullopt for
// anything else, unsigned messages included.
std::optional<std::uint64_t> SignedLinkCounter(std::string_view text, std::string_view key,
                                               MessageAuth& auth);

}  // namespace velnook
