#include "platform/linux/qt_system_end.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>

namespace velnook {
namespace {

// The handler may only write to this pipe: anything more (the log, the
// windows) is not safe inside a signal handler.
int endPipe[2] = {-1, -1};

extern "C" void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; one is enough.
  [[maybe_unused]] const ssize_t n = ::write(endPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

QtSystemEnd::QtSystemEnd(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
  // Without the pipe the signals keep their default action and end the
  // process at once; that is all that is lost.
  if (endPipe[0] < 0 && ::pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(endPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
    char drained[16];
    while (::read(endPipe[0], drained, sizeof drained) > 0) {
    }
    onEnd_();
  });
  struct sigaction action = {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);

  // The program never quits Qt itself (its end is the process's), so a quit
  // is the session manager telling it to die at logout or shutdown. Its
  // earlier request to save data also comes for mere checkpoints, and the
  // program has nothing to save then.
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, notifier_.get(),
                   [this] { onEnd_(); });
}

QtSystemEnd::~QtSystemEnd() = default;

}  // namespace velnook
