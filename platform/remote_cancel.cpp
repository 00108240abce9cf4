#include "platform/remote_cancel.h"

namespace velnook {

std::string CancelAnswerLine(const CancelAnswer& answer) {
  std::string text = answer.text;
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';  // one line, whatever the text holds
  return (answer.cancelled ? "0 " : "1 ") + text + "\n";
}

std::optional<CancelAnswer> ParseCancelAnswer(const std::string& line) {
  if (line.size() < 3 || line[1] != ' ' || line.back() != '\n') return std::nullopt;
  if (line[0] != '0' && line[0] != '1') return std::nullopt;
  return CancelAnswer{line[0] == '0', line.substr(2, line.size() - 3)};
}

CancelOutcome NobodyToAsk() {
  return {2, "Velnook is not running for this user: nothing to cancel."};
}

CancelOutcome OutcomeOfReply(const std::string& received) {
  const size_t end = received.find('\n');
  const auto answer =
      ParseCancelAnswer(end == std::string::npos ? "" : received.substr(0, end + 1));
  if (!answer) return {2, "Velnook did not answer: nothing cancelled."};
  return {answer->cancelled ? 0 : 1, answer->text};
}

}  // namespace velnook
