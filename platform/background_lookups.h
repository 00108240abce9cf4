#pragma once
// Name lookups for the sockets' backends, made as the event loop makes all
// work that may take long: away from the window thread, answering there.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"

namespace velnook {

using Addresses = std::vector<std::string>;

// Runs the blocking |lookUp| through events->RunInBackground; done runs on
// the window thread, and not at all once |owner| is gone. Without a loop
// the lookup runs in place and answers at once, as only tests may.
inline void LookUpInBackground(EventLoop* events, const std::shared_ptr<bool>& owner,
                               std::function<Addresses()> lookUp,
                               std::function<void(Addresses)> done) {
  auto work = [lookUp = std::move(lookUp), done = std::move(done),
               owner = std::weak_ptr<bool>(owner)]() -> std::function<void()> {
    return [done, owner, addresses = lookUp()] {
      if (!owner.expired()) done(addresses);
    };
  };
  if (events)
    events->RunInBackground(std::move(work));
  else
    work()();
}

}  // namespace velnook
