#pragma once
// Wall-clock time, timers and the window event loop as the logic sees them.

#include <functional>
#include <memory>

namespace velnook {

// A local date and time, as shown in the settings file and the results log.
struct LocalTime {
  int year = 2000;  // four digits
  int month = 1;    // 1..12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// A repeating timer on the window thread. The callback never runs while a
// previous call of the same timer is still in progress.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void Start(int intervalMs, std::function<void()> onTick) = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
};

// The one window thread's event loop.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  // Lets pending window events run; used inside long scans.
  virtual void ProcessPendingEvents() = 0;
  // Runs work on a thread of its own, so that a long walk never holds the
  // window thread; what work returns then runs on the window thread as an
  // event. work may touch only what is safe from another thread.
  virtual void RunInBackground(std::function<std::function<void()>()> work) = 0;
};

}  // namespace velnook
