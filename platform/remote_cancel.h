#pragma once
// "velnook -Cancel": what a running instance answers a request from the
// user's terminal to cancel its countdown, and how the answer travels.

#include <optional>
#include <string>

namespace velnook {

struct CancelAnswer {
  bool cancelled = false;
  std::string text;  // one line for the user
};

// The request, the whole of it.
constexpr const char* kCancelRequest = "cancel\n";

// "0 text\n" when cancelled, "1 text\n" when not.
std::string CancelAnswerLine(const CancelAnswer& answer);

// The answer in a line received; nullopt for anything else.
std::optional<CancelAnswer> ParseCancelAnswer(const std::string& line);

}  // namespace velnook
