#include "shutdown/inhibitor_line.h"

namespace velnook {
namespace {

// "what" is a colon-separated list such as "shutdown:sleep:idle".
bool Covers(const std::string& what, const std::string& kind) {
  size_t at = 0;
  while (at <= what.size()) {
    size_t end = what.find(':', at);
    if (end == std::string::npos) end = what.size();
    if (what.compare(at, end - at, kind) == 0) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

std::string BlockingInhibitorLine(const std::vector<Inhibitor>& inhibitors, PowerAction action) {
  const bool sleeps = action == PowerAction::Hibernate || action == PowerAction::Suspend;
  const std::string kind = sleeps ? "sleep" : "shutdown";
  std::string names;
  for (const Inhibitor& i : inhibitors) {
    if (i.mode != "block" || !Covers(i.what, kind)) continue;
    if (!names.empty()) names += ", ";
    names += i.who.empty() ? "an unnamed program" : i.who;
    if (!i.why.empty()) names += " (" + i.why + ")";
  }
  return names.empty() ? "" : "Blocked by: " + names;
}

}  // namespace velnook
