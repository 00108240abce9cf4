#pragma once
// The system's own dialog for picking a folder.

#include <optional>
#include <string>

namespace velnook {

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // Shows the dialog, opened at |start| where that folder exists, until the
  // user picks a folder or cancels. The picked folder's full path ending in
  // the system's separator; nullopt when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& start) = 0;
};

}  // namespace velnook
