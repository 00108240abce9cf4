#pragma once
// Clock, timers and event passes over Qt's event loop.

#include <functional>

#include "platform/clock.h"

namespace velnook {

class QtEventLoop : public Clock, public EventLoop {
 public:
  // afterEvent runs after every timer tick, so windows show what it changed.
  explicit QtEventLoop(std::function<void()> afterEvent) : afterEvent_(std::move(afterEvent)) {}
  LocalTime Now() override;
  std::unique_ptr<Timer> CreateTimer() override;
  void ProcessPendingEvents() override;
  void RunInBackground(std::function<std::function<void()>()> work) override;

 private:
  std::function<void()> afterEvent_;
};

}  // namespace velnook
