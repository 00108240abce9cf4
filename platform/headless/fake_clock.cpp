#include "platform/headless/fake_clock.h"

namespace velnook {

class FakeTimer : public Timer {
 public:
  FakeTimer(FakeEventLoop& loop, int id) : loop_(loop), id_(id) {}
  ~FakeTimer() override { loop_.timers_.erase(id_); }
  void Start(int intervalMs, std::function<void()> onTick) override {
    auto& e = loop_.timers_[id_];
    e.interval = intervalMs;
    e.due = loop_.elapsedMs_ + intervalMs;
    e.tick = std::move(onTick);
    e.running = true;
  }
  void Stop() override { loop_.timers_[id_].running = false; }
  bool IsRunning() const override { return loop_.timers_.at(id_).running; }

 private:
  FakeEventLoop& loop_;
  int id_;
};

std::unique_ptr<Timer> FakeEventLoop::CreateTimer() {
  int id = nextId_++;
  timers_[id] = Entry{};
  return std::make_unique<FakeTimer>(*this, id);
}

void FakeEventLoop::ProcessPendingEvents() {
  ++pendingEventPasses;
  if (onPendingEvents) onPendingEvents();
  if (pollInput) pollInput();
  RunFinishedWork();
}

void FakeEventLoop::RunInBackground(std::function<std::function<void()>()> work) {
  finished_.push_back(work());
}

void FakeEventLoop::RunFinishedWork() {
  while (!finished_.empty()) {
    auto ready = std::move(finished_);
    finished_.clear();
    for (auto& done : ready)
      if (done) done();
  }
}

static int DaysInMonth(int y, int m) {
  static const int d[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : d[m - 1];
}

void FakeEventLoop::AddSecond() {
  if (++now_.second < 60) return;
  now_.second = 0;
  if (++now_.minute < 60) return;
  now_.minute = 0;
  if (++now_.hour < 24) return;
  now_.hour = 0;
  if (++now_.day <= DaysInMonth(now_.year, now_.month)) return;
  now_.day = 1;
  if (++now_.month <= 12) return;
  now_.month = 1;
  ++now_.year;
}

void FakeEventLoop::Advance(int ms) {
  long long end = elapsedMs_ + ms;
  while (true) {
    // The earliest running timer due within the step.
    int best = -1;
    long long bestDue = end + 1;
    for (auto& [id, e] : timers_)
      if (e.running && !e.inTick && e.due < bestDue) {
        best = id;
        bestDue = e.due;
      }
    if (pollInput) pollInput();  // what arrived before this moment comes first
    RunFinishedWork();
    long long target = best < 0 ? end : bestDue;
    while (elapsedMs_ / 1000 < target / 1000) {
      elapsedMs_ = (elapsedMs_ / 1000 + 1) * 1000;
      AddSecond();
    }
    elapsedMs_ = target;
    if (best < 0) return;
    auto& e = timers_[best];
    e.due += e.interval;
    e.inTick = true;
    auto tick = e.tick;  // the handler may stop or restart its own timer
    tick();
    auto it = timers_.find(best);
    if (it != timers_.end()) it->second.inTick = false;
  }
}

}  // namespace velnook
