#pragma once
// Message boxes that answer from a script and remember what they showed.

#include <deque>
#include <functional>
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
};

}  // namespace velnook
