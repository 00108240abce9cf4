#include "platform/linux/display_check.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace velnook {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

std::string UnreachableDisplay(int argc, char** argv) {
  // Qt's own -platform and -display switches choose for themselves.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "-display") == 0) return "";
  }
  const std::string platform = Env("QT_QPA_PLATFORM");
  if (!platform.empty() && platform.rfind("xcb", 0) != 0) return "";
  // Without a platform named, a Wayland session may well be Qt's choice.
  if (platform.empty() && !Env("WAYLAND_DISPLAY").empty()) return "";
  const std::string display = Env("DISPLAY");
  if (display.empty()) {
    return platform.empty() ? "no display found (DISPLAY and WAYLAND_DISPLAY are not set)"
                            : "no display found (DISPLAY is not set)";
  }
  // A display named but not answering (a closed session, a stale DISPLAY):
  // ask it the way Qt's X11 plugin will.
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const bool failed = xcb_connection_has_error(c) != 0;
  xcb_disconnect(c);
  return failed ? "cannot connect to display " + display : "";
}

}  // namespace velnook
