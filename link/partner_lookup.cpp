#include "link/partner_lookup.h"

#include "config/ip_address.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

constexpr int kCheckMs = 500;

}  // namespace

PartnerLookup::PartnerLookup(SharedState& state, Services& services)
    : state_(state), services_(services), timer_(services.events.CreateTimer()) {}

void PartnerLookup::Follow() {
  ++setup_;
  timer_->Stop();
  asking_ = false;
  failureLogged_ = false;
  state_.PartnerAddresses.clear();
  const std::string& partner = state_.settings.IPAdd;
  if (partner.empty()) return;
  if (state_.settings.DName == 1) {
    const auto address = ParseIPv4Address(partner);
    if (address && IsIPAddress(partner)) state_.PartnerAddresses = {*address};
    return;
  }
  name_ = partner;
  LookUp();
  timer_->Start(kCheckMs, [this] { Check(); });
}

void PartnerLookup::Check() {
  // One lookup at a time: the next is timed from the last answer.
  if (asking_) return;
  sinceAnswerMs_ += kCheckMs;
  // A slave that does not hear its master may be listening for an address
  // the name no longer gives.
  const bool slaveDeaf =
      state_.settings.CMain == 2 && !(state_.RunMode == 1 && state_.SecCount == 0);
  const bool soon = state_.PartnerAddresses.empty() || state_.StrangerHeard || slaveDeaf;
  if (sinceAnswerMs_ >= (soon ? kRetryMs : kRefreshMs)) LookUp();
}

void PartnerLookup::LookUp() {
  asking_ = true;
  state_.StrangerHeard = false;
  const int setup = setup_;
  services_.udp.Resolve(name_, [this, setup](std::vector<std::string> addresses) {
    if (setup != setup_) return;
    asking_ = false;
    sinceAnswerMs_ = 0;
    Answered(addresses);
  });
}

void PartnerLookup::Answered(const std::vector<std::string>& addresses) {
  std::vector<IPv4Address> found;
  for (const std::string& text : addresses)
    if (const auto address = ParseIPv4Address(text)) found.push_back(*address);
  // A failed lookup keeps what the last one found: a name server out of
  // reach for a moment must not make a slave turn its live master away.
  if (!found.empty()) {
    state_.PartnerAddresses = std::move(found);
    return;
  }
  if (!state_.PartnerAddresses.empty() || failureLogged_) return;
  failureLogged_ = true;
  if (state_.settings.LogLevel > 1)
    WriteLogEntry("Lookup", "Failed", state_, services_, "Name: " + name_);
}

}  // namespace velnook
