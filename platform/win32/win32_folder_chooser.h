#pragma once
// The shell's folder browser (SHBrowseForFolder).

#include "platform/folder_chooser.h"

namespace velnook {

class Win32FolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
};

}  // namespace velnook
