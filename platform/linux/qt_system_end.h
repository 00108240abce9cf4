#pragma once
// The system asking the program to end: SIGTERM, SIGINT, SIGHUP, and the
// desktop session ending (logout, shutdown). Each request reaches the window
// thread as a call from the event loop, never from inside a signal handler,
// so the program can end the orderly way closing its window does.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace velnook {

class QtSystemEnd {
 public:
  // Needs the application object; onEnd is expected not to return.
  explicit QtSystemEnd(std::function<void()> onEnd);
  ~QtSystemEnd();
  QtSystemEnd(const QtSystemEnd&) = delete;
  QtSystemEnd& operator=(const QtSystemEnd&) = delete;

 private:
  std::function<void()> onEnd_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace velnook
