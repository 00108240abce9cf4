#include "platform/background_tracker.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace velnook {

struct BackgroundTracker::Shared {
  std::unique_ptr<TreeTracker> inner;
  Scan scan;
  int checkEvery = 0;

  std::mutex mutex;
  std::condition_variable wanted;
  std::condition_variable answered;
  bool stopping = false;
  std::uint64_t asked = 0;   // measurements asked for
  std::uint64_t served = 0;  // asked for before the latest one began
  std::string folder;
  bool fresh = false;
  unsigned generation = 0;  // counts the baselines asked for
  std::optional<TreeSize> latest;

  static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  // One measurement by the inner tracker, stamped halfway through it: a walk
  // sees the tree somewhere between its start and its end.
  TreeSize MeasureStamped(const std::string& at, bool anew) {
    const double start = Now();
    TreeSize size = inner->Measure(at, anew, nullptr, [&] { return scan(at); });
    size.seconds = (start + Now()) / 2;
    return size;
  }

  // Compares the followed total with a walk. Only a tree that stood still
  // meanwhile (the same total before and after the walk) can be judged.
  TreeSize Check(const std::string& at, TreeSize before) {
    const TreeSize walked = scan(at);
    TreeSize after = MeasureStamped(at, false);
    if (!walked.rootRead || after.pending || after.total != before.total ||
        walked.total == after.total)
      return after;
    TreeSize anew = MeasureStamped(at, true);
    anew.corrected = anew.total - after.total;
    return anew;
  }

  void Run() {
    int sinceCheck = 0;
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
      wanted.wait(lock, [this] { return stopping || asked > served; });
      if (stopping) return;
      const std::uint64_t serving = asked;
      const std::string at = folder;
      const bool anew = fresh;
      fresh = false;
      const unsigned asking = generation;
      lock.unlock();
      TreeSize size = MeasureStamped(at, anew);
      if (anew) sinceCheck = 0;
      if (checkEvery > 0 && ++sinceCheck >= checkEvery && size.rootRead && !size.outOfWatches) {
        sinceCheck = 0;
        size = Check(at, size);
      }
      lock.lock();
      if (asking == generation) {
        if (latest) size.corrected += latest->corrected;  // not yet handed out
        latest = std::move(size);
      }
      served = serving;
      answered.notify_all();
    }
  }
};

BackgroundTracker::BackgroundTracker(std::unique_ptr<TreeTracker> inner, Scan scan, int checkEvery)
    : shared_(std::make_shared<Shared>()) {
  shared_->inner = std::move(inner);
  shared_->scan = std::move(scan);
  shared_->checkEvery = checkEvery;
  // One long-lived thread, not EventLoop::RunInBackground: the inner
  // tracker's watches must be used by one thread, one measurement after the
  // other, and Measure waits for its answer in the same call, which an
  // answer posted later as an event cannot give. The thread holds the
  // shared part, so it may outlive this object.
  std::thread([shared = shared_] { shared->Run(); }).detach();
}

BackgroundTracker::~BackgroundTracker() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stopping = true;
  shared_->wanted.notify_one();
}

// Long enough for a measurement from change notices, short enough that the
// window thread still answers a click at once.
constexpr std::chrono::milliseconds kMostWait{50};

TreeSize BackgroundTracker::Measure(const std::string& folder, bool fresh,
                                    const std::function<void()>&,
                                    const std::function<TreeSize()>&) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  Shared& s = *shared_;
  if (fresh || folder != s.folder) {
    s.folder = folder;
    s.fresh = true;
    ++s.generation;
    s.latest.reset();
  }
  const std::uint64_t mine = ++s.asked;
  s.wanted.notify_one();
  // This second's own figure when it comes quickly, else the newest there is.
  s.answered.wait_for(lock, kMostWait, [&] { return s.served >= mine; });
  if (!s.latest) {
    TreeSize none;
    none.pending = true;
    return none;
  }
  TreeSize size = *s.latest;
  s.latest->corrected = 0;  // told once
  size.askedAt = Shared::Now();
  return size;
}

}  // namespace velnook
