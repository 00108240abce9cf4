// The Windows program: Win32 windows over the same models the tests drive.

#include <memory>
#include <string>

#include "app/program.h"
#include "link/pair_key.h"
#include "platform/background_tracker.h"
#include "platform/tree_tracker.h"
#include "platform/win32/cng_message_auth.h"
#include "platform/win32/win32_administrator.h"
#include "platform/win32/win32_cancel_pipe.h"
#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_folder_chooser.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_mutex_instance_lock.h"
#include "platform/win32/win32_notifier.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_udp_socket.h"
#include "platform/win32/win32_windows.h"
#include "platform/win32/windows_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  // The command line without the program path, as one text.
  const std::string argText = commandLine ? commandLine : "";
  // A request to the running instances, from any console: no lock, no window;
  // a misspelt one points to the right spelling instead of starting one.
  if (argText == "-Cancel" || !velnook::MisspeltCancel(argText).empty()) {
    ::AttachConsole(ATTACH_PARENT_PROCESS);
    velnook::CancelReport report;
    if (argText == "-Cancel") {
      report = velnook::ReportOf(velnook::RequestCancelOfAllOverPipes());
    } else {
      report.exitStatus = velnook::kMisspelt;
      report.err = velnook::MisspeltCancel(argText) + "\n";
    }
    DWORD written = 0;
    for (auto [text, handle] :
         {std::pair{&report.out, STD_OUTPUT_HANDLE}, std::pair{&report.err, STD_ERROR_HANDLE}}) {
      std::string lines;
      for (char c : *text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
      if (!lines.empty())
        ::WriteFile(::GetStdHandle(handle), lines.data(), static_cast<DWORD>(lines.size()),
                    &written, nullptr);
    }
    return report.exitStatus;
  }
  if (const auto given = velnook::PairKeyRequest(argText)) {
    ::AttachConsole(ATTACH_PARENT_PROCESS);
    velnook::Win32FileSystem files;
    velnook::CngMessageAuth auth;
    const auto outcome = velnook::SetPairKey(*given, files, auth);
    const std::string line = outcome.line + "\r\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(outcome.exitStatus == 0 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return outcome.exitStatus;
  }

  velnook::Win32Windows* windowsRef = nullptr;
  velnook::Win32EventLoop loop([&windowsRef] {
    if (windowsRef) windowsRef->RefreshAll();
  });
  auto runLater = [&loop](std::function<void()> f) { loop.RunLater(std::move(f)); };
  velnook::Win32Windows windows(runLater);
  windowsRef = &windows;
  velnook::Win32MessageBoxes messages(&windows);
  velnook::Win32FileSystem files;
  velnook::Win32MutexInstanceLock lock;
  velnook::Win32Process process([&windows] { windows.RemoveTrayIcon(); });
  velnook::Win32Launcher launcher;
  velnook::Win32Power power(runLater);
  velnook::Win32UdpSocket udp("0.0.0.0", &loop);
  udp.NotifyWindow(loop.MessageWindow(), loop.AddMessageHandler([&udp] { udp.Poll(); }));
  velnook::Win32AdministratorTest admin;
  // No change notices of ours on Windows: every second is a walk, made
  // beside the window thread.
  velnook::BackgroundTracker tracker(
      std::make_unique<velnook::FullScanTracker>(),
      [](const std::string& folder) {
        velnook::Win32FileSystem walker;
        return velnook::SumWalk(*walker.WalkFolders(folder), nullptr);
      },
      0);
  velnook::Win32FolderChooser folders;
  const velnook::LocaleInfo locale = velnook::SystemLocale();
  velnook::Win32Notifier notifier(windows);
  velnook::CngMessageAuth auth;
  velnook::Services services{loop,  loop, messages, files,   lock,    process, windows,  launcher,
                             power, udp,  admin,    tracker, folders, locale,  notifier, auth};

  velnook::Program program(services, argText);
  windows.onSessionEnd = [&program] { program.EndBySystem(); };
  program.ProcessEntry();
  // Monitoring works without it; only the console's Cancel does not. Every
  // running instance serves, also one allowed beside another.
  if (program.Runs())
    velnook::ServeCancelPipe(
        velnook::CancelPipeName(::GetCurrentProcessId()), runLater, [&program, &windows] {
          const velnook::CancelAnswer answer = program.main.CancelFromTerminal();
          windows.RefreshAll();
          return answer;
        });
  windows.RefreshAll();
  return loop.Run([&windows](void* msg) { return windows.TakeDialogMessage(msg); });
}
