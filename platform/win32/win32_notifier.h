#pragma once
// Windows offers no notification service with actions to a program of this
// kind; the flashing task-bar button (Win32Windows::RequestAttention) and
// the topmost countdown window draw the user's eye instead. What the
// program only tells goes into a balloon from the notification icon, when
// the window sits there.

#include "platform/desktop_notifier.h"
#include "platform/win32/win32_windows.h"

namespace velnook {

class Win32Notifier : public DesktopNotifier {
 public:
  explicit Win32Notifier(Win32Windows& windows) : windows_(windows) {}
  void Show(const Notice&) override {}
  void Close() override {}
  void Tell(const Notice& notice) override {
    windows_.ShowTrayBalloon(notice.summary, notice.body);
  }
  void SetCancelHandler(std::function<void()>) override {}

 private:
  Win32Windows& windows_;
};

}  // namespace velnook
