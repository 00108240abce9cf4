#include "platform/headless/fake_clock.h"

#include <chrono>
#include <utility>

namespace velnook {

class FakeTimer : public Timer {
 public:
  FakeTimer(FakeEventLoop& loop, int id) : loop_(loop), id_(id) {}
  ~FakeTimer() override { loop_.timers_.erase(id_); }
  void Start(int intervalMs, std::function<void()> onTick) override {
    auto& e = loop_.timers_[id_];
    e = {intervalMs, loop_.elapsedMs_ + intervalMs, std::move(onTick), true, e.inTick};
  }
  void Stop() override { loop_.timers_[id_].running = false; }
  bool IsRunning() const override { return loop_.timers_.at(id_).running; }

 private:
  FakeEventLoop& loop_;
  int id_;
};

std::unique_ptr<Timer> FakeEventLoop::CreateTimer() {
  timers_[nextId_] = Entry{};
  return std::make_unique<FakeTimer>(*this, nextId_++);
}

LocalTime FakeEventLoop::Now() {
  using namespace std::chrono;
  const LocalTime& s = start_;
  const sys_seconds t = sys_days{year{s.year} / s.month / s.day} + hours{s.hour} +
                        minutes{s.minute} + seconds{s.second + (elapsedMs_ - startMs_) / 1000};
  const sys_days day = floor<days>(t);
  const year_month_day date{day};
  const hh_mm_ss time{t - day};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

void FakeEventLoop::ProcessPendingEvents() {
  ++pendingEventPasses;
  if (onPendingEvents) onPendingEvents();
  if (pollInput) pollInput();
  RunFinishedWork();
}

void FakeEventLoop::RunFinishedWork() {
  while (!finished_.empty())
    for (auto& done : std::exchange(finished_, {}))
      if (done) done();
}

void FakeEventLoop::Advance(int ms) {
  const long long end = elapsedMs_ + ms;
  while (true) {
    if (pollInput) pollInput();  // what arrived before this moment comes first
    RunFinishedWork();
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.running && !it->second.inTick && it->second.due <= end &&
          (best == timers_.end() || it->second.due < best->second.due))
        best = it;
    if (best == timers_.end()) {
      elapsedMs_ = end;
      return;
    }
    const int id = best->first;
    elapsedMs_ = best->second.due;
    best->second.due += best->second.interval;
    best->second.inTick = true;
    auto tick = best->second.tick;  // the handler may stop or restart its own timer
    tick();
    if (auto it = timers_.find(id); it != timers_.end()) it->second.inTick = false;
  }
}

}  // namespace velnook
