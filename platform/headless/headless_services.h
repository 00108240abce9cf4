#pragma once
// All services of the headless backend in one place, for tests: fake time,
// scripted message boxes, no display, and the system's real files, lock,
// sockets and tree tracker (headless_native.h, picked by the build).

#include <string>

#include "headless_native.h"
#include "platform/headless/fake_administrator.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/headless_windows.h"
#include "platform/headless/recording_launcher.h"
#include "platform/headless/recording_notifier.h"
#include "platform/headless/recording_power.h"
#include "platform/headless/scripted_folder_chooser.h"
#include "platform/headless/scripted_message_boxes.h"
#include "platform/headless/test_process.h"
#include "platform/services.h"

namespace velnook {

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

// A UDP port nobody holds right now on 127.0.0.1. Tests that run a slave
// take one, so that tests running side by side never contend for a port.
int FreeLoopbackPort();

// Services a test puts in place of some of a bundle's; null keeps the
// bundle's own.
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

// The same services with those of swap in their place.
Services Replaced(const Services& services, const ServiceSwap& swap);

// The same services over another file system, for a disk that misbehaves.
inline Services WithFiles(const Services& services, FileSystem& files) {
  return Replaced(services, {.files = &files});
}

// The same services over another link socket, for a name server the test
// answers for.
inline Services WithUdp(const Services& services, UdpSocket& udp) {
  return Replaced(services, {.udp = &udp});
}

}  // namespace velnook
