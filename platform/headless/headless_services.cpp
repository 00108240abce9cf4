#include "platform/headless/headless_services.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velnook {

HeadlessServices::HeadlessServices(const std::string& lockDir)
    : lock(lockDir), services{loop,     loop,  messages, files, lock,    process,     windows,
                              launcher, power, udp,      admin, tracker, LocaleInfo{}} {
  process.windows = &windows;
  loop.pollInput = [this] {
    udp.Poll();
    udp.DeliverResolved();
  };
}

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

Services WithFiles(const Services& s, FileSystem& files) {
  return {s.clock,    s.events, s.messages, files,   s.lock,    s.process, s.windows,
          s.launcher, s.power,  s.udp,      s.admin, s.tracker, s.locale};
}

Services HeadlessServices::With(TreeTracker& other) const {
  const Services& s = services;
  return Services{s.clock,    s.events, s.messages, s.files, s.lock, s.process, s.windows,
                  s.launcher, s.power,  s.udp,      s.admin, other,  s.locale};
}

}  // namespace velnook
