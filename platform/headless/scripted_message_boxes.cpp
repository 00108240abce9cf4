#include "platform/headless/scripted_message_boxes.h"

namespace velnook {

MsgAnswer ScriptedMessageBoxes::Show(const MessageBoxRequest& request) {
  shown.push_back(request);
  if (whileOpen) whileOpen();
  if (!answers.empty()) {
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  switch (request.buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
      return MsgAnswer::Ok;
    default:
      return MsgAnswer::Yes;
  }
}

}  // namespace velnook
