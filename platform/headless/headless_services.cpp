#include "platform/headless/headless_services.h"

namespace velnook {

HeadlessServices::HeadlessServices(const std::string& lockDir)
    : lock(lockDir), services{loop,    loop,     messages, files, lock,  process,
                              windows, launcher, power,    udp,   admin, LocaleInfo{}} {
  process.windows = &windows;
  loop.pollInput = [this] {
    udp.Poll();
    udp.DeliverResolved();
  };
}

}  // namespace velnook
