#pragma once
// Keeps the partner's addresses current. A dotted IPAdd is read once; a host
// name is looked up away from the window thread and again and again after
// that, since the network may come up after login and DHCP may move the
// partner: every 5 s while it does not resolve, while a slave does not hear
// its master or after a stranger was heard, and every 5 minutes otherwise.

#include <memory>
#include <string>
#include <vector>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

class PartnerLookup {
 public:
  static constexpr int kRetryMs = 5 * 1000;
  static constexpr int kRefreshMs = 5 * 60 * 1000;

  PartnerLookup(SharedState& state, Services& services);

  // Follows IPAdd as the settings now give it; what lookups of an earlier
  // set-up still answer is dropped.
  void Follow();

 private:
  void Check();
  void LookUp();
  void Answered(const std::vector<std::string>& addresses);

  SharedState& state_;
  Services& services_;
  std::unique_ptr<Timer> timer_;
  std::string name_;
  int setup_ = 0;
  bool asking_ = false;
  int sinceAnswerMs_ = 0;
  bool failureLogged_ = false;
};

}  // namespace velnook
