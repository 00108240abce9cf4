#include "link/pair_key.h"

namespace velnook {
namespace {

// Letters and digits that cannot be mistaken for each other when read
// aloud or off a screen: no 0, 1, 8 or 9.
constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
constexpr std::size_t kCharacters = kPairKeyBytes * 8 / 5;

}  // namespace

std::string PairKeyText(std::string_view key) {
  std::string text;
  unsigned bits = 0, held = 0;
  for (const char c : key) {
    held = (held << 8) | static_cast<unsigned char>(c);
    bits += 8;
    while (bits >= 5) {
      bits -= 5;
      if (!text.empty() && (text.size() + 1) % 5 == 0) text += '-';
      text += kAlphabet[(held >> bits) & 31];
    }
  }
  return text;
}

std::optional<std::string> ParsePairKey(std::string_view text) {
  std::string key;
  unsigned bits = 0, held = 0;
  std::size_t count = 0;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto value = kAlphabet.find(c);
    if (value == std::string_view::npos || ++count > kCharacters) return std::nullopt;
    held = (held << 5) | static_cast<unsigned>(value);
    bits += 5;
    if (bits >= 8) {
      bits -= 8;
      key += static_cast<char>((held >> bits) & 255);
    }
  }
  if (count != kCharacters) return std::nullopt;
  return key;
}

PairKeyRead ReadPairKey(FileSystem& files) {
  if (!files.FileExists(kPairKeyFile)) return {};
  if (files.OthersMayRead(kPairKeyFile))
    return {"", std::string(kPairKeyFile) +
                    " can be read by other users.\r\n"
                    "Set the key again with velnook -PairKey, which makes the file yours alone."};
  const auto text = files.ReadFile(kPairKeyFile);
  const auto key = text ? ParsePairKey(*text) : std::nullopt;
  if (!key)
    return {"", std::string(kPairKeyFile) +
                    " holds no pair key.\r\n"
                    "Set the key again with velnook -PairKey."};
  return {*key, ""};
}

PairKeyOutcome SetPairKey(std::string_view given, FileSystem& files, MessageAuth& auth) {
  std::string key;
  if (given.empty()) {
    key = auth.RandomBytes(kPairKeyBytes);
    if (key.size() != kPairKeyBytes) return {1, "No random key could be made."};
  } else {
    const auto parsed = ParsePairKey(given);
    if (!parsed)
      return {1, "A pair key is 32 letters and digits 2 to 7, as velnook -PairKey shows it."};
    key = *parsed;
  }
  if (!files.FolderExists("Data"))
    return {1, "The data directory does not exist: run velnook where it was installed."};
  const std::string text = PairKeyText(key);
  if (!files.ReplacePrivateFile(kPairKeyFile, text + "\n"))
    return {1, std::string("The pair key could not be written to ") + kPairKeyFile + "."};
  if (!given.empty()) return {0, "Pair key stored; the link is signed from the next start."};
  return {0, "New pair key " + text + ": set it on the partner with velnook -PairKey " + text};
}

}  // namespace velnook
