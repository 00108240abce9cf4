#pragma once
// A launcher that starts nothing and remembers what it was asked to open.

#include <string>
#include <vector>

#include "platform/launcher.h"

namespace velnook {

class RecordingLauncher : public Launcher {
 public:
  bool OpenWebPage(const std::string& url) override {
    webPages.push_back(url);
    return succeed;
  }
  bool OpenInTextEditor(const std::string& path) override {
    editedFiles.push_back(path);
    return succeed;
  }
  bool succeed = true;
  std::vector<std::string> webPages, editedFiles;
};

}  // namespace velnook
