#include "platform/headless/fake_clock.h"

#include <chrono>

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

void FakeEventLoop::AddSecond() {
  using namespace std::chrono;
  const sys_seconds t = sys_days{year{now_.year} / now_.month / now_.day} + hours{now_.hour} +
                        minutes{now_.minute} + seconds{now_.second + 1};
  const sys_days day = floor<days>(t);
  const year_month_day date{day};
  const hh_mm_ss time{t - day};
  now_ = {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
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
