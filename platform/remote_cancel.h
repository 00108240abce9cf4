#pragma once
// "velnook -Cancel": what a running instance answers a request from the
// user's terminal to cancel its countdown, and how the answer travels.

#include <optional>
#include <string>
#include <vector>

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

// The exit statuses of "velnook -Cancel".
enum CancelStatus {
  kCancelled = 0,
  kNothingToCancel = 1,
  kNobodyToAsk = 2,
  kNoAnswer = 3,  // an instance is there but did not answer in time
  kMisspelt = 4,  // a switch that looks like -Cancel but is not
};

// What one instance (or nobody) answered "velnook -Cancel".
struct CancelOutcome {
  int exitStatus = kCancelled;
  std::string line;  // for standard output when cancelled, standard error otherwise
};

// Nobody listens for this user (or what listens is not this user's).
CancelOutcome NobodyToAsk();

// The outcome of what the instance sent back (up to its first line break).
CancelOutcome OutcomeOfReply(const std::string& received);

// What the terminal shows for the answers of all the user's instances.
struct CancelReport {
  int exitStatus = kNobodyToAsk;
  std::string out;  // a line for each instance whose countdown was cancelled
  std::string err;  // a line for each other instance, or that none runs
};

// An instance that did not answer may still be counting down, so it decides
// the status over any cancelled one; otherwise one cancelled countdown makes
// it a success. Outcomes of nobody (sockets left by ended instances) count
// only when nothing else answered.
CancelReport ReportOf(const std::vector<CancelOutcome>& outcomes);

// The command-line text is not "-Cancel" but was surely meant to be (other
// case, doubled dash): a line pointing to the right spelling, else empty.
std::string MisspeltCancel(const std::string& argText);

}  // namespace velnook
