#pragma once
// A clock and event loop whose time moves only when a test says so.

#include <map>
#include <memory>
#include <vector>

#include "platform/clock.h"

namespace velnook {

class FakeEventLoop : public Clock, public EventLoop {
 public:
  LocalTime Now() override;
  void SetNow(const LocalTime& t) {
    start_ = t;
    startMs_ = elapsedMs_ / 1000 * 1000;
  }

  std::unique_ptr<Timer> CreateTimer() override;
  void ProcessPendingEvents() override;
  // Runs work at once, in place of a thread; what it returns waits for the
  // next event pass or Advance, as an event from another thread would.
  void RunInBackground(std::function<std::function<void()>()> work) override {
    finished_.push_back(work());
  }

  // Moves time on by ms milliseconds, firing every timer that falls due in
  // order. The wall clock advances with it.
  void Advance(int ms);
  // Runs inside every ProcessPendingEvents call: a click in mid-scan.
  std::function<void()> onPendingEvents;
  int pendingEventPasses = 0;
  // Delivers waiting input (datagrams, lookups) as the real loop would.
  std::function<void()> pollInput;

 private:
  friend class FakeTimer;
  struct Entry {
    int interval = 0;
    long long due = 0;
    std::function<void()> tick;
    bool running = false, inTick = false;
  };
  void RunFinishedWork();
  std::vector<std::function<void()>> finished_;
  LocalTime start_{2026, 12, 5, 3, 0, 38};
  long long startMs_ = 0, elapsedMs_ = 0;
  int nextId_ = 0;
  std::map<int, Entry> timers_;
};

}  // namespace velnook
