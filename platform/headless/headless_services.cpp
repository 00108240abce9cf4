#include "platform/headless/headless_services.h"

namespace velnook {

HeadlessServices::HeadlessServices(const std::string& lockDir)
    : lock(lockDir), services{loop,    loop,         messages, files, lock,  process,
                              windows, launcher,     power,    udp,   admin, tracker,
                              folders, LocaleInfo{}, notifier, auth} {
  process.windows = &windows;
  loop.pollInput = [this] { udp.Poll(); };
}

Services Replaced(const Services& s, const ServiceSwap& swap) {
  return {swap.clock ? *swap.clock : s.clock,
          swap.events ? *swap.events : s.events,
          swap.messages ? *swap.messages : s.messages,
          swap.files ? *swap.files : s.files,
          s.lock,
          s.process,
          swap.windows ? *swap.windows : s.windows,
          s.launcher,
          s.power,
          swap.udp ? *swap.udp : s.udp,
          s.admin,
          swap.tracker ? *swap.tracker : s.tracker,
          swap.folders ? *swap.folders : s.folders,
          s.locale,
          s.notifier,
          s.auth};
}

Services HeadlessServices::With(TreeTracker& other) const {
  return Replaced(services, {.tracker = &other});
}

}  // namespace velnook
