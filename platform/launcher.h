#pragma once
// Starting other programs: the browser for a web page, the text editor for a file.

#include <string>

namespace velnook {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // False when the program could not be started.
  virtual bool OpenWebPage(const std::string& url) = 0;
  virtual bool OpenInTextEditor(const std::string& path) = 0;
};

}  // namespace velnook
