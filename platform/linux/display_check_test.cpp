#include "platform/linux/display_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace velnook {
namespace {

using Vars = std::map<std::string, std::string>;

// Sets the display variables for one case and puts the old values back.
class DisplayEnv {
 public:
  explicit DisplayEnv(const Vars& set) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      const char* v = std::getenv(name);
      saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
      auto it = set.find(name);
      if (it == set.end()) {
        unsetenv(name);
      } else {
        setenv(name, it->second.c_str(), 1);
      }
    }
  }
  ~DisplayEnv() {
    for (const auto& [name, v] : saved_) {
      if (v) {
        setenv(name.c_str(), v->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

std::string Check(std::initializer_list<const char*> args) {
  std::string storage[8];
  char* argv[8] = {};
  int argc = 0;
  for (const char* a : args) {
    storage[argc] = a;
    argv[argc] = storage[argc].data();
    ++argc;
  }
  return UnreachableDisplay(argc, argv);
}

TEST(DisplayCheckTest, PlatformsOtherThanX11AreLeftToQt) {
  {
    DisplayEnv env(Vars{{"QT_QPA_PLATFORM", "offscreen"}});  // what the screen tests use
    EXPECT_EQ(Check({"velnook"}), "");
  }
  {
    DisplayEnv env(Vars{{"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_EQ(Check({"velnook"}), "");
  }
  {
    DisplayEnv env(Vars{{"QT_QPA_PLATFORM", "wayland"}});
    EXPECT_EQ(Check({"velnook"}), "");
  }
  {
    DisplayEnv env(Vars{});
    EXPECT_EQ(Check({"velnook", "-platform", "offscreen"}), "");
  }
}

TEST(DisplayCheckTest, SaysWhatIsMissing) {
  {
    DisplayEnv env(Vars{});
    EXPECT_EQ(Check({"velnook"}), "no display found (DISPLAY and WAYLAND_DISPLAY are not set)");
    EXPECT_EQ(Check({"velnook", "-AllowMulti"}),
              "no display found (DISPLAY and WAYLAND_DISPLAY are not set)");
  }
  {
    // Asked for X11, a Wayland session does not help.
    DisplayEnv env(Vars{{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}});
    EXPECT_EQ(Check({"velnook"}), "no display found (DISPLAY is not set)");
  }
  {
    // A file, not a socket: nothing can answer there.
    DisplayEnv env(Vars{{"DISPLAY", "/nonexistent/velnook-test:0"}});
    EXPECT_EQ(Check({"velnook"}), "cannot connect to display /nonexistent/velnook-test:0");
  }
}

}  // namespace
}  // namespace velnook
