#pragma once
// A fresh temporary directory that becomes the current directory for the
// life of the object, the way the program runs in its working directory.

#include <string>

namespace velnook {

class TempWorkDir {
 public:
  TempWorkDir();
  ~TempWorkDir();
  TempWorkDir(const TempWorkDir&) = delete;
  TempWorkDir& operator=(const TempWorkDir&) = delete;
  const std::string& Path() const { return path_; }
  // Writes a file (relative to the directory), creating parent folders.
  void Write(const std::string& relative, const std::string& content) const;
  std::string Read(const std::string& relative) const;

 private:
  std::string path_, previous_;
};

}  // namespace velnook
