#include "platform/linux/qt_event_loop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>
#include <thread>

namespace velnook {

namespace {

class QtTimer : public Timer {
 public:
  explicit QtTimer(const std::function<void()>& afterEvent) : afterEvent_(afterEvent) {
    // A coarse timer may fire 5% early; the link's keep-alives would then
    // bunch up and the seconds drift.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // A tick that lets events run (a scan, a message box) must not be
      // entered again by its own timer.
      if (inTick_) return;
      inTick_ = true;
      if (onTick_) onTick_();
      inTick_ = false;
      if (afterEvent_) afterEvent_();
    });
  }
  void Start(int intervalMs, std::function<void()> onTick) override {
    onTick_ = std::move(onTick);
    timer_.start(intervalMs);
  }
  void Stop() override { timer_.stop(); }
  bool IsRunning() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> onTick_;
  const std::function<void()>& afterEvent_;
  bool inTick_ = false;
};

}  // namespace

LocalTime QtEventLoop::Now() {
  QDateTime now = QDateTime::currentDateTime();
  QDate d = now.date();
  QTime t = now.time();
  return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::unique_ptr<Timer> QtEventLoop::CreateTimer() {
  return std::make_unique<QtTimer>(afterEvent_);
}

void QtEventLoop::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

void QtEventLoop::RunInBackground(std::function<std::function<void()>()> work) {
  std::thread([work = std::move(work), afterEvent = afterEvent_] {
    auto done = work();
    // Queued to the application object, whose thread is the window thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [done = std::move(done), afterEvent] {
          if (done) done();
          if (afterEvent) afterEvent();
        },
        Qt::QueuedConnection);
  }).detach();
}

}  // namespace velnook
