#include "platform/remote_cancel.h"

#include <cctype>

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
  return {kNobodyToAsk, "Velnook is not running for this user: nothing to cancel."};
}

CancelOutcome OutcomeOfReply(const std::string& received) {
  const size_t end = received.find('\n');
  const auto answer =
      ParseCancelAnswer(end == std::string::npos ? "" : received.substr(0, end + 1));
  if (!answer) return {kNoAnswer, "Velnook did not answer: nothing cancelled."};
  return {answer->cancelled ? kCancelled : kNothingToCancel, answer->text};
}

CancelReport ReportOf(const std::vector<CancelOutcome>& outcomes) {
  CancelReport report;
  bool cancelled = false, noAnswer = false, answered = false;
  for (const CancelOutcome& o : outcomes) {
    if (o.exitStatus == kNobodyToAsk) continue;
    answered = true;
    cancelled = cancelled || o.exitStatus == kCancelled;
    noAnswer = noAnswer || o.exitStatus == kNoAnswer;
    (o.exitStatus == kCancelled ? report.out : report.err) += o.line + "\n";
  }
  if (!answered) {
    report.err = NobodyToAsk().line + "\n";
    return report;
  }
  report.exitStatus = noAnswer ? kNoAnswer : cancelled ? kCancelled : kNothingToCancel;
  return report;
}

std::string MisspeltCancel(const std::string& argText) {
  size_t dashes = 0;
  while (dashes < argText.size() && (argText[dashes] == '-' || argText[dashes] == '/')) ++dashes;
  std::string word;
  for (size_t i = dashes; i < argText.size(); ++i)
    word += static_cast<char>(std::tolower(static_cast<unsigned char>(argText[i])));
  if (dashes == 0 || word != "cancel" || argText == "-Cancel") return "";
  return "Velnook: unknown switch \"" + argText + "\"; to cancel a countdown type: velnook -Cancel";
}

}  // namespace velnook
