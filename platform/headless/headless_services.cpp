#include "platform/headless/headless_services.h"

namespace velnook {

HeadlessServices::HeadlessServices(const std::string& lockDir)
    : lock(lockDir), services{loop,    loop,    messages, files,        lock,
                              process, windows, launcher, power,        udp,
                              admin,   tracker, folders,  LocaleInfo{}, notifier} {
  process.windows = &windows;
  loop.pollInput = [this] {
    udp.Poll();
    udp.DeliverResolved();
  };
}

Services WithFiles(const Services& s, FileSystem& files) {
  return {s.clock, s.events, s.messages, files,     s.lock,    s.process, s.windows, s.launcher,
          s.power, s.udp,    s.admin,    s.tracker, s.folders, s.locale,  s.notifier};
}

Services WithUdp(const Services& s, UdpSocket& udp) {
  return {s.clock, s.events, s.messages, s.files,   s.lock,    s.process, s.windows, s.launcher,
          s.power, udp,      s.admin,    s.tracker, s.folders, s.locale,  s.notifier};
}

Services HeadlessServices::With(TreeTracker& other) const {
  const Services& s = services;
  return Services{s.clock,   s.events,  s.messages, s.files,  s.lock,
                  s.process, s.windows, s.launcher, s.power,  s.udp,
                  s.admin,   other,     s.folders,  s.locale, s.notifier};
}

}  // namespace velnook
