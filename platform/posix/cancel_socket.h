#pragma once
// The local socket through which "velnook -Cancel" reaches the user's
// running instance. It lives beside the instance lock, in a folder of its
// own that only the user may enter, and both ends check that the other end
// is the same user.

#include <string>

#include "platform/remote_cancel.h"

namespace velnook {

// Where the instance lock and the socket's folder live: $XDG_RUNTIME_DIR,
// else $TMPDIR, else /tmp.
std::string RuntimeDirectory();

// "<runtimeDir>/Velnook-<uid>/cancel".
std::string CancelSocketPath(const std::string& runtimeDir);

// A listening, non-blocking socket at path, readable and writable by this
// user only. Its folder is made when missing and refused when another user
// owns it or others may enter it. A socket left by a process that ended is
// replaced: only the lock holder listens. -1 with the reason in error.
int ListenForCancel(const std::string& path, std::string& error);

// Accepts one waiting connection as a non-blocking socket; -1 when none
// waits, or when it comes from another user (who is hung up on at once).
int AcceptFromSameUser(int listenFd);

// The uid at the other end of a connected local socket; -1 when unknown.
long PeerUid(int fd);

// Sends the request to the instance listening at path and waits at most
// timeoutMs for its answer.
CancelOutcome RequestCancel(const std::string& path, int timeoutMs = 10000);

}  // namespace velnook
