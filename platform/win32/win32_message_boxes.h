#pragma once
// Message boxes as MessageBoxA shows them, kept on top of other windows.

#include "platform/message_box.h"

namespace velnook {

class Win32Windows;

// With the program's windows given, each box first draws them, so that they
// show what was set just before it, and keeps them alive until answered.
class Win32MessageBoxes : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(Win32Windows* windows = nullptr) : windows_(windows) {}
  MsgAnswer Show(const MessageBoxRequest& request) override;

 private:
  Win32Windows* windows_;
};

}  // namespace velnook
