// Feeds arbitrary datagrams, any bytes and any length, to the link's message
// check and to the slave's handling of what arrives.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "link/link_message.h"
#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// What every accepted text must look like, judged without the number rule.
void CheckVerdict(std::string_view text, bool accepted) {
  const bool framed = text.size() >= 8 && text.substr(0, 3) == "<VN" && text.back() == '>';
  if (!framed) {
    FUZZ_CHECK(!accepted);
    return;
  }
  const size_t payload = text.size() - 8;
  const char tens = text[5], units = text[6];
  if (IsDigit(tens) && IsDigit(units)) {
    FUZZ_CHECK(accepted == (payload == static_cast<size_t>((tens - '0') * 10 + (units - '0'))));
    return;
  }
  // Without two digits the field can say 0..9 at most, and without any digit 0.
  if (accepted) FUZZ_CHECK(payload <= 9);
  if (!IsDigit(tens) && !IsDigit(units)) FUZZ_CHECK(accepted == (payload == 0));
}

class SlaveWindow : public Form {
 public:
  SlaveWindow() : Form("VelnookMain") { Add({.name = "Counter", .caption = "Connected"}); }
};

// The slave must act exactly on what the check accepts, and only from its partner.
void CheckSlave(const std::string& bytes, bool accepted, bool fromPartner) {
  SharedState state;
  state.settings.CMain = 2;
  state.PartnerAddresses = {*ParseIPv4Address("192.168.0.20")};
  state.LinkStatus = "Fail";
  state.ShutCond = 1;
  SlaveWindow window;
  int resets = 0, tests = 0;
  const LinkCommands commands{[&] { ++resets; }, [&] { ++tests; }};
  // No log level: a stranger is noted in memory only.
  static HeadlessServices hs;
  ReceiveLinkMessage({bytes, fromPartner ? "192.168.0.20" : "192.168.0.21"}, state, window,
                     hs.services, commands);
  if (!fromPartner) {
    FUZZ_CHECK(state.LinkStatus == "Fail" && state.ShutCond == 1 && resets + tests == 0);
    FUZZ_CHECK(window.Get("Counter").caption == "Connected");
    return;
  }
  FUZZ_CHECK(state.ShutCond == (accepted ? 0 : 1));
  FUZZ_CHECK(state.LinkStatus == (accepted ? "-OK-" : "Error"));
  FUZZ_CHECK(resets == (accepted && bytes.compare(3, 2, "C0") == 0 ? 1 : 0));
  FUZZ_CHECK(tests == (accepted && bytes.compare(3, 2, "T0") == 0 ? 1 : 0));
  FUZZ_CHECK((window.Get("Counter").caption == "Connection Error") == !accepted);
}

}  // namespace
}  // namespace velnook

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velnook;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool accepted = IsValidLinkMessage(bytes);
  CheckVerdict(bytes, accepted);
  CheckSlave(bytes, accepted, true);
  CheckSlave(bytes, accepted, false);
  return 0;
}
