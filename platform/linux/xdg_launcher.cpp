#include "platform/linux/xdg_launcher.h"

#include <QFileInfo>
#include <QObject>
#include <QProcess>

#include "platform/linux/qt_text.h"
#include "platform/posix/posix_file_system.h"

namespace velnook {

namespace {

// xdg-open hands the file to the desktop and exits at once; its exit code is
// the only sign that no editor was found. One that blocks (a fallback editor
// run in the foreground) is taken as started and left running.
constexpr int kHandOffWaitMs = 3000;

}  // namespace

bool XdgLauncher::OpenWebPage(const std::string& url) {
  return QProcess::startDetached("xdg-open", {ToQt(url)});
}

bool XdgLauncher::OpenInTextEditor(const std::string& path) {
  // Absolute, because an editor already running elsewhere receives the path
  // without the program's current directory.
  const QString file = QFileInfo(ToQt(ToNativePath(path))).absoluteFilePath();
  auto* process = new QProcess;
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->start("xdg-open", {file});
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  if (!process->waitForFinished(kHandOffWaitMs)) {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
  }
  const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
  delete process;
  return ok;
}

}  // namespace velnook
