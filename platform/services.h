#pragma once
// Everything the logic asks of the system, handed to it in one bundle.

#include "platform/administrator.h"
#include "platform/clock.h"
#include "platform/desktop_notifier.h"
#include "platform/file_system.h"
#include "platform/folder_chooser.h"
#include "platform/form.h"
#include "platform/launcher.h"
#include "platform/locale_info.h"
#include "platform/message_auth.h"
#include "platform/message_box.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/tree_tracker.h"
#include "platform/udp_socket.h"

namespace velnook {

struct Services {
  Clock& clock;
  EventLoop& events;
  MessageBoxes& messages;
  FileSystem& files;
  InstanceLock& lock;
  Process& process;
  WindowSystem& windows;
  Launcher& launcher;
  PowerService& power;
  UdpSocket& udp;
  AdministratorTest& admin;
  TreeTracker& tracker;
  FolderChooser& folders;
  LocaleInfo locale;
  DesktopNotifier& notifier;
  MessageAuth& auth;
};

}  // namespace velnook
