#include "link/link_message.h"

#include <algorithm>

#include "config/ip_address.h"
#include "config/leading_number.h"
#include "link/signed_message.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

constexpr std::size_t kStrangersLogged = 16;
constexpr const char* kMoreStrangers = "";  // marks the line saying the rest go unlogged

bool FromPartner(const Datagram& datagram, const SharedState& state) {
  const auto sender = ParseIPv4Address(datagram.sender);
  const auto& partners = state.PartnerAddresses;
  return sender && std::find(partners.begin(), partners.end(), *sender) != partners.end();
}

// The master was heard in this second or the whole of the last one.
bool Connected(const SharedState& state) {
  return state.ShutCond == 0 || (state.RunMode == 1 && state.SecCount == 0);
}

void Log(const std::string& first, const std::string& second, const std::string& note,
         SharedState& state, Services& services) {
  if (state.settings.LogLevel > 1) WriteLogEntry(first, second, state, services, note);
}

void SetNote(const std::string& note, SharedState& state, Form& window) {
  if (note == state.LinkNote) return;
  state.LinkNote = note;
  ShowLinkTitle(state, window);
}

void HeardStranger(const Datagram& datagram, SharedState& state, Services& services) {
  state.StrangerHeard = true;
  // Without a partner address every sender is a stranger; the start-up
  // has already logged that the link is not configured.
  auto& logged = state.StrangersLogged;
  if (state.PartnerMissing || logged.size() > kStrangersLogged ||
      std::find(logged.begin(), logged.end(), datagram.sender) != logged.end())
    return;
  const bool more = logged.size() == kStrangersLogged;
  logged.push_back(more ? kMoreStrangers : datagram.sender);
  Log("Stranger", "Ignored", more ? "More strangers are not logged" : "From: " + datagram.sender,
      state, services);
}

void Accept(const std::string& text, SharedState& state, Form& window,
            const LinkCommands& commands) {
  state.LinkStatus = "-OK-";
  state.ShutCond = 0;
  if (state.RunMode == 2) state.MasterHeard = true;
  SetNote("", state, window);
  const std::string_view code = std::string_view(text).substr(3, 2);
  if (code == "C0" && commands.reset) commands.reset();
  if (code == "T0" && commands.testMode) commands.testMode();
}

void ReceiveSigned(const Datagram& datagram, SharedState& state, Form& window, Services& services,
                   const LinkCommands& commands) {
  const std::string& text = datagram.bytes;
  const auto counter = SignedLinkCounter(text, state.PairKey, services.auth);
  if (counter && *counter > state.LinkCounter) {
    state.LinkCounter = *counter;
    Accept(text, state, window, commands);
    return;
  }
  if (counter) return;  // replayed or reordered: the master has said more since
  if (!FromPartner(datagram, state)) {
    HeardStranger(datagram, state, services);
    return;
  }
  // Forged messages that arrive while the master is heard say nothing of
  // its key; only a partner heard in no other way has the wrong one.
  if (text.substr(0, 3) != "<VN" || Connected(state)) return;
  SetNote("the partner's key does not match", state, window);
  if (state.KeyMismatchLogged) return;
  state.KeyMismatchLogged = true;
  Log("Key", "Mismatch", "From: " + datagram.sender, state, services);
}

std::string PartnerText(const SharedState& state) {
  return state.PartnerAddresses.empty() ? state.settings.IPAdd
                                        : state.PartnerAddresses.front().ToText();
}

}  // namespace

bool IsValidLinkMessage(std::string_view text) {
  if (text.size() < 8 || text.substr(0, 3) != "<VN" || text.back() != '>') return false;
  // Read like every other number: "03" is 3, two letters are 0.
  const auto length = LeadingNumber(text.substr(5, 2));
  return length && *length == static_cast<double>(text.size() - 8);
}

void SendLinkMessage(SharedState& state, Services& services) {
  // Every failure is silent and keeps the message for the next send.
  if (state.PartnerAddresses.empty()) return;
  std::string bytes = state.PendingMsg;
  if (!state.PairKey.empty()) {
    state.LinkCounter = NextLinkCounter(state.LinkCounter);
    bytes = SignLinkMessage(bytes, state.LinkCounter, state.PairKey, services.auth);
    if (bytes.empty()) return;
  }
  if (!services.udp.SendTo(state.PartnerAddresses.front().ToText(), state.settings.Port1, bytes))
    return;
  services.events.ProcessPendingEvents();
  state.PendingMsg = kAliveMessage;
}

void ReceiveLinkMessage(const Datagram& datagram, SharedState& state, Form& window,
                        Services& services, const LinkCommands& commands) {
  if (state.settings.CMain == 1) return;
  if (!state.PairKey.empty()) {
    ReceiveSigned(datagram, state, window, services, commands);
    return;
  }
  const std::string& text = datagram.bytes;
  // A stranger must neither hold the slave off nor start its test mode.
  if (!FromPartner(datagram, state)) {
    HeardStranger(datagram, state, services);
    if (IsValidLinkMessage(text) && !Connected(state) && !state.PartnerMissing)
      SetNote("Velnook messages from " + datagram.sender + " ignored: the partner is " +
                  PartnerText(state),
              state, window);
    return;
  }

  if (!IsValidLinkMessage(text)) {
    state.LinkStatus = "Error";
    Control& counter = window.Get("Counter");
    counter.bold = true;
    counter.foreColour = kOrange;
    counter.caption = "Connection Error";
    state.ShutCond = 1;
    return;
  }
  Accept(text, state, window, commands);
}

void ShowLinkTitle(const SharedState& state, Form& window) {
  if (state.TestMode) return;
  window.caption = state.ProgramTitle;
  if (!state.LinkNote.empty())
    window.caption += " - " + state.LinkNote;
  else if (!state.PairKey.empty())
    window.caption += " - Signed Link";
}

}  // namespace velnook
