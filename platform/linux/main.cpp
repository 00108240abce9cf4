// The Linux program: Qt windows over the same models the tests drive.

#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <string>

#include "app/program.h"
#include "link/pair_key.h"
#include "platform/background_tracker.h"
#include "platform/linux/dbus_notifier.h"
#include "platform/linux/display_check.h"
#include "platform/linux/login1_power.h"
#include "platform/linux/qt_cancel_server.h"
#include "platform/linux/qt_event_loop.h"
#include "platform/linux/qt_folder_chooser.h"
#include "platform/linux/qt_locale.h"
#include "platform/linux/qt_message_boxes.h"
#include "platform/linux/qt_system_end.h"
#include "platform/linux/qt_udp_socket.h"
#include "platform/linux/qt_windows.h"
#include "platform/linux/xdg_launcher.h"
#include "platform/posix/cancel_socket.h"
#include "platform/posix/flock_instance_lock.h"
#include "platform/posix/inotify_tree_tracker.h"
#include "platform/posix/parallel_scan.h"
#include "platform/posix/posix_administrator.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"
#include "platform/posix/sodium_message_auth.h"

int main(int argc, char** argv) {
  // The command line without the program path, as one text.
  std::string argText;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) argText += ' ';
    argText += argv[i];
  }
  // A request to the running instances, from any terminal: no display, no
  // lock, no window.
  if (argText == "-Cancel") {
    const auto report = velnook::ReportOf(velnook::RequestCancelOfAll(velnook::UserRunFolder()));
    std::fputs(report.out.c_str(), stdout);
    std::fputs(report.err.c_str(), stderr);
    return report.exitStatus;
  }
  // Meant as the above: starting an instance instead would help nobody.
  if (const std::string hint = velnook::MisspeltCancel(argText); !hint.empty()) {
    std::fprintf(stderr, "%s\n", hint.c_str());
    return velnook::kMisspelt;
  }
  if (const auto given = velnook::PairKeyRequest(argText)) {
    velnook::PosixFileSystem files;
    velnook::SodiumMessageAuth auth;
    const auto outcome = velnook::SetPairKey(*given, files, auth);
    std::fprintf(outcome.exitStatus == 0 ? stdout : stderr, "%s\n", outcome.line.c_str());
    return outcome.exitStatus;
  }
  // Before Qt, which would abort, and before anything reads the settings or
  // writes the log.
  const std::string noDisplay = velnook::UnreachableDisplay(argc, argv);
  if (!noDisplay.empty()) {
    std::fprintf(stderr, "Velnook needs a graphical desktop: %s.\n", noDisplay.c_str());
    return 1;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication app(argc, argv);
  // One identity with the desktop entry, so that docks and task bars match
  // the windows to it: the X11 window class and the Wayland app id.
  QApplication::setApplicationName("org.velnook.Velnook");
  QGuiApplication::setDesktopFileName("org.velnook.Velnook");

  velnook::QtWindows windows;
  velnook::QtEventLoop loop([&windows] { windows.RefreshAll(); });
  velnook::QtMessageBoxes messages(windows);
  velnook::PosixFileSystem files;
  velnook::FlockInstanceLock lock;
  velnook::DBusNotifier notifier(QDBusConnection::sessionBus(),
                                 [&windows] { windows.RefreshAll(); });
  velnook::QtCancelServer cancelServer;
  velnook::PosixProcess process([&windows, &notifier, &cancelServer] {
    windows.RemoveTrayIcon();
    notifier.FlushBeforeExit();
    cancelServer.StopListening();  // the process ends without running destructors
  });
  velnook::XdgLauncher launcher;
  velnook::Login1Power power(QDBusConnection::systemBus());
  velnook::QtUdpSocket udp(loop, [&windows] { windows.RefreshAll(); });
  velnook::PosixAdministratorTest admin;
  // Walks, however long, run beside the window thread; the figure it
  // follows is checked against a walk every ten minutes or so.
  velnook::BackgroundTracker tracker(
      std::make_unique<velnook::InotifyTreeTracker>(),
      [](const std::string& folder) {
        return velnook::ScanTreeInParallel(velnook::ToNativePath(folder), 2);
      },
      600);
  velnook::QtFolderChooser folders;
  velnook::SodiumMessageAuth auth;
  const velnook::LocaleInfo locale = velnook::SystemLocale();
  velnook::Services services{loop,  loop, messages, files,   lock,    process, windows,  launcher,
                             power, udp,  admin,    tracker, folders, locale,  notifier, auth};

  velnook::Program program(services, argText);
  velnook::QtSystemEnd systemEnd([&program] { program.EndBySystem(); });
  program.ProcessEntry();
  // Every running instance listens, also one allowed beside another.
  if (program.Runs()) {
    const std::string error = cancelServer.Listen(
        velnook::CancelSocketPath(velnook::UserRunFolder(), static_cast<long>(::getpid())),
        [&program] { return program.main.CancelFromTerminal(); });
    // Monitoring works without it; only the terminal's Cancel does not.
    if (!error.empty())
      std::fprintf(stderr, "velnook: -Cancel will not reach this instance: %s\n", error.c_str());
  }
  windows.RefreshAll();
  return app.exec();
}
