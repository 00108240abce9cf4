#pragma once
// Real Qt message boxes with the program's exact titles.

#include <QString>

#include "platform/message_box.h"

namespace velnook {

class QtWindows;

// Each box first draws the program's windows, so that they show what was
// set just before it, and keeps them alive until it is answered.
class QtMessageBoxes : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QtWindows& windows) : windows_(windows) {}
  MsgAnswer Show(const MessageBoxRequest& request) override;

 private:
  QtWindows& windows_;
};

// The width in pixels a box needs for the window manager to show its whole
// title beside the frame's buttons.
int BoxWidthForTitle(const QString& title);

}  // namespace velnook
