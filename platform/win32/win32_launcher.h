#pragma once
// Opens the web page with the user's browser and the log with Notepad.

#include "platform/launcher.h"

namespace velnook {

class Win32Launcher : public Launcher {
 public:
  bool OpenWebPage(const std::string& url) override;
  bool OpenInTextEditor(const std::string& path) override;
};

}  // namespace velnook
