#include "platform/linux/xdg_launcher.h"

#include <QProcess>

#include "platform/linux/qt_text.h"
#include "platform/posix/posix_file_system.h"

namespace velnook {

bool XdgLauncher::OpenWebPage(const std::string& url) {
  return QProcess::startDetached("xdg-open", {ToQt(url)});
}

bool XdgLauncher::OpenInTextEditor(const std::string& path) {
  return QProcess::startDetached("xdg-open", {ToQt(ToNativePath(path))});
}

}  // namespace velnook
