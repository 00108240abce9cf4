#include "platform/background_lookups.h"

#include <mutex>
#include <thread>
#include <utility>

namespace velnook {

struct BackgroundLookups::Shared {
  std::function<Addresses(const std::string&)> lookUp;
  std::shared_ptr<void> keepAlive;
  std::mutex mutex;
  std::vector<std::pair<std::function<void(Addresses)>, Addresses>> done;
};

BackgroundLookups::BackgroundLookups(std::function<Addresses(const std::string&)> lookUp,
                                     std::shared_ptr<void> keepAlive)
    : shared_(std::make_shared<Shared>()) {
  shared_->lookUp = std::move(lookUp);
  shared_->keepAlive = std::move(keepAlive);
}

void BackgroundLookups::Start(const std::string& name, std::function<void(Addresses)> done,
                              std::function<void()> wake) {
  std::thread([shared = shared_, name, done = std::move(done), wake = std::move(wake)]() mutable {
    auto addresses = shared->lookUp(name);
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->done.emplace_back(std::move(done), std::move(addresses));
    }
    if (wake) wake();
  }).detach();
}

bool BackgroundLookups::Deliver() {
  decltype(Shared::done) ready;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ready.swap(shared_->done);
  }
  for (auto& [done, addresses] : ready) done(std::move(addresses));
  return !ready.empty();
}

}  // namespace velnook
