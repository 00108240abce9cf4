#pragma once
// Real Qt message boxes with the program's exact titles.

#include "platform/message_box.h"

namespace velnook {

class QtMessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(const MessageBoxRequest& request) override;
};

}  // namespace velnook
