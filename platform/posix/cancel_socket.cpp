#include "platform/posix/cancel_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velnook {
namespace {

bool FillAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The socket's folder exists, belongs to this user and is closed to others.
bool PrivateFolder(const std::string& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = folder + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 077) != 0) {
    error = folder + " is not a folder of this user's alone";
    return false;
  }
  return true;
}

}  // namespace

std::string RuntimeDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* tmp = std::getenv("TMPDIR");
  return runtime && *runtime ? runtime : (tmp && *tmp ? tmp : "/tmp");
}

std::string CancelSocketPath(const std::string& runtimeDir) {
  return runtimeDir + "/Velnook-" + std::to_string(::getuid()) + "/cancel";
}

int ListenForCancel(const std::string& path, std::string& error) {
  sockaddr_un address;
  if (!FillAddress(path, address)) {
    error = path + ": path too long for a local socket";
    return -1;
  }
  if (!PrivateFolder(FolderOf(path), error)) return -1;
  ::unlink(path.c_str());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  // The folder already keeps others out; the socket's own mode as well.
  const mode_t old = ::umask(077);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::umask(old);
  if (!bound || ::listen(fd, 8) != 0) {
    error = path + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

long PeerUid(int fd) {
  ucred cred{};
  socklen_t length = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return -1;
  return static_cast<long>(cred.uid);
}

int AcceptFromSameUser(int listenFd) {
  const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return -1;
  if (PeerUid(fd) != static_cast<long>(::getuid())) {
    ::close(fd);
    return -1;
  }
  return fd;
}

CancelOutcome RequestCancel(const std::string& path, int timeoutMs) {
  sockaddr_un address;
  if (!FillAddress(path, address)) return NobodyToAsk();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {2, std::string("Velnook: no local socket: ") + std::strerror(errno)};
  // Nobody listening (or a socket left by an instance that ended) means the
  // same to the user: there is nothing to cancel.
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      PeerUid(fd) != static_cast<long>(::getuid())) {
    ::close(fd);
    return NobodyToAsk();
  }
  const size_t requestLength = std::strlen(kCancelRequest);
  if (::send(fd, kCancelRequest, requestLength, MSG_NOSIGNAL) !=
      static_cast<ssize_t>(requestLength)) {
    ::close(fd);
    return NobodyToAsk();
  }
  std::string received;
  pollfd p{fd, POLLIN, 0};
  while (received.find('\n') == std::string::npos && received.size() < 4096 &&
         ::poll(&p, 1, timeoutMs) > 0) {
    char buffer[512];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return OutcomeOfReply(received);
}

}  // namespace velnook
