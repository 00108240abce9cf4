#pragma once
// The real services the headless backend uses on Windows, which has no
// change tracker of ours: every measurement is a full scan.

#include "platform/tree_tracker.h"
#include "platform/win32/cng_message_auth.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_mutex_instance_lock.h"
#include "platform/win32/win32_udp_socket.h"

namespace velnook {

using NativeFileSystem = Win32FileSystem;
using NativeInstanceLock = Win32MutexInstanceLock;
using NativeUdpSocket = Win32UdpSocket;
using NativeTreeTracker = FullScanTracker;
using NativeMessageAuth = CngMessageAuth;

}  // namespace velnook
