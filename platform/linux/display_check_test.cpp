#include "platform/linux/display_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace velnook {
namespace {

constexpr const char* kVars[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST(DisplayCheckTest, SaysWhatIsMissingAndLeavesOtherPlatformsToQt) {
  std::optional<std::string> saved[3];
  for (int i = 0; i < 3; ++i)
    if (const char* v = std::getenv(kVars[i])) saved[i] = v;
  const struct {
    const char* display;  // DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM; nullptr: unset
    const char* wayland;
    const char* platform;
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {nullptr, nullptr, "offscreen", {}, ""},
      {nullptr, "wayland-0", nullptr, {}, ""},
      {nullptr, nullptr, "wayland", {}, ""},
      {nullptr, nullptr, nullptr, {"-platform", "offscreen"}, ""},
      {nullptr,
       nullptr,
       nullptr,
       {"-AllowMulti"},
       "no display found (DISPLAY and WAYLAND_DISPLAY are not set)"},
      // Asked for X11, a Wayland session does not help.
      {nullptr, "wayland-0", "xcb", {}, "no display found (DISPLAY is not set)"},
      // A file, not a socket: nothing can answer there.
      {"/nonexistent/velnook-test:0",
       nullptr,
       nullptr,
       {},
       "cannot connect to display /nonexistent/velnook-test:0"},
  };
  for (const auto& c : cases) {
    const char* values[] = {c.display, c.wayland, c.platform};
    for (int i = 0; i < 3; ++i) values[i] ? setenv(kVars[i], values[i], 1) : unsetenv(kVars[i]);
    std::vector<std::string> args{"velnook"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    EXPECT_EQ(UnreachableDisplay(static_cast<int>(argv.size()), argv.data()), c.said) << c.said;
  }
  for (int i = 0; i < 3; ++i)
    saved[i] ? setenv(kVars[i], saved[i]->c_str(), 1) : unsetenv(kVars[i]);
}

}  // namespace
}  // namespace velnook
