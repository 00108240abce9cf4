#include "link/partner_lookup.h"

#include "config/ip_address.h"

namespace velnook {

PartnerLookup::PartnerLookup(SharedState& state, Services& services)
    : state_(state), services_(services), timer_(services.events.CreateTimer()) {}

void PartnerLookup::Follow() {
  ++setup_;
  timer_->Stop();
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
}

void PartnerLookup::LookUp() {
  const int setup = setup_;
  services_.udp.Resolve(name_, [this, setup](std::vector<std::string> addresses) {
    if (setup == setup_) Answered(addresses);
  });
}

void PartnerLookup::Answered(const std::vector<std::string>& addresses) {
  std::vector<IPv4Address> found;
  for (const std::string& text : addresses)
    if (const auto address = ParseIPv4Address(text)) found.push_back(*address);
  const bool resolved = !found.empty();
  // A failed lookup keeps what the last one found: a name server out of
  // reach for a moment must not make a slave turn its live master away.
  if (resolved) state_.PartnerAddresses = std::move(found);
  // One lookup at a time: the next is timed from this answer.
  timer_->Start(resolved ? kRefreshMs : kRetryMs, [this] {
    timer_->Stop();
    LookUp();
  });
}

}  // namespace velnook
