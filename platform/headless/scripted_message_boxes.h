#pragma once
// Message boxes that answer from a script and remember what they showed.

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/message_box.h"

namespace velnook {

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(const MessageBoxRequest& request) override;
  // Answers given in order; when none is left the first button is pressed.
  std::deque<MsgAnswer> answers;
  std::vector<MessageBoxRequest> shown;
  // Runs while a box is open, as window events would under a modal box.
  std::function<void()> whileOpen;
  // The one box shown; a box titled with the count when there were others.
  MessageBoxRequest Only() const {
    return shown.size() == 1 ? shown[0]
                             : MessageBoxRequest{.title = std::to_string(shown.size()) + " boxes"};
  }
};

inline void PrintTo(const MessageBoxRequest& m, std::ostream* os) {
  *os << "{icon " << static_cast<int>(m.icon) << ", buttons " << static_cast<int>(m.buttons)
      << ", \"" << m.title << "\", \"" << m.text << "\"}";
}

}  // namespace velnook
