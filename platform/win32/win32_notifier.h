#pragma once
// Windows offers no notification service with actions to a program of this
// kind; the flashing task-bar button (Win32Windows::RequestAttention) and
// the topmost countdown window draw the user's eye instead.

#include "platform/desktop_notifier.h"

namespace velnook {

class Win32Notifier : public DesktopNotifier {
 public:
  void Show(const Notice&) override {}
  void Close() override {}
  void SetCancelHandler(std::function<void()>) override {}
};

}  // namespace velnook
