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

// What the terminal's "velnook -Cancel" prints and how it exits.
struct CancelOutcome {
  int exitStatus = 0;  // 0 cancelled; 1 nothing to cancel; 2 nobody to ask
  std::string line;    // for standard output when 0, standard error otherwise
};

// Nobody listens for this user (or what listens is not this user's).
CancelOutcome NobodyToAsk();

// The outcome of what the instance sent back (up to its first line break).
CancelOutcome OutcomeOfReply(const std::string& received);

}  // namespace velnook
