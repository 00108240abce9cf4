#pragma once
// The local sockets through which "velnook -Cancel" reaches the user's
// running instances, one socket for each. They live beside the instance
// lock, in a folder of the user's own that only the user may enter, and both
// ends check that the other end is the same user.

#include <string>
#include <vector>

#include "platform/remote_cancel.h"

namespace velnook {

// "<base>/Velnook-<uid>", where base is the runtime folder the system gives
// the user when it is theirs alone, else the shared temporary folder. Every
// start of the same user, whatever its environment, meets the same folder.
// base: $VELNOOK_RUNTIME_DIR when set, so that tests keep to themselves.
std::string UserRunFolder();
// The same rule with the folders named: systemRuntime when it belongs to this
// user and is closed to others, else fallback.
std::string UserRunFolder(const std::string& systemRuntime, const std::string& fallback);

// Makes folder when missing; false with the reason when another user owns
// it, it is no folder, or others may enter it.
bool MakePrivateFolder(const std::string& folder, std::string& error);

// "<folder>/cancel.<pid>".
std::string CancelSocketPath(const std::string& folder, long pid);

// A listening, non-blocking socket at path, readable and writable by this
// user only. Its folder is made when missing and refused when another user
// owns it or others may enter it. -1 with the reason in error.
int ListenForCancel(const std::string& path, std::string& error);

// Accepts one waiting connection as a non-blocking socket; -1 when none
// waits, or when it comes from another user (who is hung up on at once).
int AcceptFromSameUser(int listenFd);

// The uid at the other end of a connected local socket; -1 when unknown.
long PeerUid(int fd);

// Sends the request to the instance listening at path and waits at most
// timeoutMs for its answer. A socket nobody listens at any more is removed.
CancelOutcome RequestCancel(const std::string& path, int timeoutMs = 10000);

// Asks every instance with a socket in folder, one after the other.
std::vector<CancelOutcome> RequestCancelOfAll(const std::string& folder, int timeoutMs = 10000);

}  // namespace velnook
