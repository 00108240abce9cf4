#pragma once
// Message boxes as MessageBoxA shows them, kept on top of other windows.

#include "platform/message_box.h"

namespace velnook {

class Win32MessageBoxes : public MessageBoxes {
 public:
  MsgAnswer Show(const MessageBoxRequest& request) override;
};

// The MessageBoxA style for a request: icon, buttons, topmost.
unsigned MessageBoxStyle(const MessageBoxRequest& request);

}  // namespace velnook
