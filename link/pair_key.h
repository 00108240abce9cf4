#pragma once
// The pair key: a secret the two computers of a pair share, kept beside the
// settings in a file of its own that only the user may read. Without it the
// link's messages go unsigned.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/message_auth.h"

namespace velnook {

constexpr const char* kPairKeyFile = "Data\\Velnook.key";
constexpr std::size_t kPairKeyBytes = 20;

// The key as a person types it on the other computer: 32 capital letters
// and digits 2 to 7, in eight groups of four joined by "-".
std::string PairKeyText(std::string_view key);

// The key's bytes from a typed text, in either case and with any blanks or
// dashes between the characters; nullopt unless it has exactly 32.
std::optional<std::string> ParsePairKey(std::string_view text);

struct PairKeyRead {
  std::string key;      // empty: no key file, so the link is unsigned
  std::string problem;  // why the key file is refused; empty when it is not
};

// Reads kPairKeyFile.
PairKeyRead ReadPairKey(FileSystem& files);

// What "velnook -PairKey" says and ends with.
struct PairKeyOutcome {
  int exitStatus = 0;
  std::string line;  // one line for the terminal
};

// Stores |given| as the key, or a new random key when it is empty.
PairKeyOutcome SetPairKey(std::string_view given, FileSystem& files, MessageAuth& auth);

}  // namespace velnook
