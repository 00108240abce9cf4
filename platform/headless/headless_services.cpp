#include "platform/headless/headless_services.h"

#include <random>

namespace velnook {

MsgAnswer ScriptedMessageBoxes::Show(const MessageBoxRequest& request) {
  shown.push_back(request);
  if (whileOpen) whileOpen();
  if (answers.empty())
    return request.buttons == MsgButtons::Ok || request.buttons == MsgButtons::OkCancel
               ? MsgAnswer::Ok
               : MsgAnswer::Yes;
  const MsgAnswer a = answers.front();
  answers.pop_front();
  return a;
}

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

int FreeLoopbackPort() {
  static std::mt19937 random(std::random_device{}());
  while (true) {
    // Below the systems' ranges for ports they hand out themselves.
    const int port = 20000 + static_cast<int>(random() % 12000);
    if (NativeUdpSocket{"127.0.0.1"}.Bind(port)) return port;
  }
}

Services HeadlessServices::With(TreeTracker& other) const {
  return Replaced(services, {.tracker = &other});
}

}  // namespace velnook
