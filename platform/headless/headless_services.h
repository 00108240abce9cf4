#pragma once
// All services of the headless backend in one place, for tests: fake time,
// scripted boxes and choosers, recorders in place of the desktop, and the
// system's real files, lock, sockets and tree tracker (headless_native.h,
// picked by the build).

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "headless_native.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/recording_power.h"
#include "platform/services.h"

namespace velnook {

// Message boxes that answer from a script and remember what they showed.
struct ScriptedMessageBoxes : MessageBoxes {
  MsgAnswer Show(const MessageBoxRequest& request) override;
  // Answers given in order; when none is left the first button is pressed.
  std::deque<MsgAnswer> answers;
  std::vector<MessageBoxRequest> shown;
  std::function<void()> whileOpen;  // window events under a modal box
  // The one box shown; a box titled with the count when there were others.
  MessageBoxRequest Only() const {
    return shown.size() == 1 ? shown[0]
                             : MessageBoxRequest{.title = std::to_string(shown.size()) + " boxes"};
  }
};

// A window system without a display: it records what is shown.
struct HeadlessWindows : WindowSystem {
  void Show(Form& form) override {
    if (!IsShown(form)) shown.push_back(&form);
  }
  void ShowWithoutActivating(Form& form) override { Show(form); }
  void Hide(Form& form) override { std::erase(shown, &form); }
  void Unload(Form& form) override { Hide(form); }
  void Refresh(Form&) override { ++refreshes; }
  void CentreOnScreen(Form&) override { ++centrings; }
  void AddTrayIcon(const std::string&, std::function<void()> onDoubleClick) override {
    trayIconShown = true;
    trayDoubleClick = std::move(onDoubleClick);
  }
  void RemoveTrayIcon() override { trayIconShown = false; }
  void RequestAttention(Form& form) override { attentionRequests.push_back(&form); }
  bool IsShown(const Form& form) const { return std::ranges::count(shown, &form) > 0; }

  std::vector<const Form*> shown, attentionRequests;
  bool trayIconShown = false;
  std::function<void()> trayDoubleClick;
  int refreshes = 0, centrings = 0;
};

// A notifier without a desktop: it records the notices and lets tests pick
// their Cancel action.
struct RecordingNotifier : DesktopNotifier {
  void Show(const Notice& notice) override {
    shown.push_back(notice);
    open = true;
  }
  void Close() override { closes += std::exchange(open, false); }
  void Tell(const Notice& notice) override { told.push_back(notice); }
  void SetCancelHandler(std::function<void()> f) override { onCancel = std::move(f); }
  // A closed notice has no action left.
  void PickCancel() {
    if (open && onCancel) onCancel();
  }
  std::vector<Notice> shown, told;  // shown: every Show, updates included
  bool open = false;
  int closes = 0;
  std::function<void()> onCancel;
};

// Ending the program throws this, so a test can see that it happened.
struct ProgramEnded {
  bool trayIconRemoved = false;
};

struct TestProcess : Process {
  void RaisePriority() override { ++priorityRaises; }
  std::optional<std::string> GetEnvironment(const std::string& name) override {
    const auto it = environment.find(name);
    return it == environment.end() ? std::nullopt : std::optional(it->second);
  }
  [[noreturn]] void End(bool removeTrayIcon, EndKind) override {
    if (removeTrayIcon && windows) windows->RemoveTrayIcon();
    throw ProgramEnded{removeTrayIcon};
  }
  std::map<std::string, std::string> environment;
  int priorityRaises = 0;
  HeadlessWindows* windows = nullptr;
};

// Starts nothing, and remembers the files it was asked to open.
struct RecordingLauncher : Launcher {
  bool OpenWebPage(const std::string&) override { return succeed; }
  bool OpenInTextEditor(const std::string& path) override {
    editedFiles.push_back(path);
    return succeed;
  }
  bool succeed = true;
  std::vector<std::string> editedFiles;
};

// Answers from a script and remembers where each dialog would have opened.
struct ScriptedFolderChooser : FolderChooser {
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override {
    titles.push_back(title);
    starts.push_back(start);
    if (onShow) onShow();
    if (answers.empty()) return std::nullopt;  // cancelled
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> titles, starts;
  std::function<void()> onShow;  // runs while the dialog would be open
};

struct FakeAdministrator : AdministratorTest {
  bool IsAdministrator() override { return administrator; }
  bool administrator = false;
};

struct HeadlessServices {
  explicit HeadlessServices(const std::string& lockDir = "");
  FakeEventLoop loop;
  ScriptedMessageBoxes messages;
  NativeFileSystem files;
  NativeInstanceLock lock;
  HeadlessWindows windows;
  TestProcess process;
  RecordingLauncher launcher;
  RecordingPower power;
  NativeUdpSocket udp{"127.0.0.1", &loop};  // tests never reach beyond loopback
  FakeAdministrator admin;
  NativeTreeTracker tracker;
  RecordingNotifier notifier;
  ScriptedFolderChooser folders;
  NativeMessageAuth auth;  // the real library: signatures must interwork
  Services services;

  // The same services measuring with |other| instead of the tracker.
  Services With(TreeTracker& other) const;
};

// A UDP port nobody holds right now on 127.0.0.1, so that tests running
// side by side never contend for one.
int FreeLoopbackPort();

// Services a test puts in place of some of a bundle's; null keeps its own.
struct ServiceSwap {
  Clock* clock = nullptr;
  EventLoop* events = nullptr;
  MessageBoxes* messages = nullptr;
  FileSystem* files = nullptr;
  WindowSystem* windows = nullptr;
  UdpSocket* udp = nullptr;
  TreeTracker* tracker = nullptr;
  FolderChooser* folders = nullptr;
};
Services Replaced(const Services& services, const ServiceSwap& swap);

// The same services over another file system, for a disk that misbehaves.
inline Services WithFiles(const Services& services, FileSystem& files) {
  return Replaced(services, {.files = &files});
}

}  // namespace velnook
