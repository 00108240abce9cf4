#pragma once
// The real services the headless backend uses on POSIX systems.

#include "platform/posix/flock_instance_lock.h"
#include "platform/posix/inotify_tree_tracker.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_udp_socket.h"
#include "platform/posix/sodium_message_auth.h"

namespace velnook {

using NativeFileSystem = PosixFileSystem;
using NativeInstanceLock = FlockInstanceLock;
using NativeUdpSocket = PosixUdpSocket;
using NativeTreeTracker = InotifyTreeTracker;
using NativeMessageAuth = SodiumMessageAuth;

}  // namespace velnook
