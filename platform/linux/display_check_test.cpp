#include "platform/linux/display_check.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <cstdlib>

namespace velnook {
namespace {

TEST(DisplayCheckTest, SaysWhatIsMissingAndLeavesOtherPlatformsToQt) {
  constexpr const char* kVars[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  constexpr const char* no = nullptr;  // unset
  QByteArray saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = qgetenv(kVars[i]);
  const struct {
    const char* vars[3];  // as kVars
    const char* args;
    const char* said;
  } cases[] = {
      {{no, no, "offscreen"}, "", ""},
      {{no, "wayland-0", no}, "", ""},
      {{no, no, "wayland"}, "", ""},
      {{no, no, no}, "-platform offscreen", ""},
      {{no, no, no}, "-AllowMulti", "no display found (DISPLAY and WAYLAND_DISPLAY are not set)"},
      // A file, not a socket: nothing can answer there.
      {{"/nonexistent/x:0", no, no}, "", "cannot connect to display /nonexistent/x:0"},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < 3; ++i) c.vars[i] ? setenv(kVars[i], c.vars[i], 1) : unsetenv(kVars[i]);
    QList<QByteArray> args = QByteArray("velnook ").append(c.args).trimmed().split(' ');
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    EXPECT_EQ(UnreachableDisplay(static_cast<int>(argv.size()), argv.data()), c.said) << c.said;
  }
  for (int i = 0; i < 3; ++i)
    saved[i].isNull() ? unsetenv(kVars[i]) : setenv(kVars[i], saved[i].constData(), 1);
}

}  // namespace
}  // namespace velnook
