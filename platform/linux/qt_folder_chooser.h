#pragma once
// Qt's folder dialog (QFileDialog::getExistingDirectory).

#include "platform/folder_chooser.h"

namespace velnook {

class QtFolderChooser : public FolderChooser {
 public:
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
};

}  // namespace velnook
