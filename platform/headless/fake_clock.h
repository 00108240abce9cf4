#pragma once
// A clock and event loop whose time moves only when a test says so.

#include <map>
#include <memory>

#include "platform/clock.h"

namespace velnook {

class FakeEventLoop : public Clock, public EventLoop {
 public:
  LocalTime Now() override { return now_; }
  void SetNow(const LocalTime& t) { now_ = t; }

  std::unique_ptr<Timer> CreateTimer() override;
  void ProcessPendingEvents() override;

  // Moves time on by ms milliseconds, firing every timer that falls due in
  // order. The wall clock advances with it.
  void Advance(int ms);
  // Runs once inside every ProcessPendingEvents call, to simulate a click
  // arriving in the middle of a scan.
  std::function<void()> onPendingEvents;
  int pendingEventPasses = 0;
  // Delivers waiting input (datagrams, lookups) as the real loop would.
  std::function<void()> pollInput;
  long long ElapsedMs() const { return elapsedMs_; }

 private:
  friend class FakeTimer;
  struct Entry {
    int interval = 0;
    long long due = 0;
    std::function<void()> tick;
    bool running = false;
    bool inTick = false;
  };
  void AddSecond();
  LocalTime now_{2026, 12, 5, 3, 0, 38};
  long long elapsedMs_ = 0;
  int nextId_ = 0;
  std::map<int, Entry> timers_;
};

}  // namespace velnook
