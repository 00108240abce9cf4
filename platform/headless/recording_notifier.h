#pragma once
// A notifier without a desktop: it records the notices and lets tests pick
// their Cancel action.

#include <functional>
#include <vector>

#include "platform/desktop_notifier.h"

namespace velnook {

class RecordingNotifier : public DesktopNotifier {
 public:
  void Show(const Notice& notice) override {
    shown.push_back(notice);
    open = true;
  }
  void Close() override {
    if (open) ++closes;
    open = false;
  }
  void Tell(const Notice& notice) override { told.push_back(notice); }
  void SetCancelHandler(std::function<void()> onCancel) override {
    onCancel_ = std::move(onCancel);
  }

  // The user picks Cancel on the notice; a closed notice has no action left.
  void PickCancel() {
    if (open && onCancel_) onCancel_();
  }

  std::vector<Notice> shown;  // every Show, updates included
  std::vector<Notice> told;
  bool open = false;
  int closes = 0;

 private:
  std::function<void()> onCancel_;
};

}  // namespace velnook
