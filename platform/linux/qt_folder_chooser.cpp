#include "platform/linux/qt_folder_chooser.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/linux/qt_text.h"
#include "platform/posix/posix_file_system.h"

namespace velnook {

std::optional<std::string> QtFolderChooser::ChooseFolder(const std::string& title,
                                                         const std::string& start) {
  // A relative start is taken from the current directory, as the program
  // takes the path itself.
  const QFileInfo startInfo(ToQt(ToNativePath(start)));
  const QString startDir = startInfo.isDir() ? startInfo.absoluteFilePath() : QString();
  QString folder =
      QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQt(title), startDir);
  if (folder.isEmpty()) return std::nullopt;
  if (!folder.endsWith('/')) folder += '/';
  return FromQt(folder);
}

}  // namespace velnook
