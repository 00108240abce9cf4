#pragma once
// Opens web pages and files with the desktop's own programs (xdg-open). A
// file that xdg-open reports it cannot open counts as not opened.

#include "platform/launcher.h"

namespace velnook {

class XdgLauncher : public Launcher {
 public:
  bool OpenWebPage(const std::string& url) override;
  bool OpenInTextEditor(const std::string& path) override;
};

}  // namespace velnook
