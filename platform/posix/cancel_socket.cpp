#include "platform/posix/cancel_socket.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

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

bool OwnPrivateFolder(const std::string& folder) {
  struct stat st {};
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

constexpr const char* kSocketPrefix = "cancel.";

}  // namespace

bool MakePrivateFolder(const std::string& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = folder + ": " + std::strerror(errno);
    return false;
  }
  if (!OwnPrivateFolder(folder)) {
    error = folder + " is not a folder of this user's alone";
    return false;
  }
  return true;
}

std::string UserRunFolder(const std::string& systemRuntime, const std::string& fallback) {
  const std::string own = "/Velnook-" + std::to_string(::getuid());
  return (OwnPrivateFolder(systemRuntime) ? systemRuntime : fallback) + own;
}

std::string UserRunFolder() {
  const char* tests = std::getenv("VELNOOK_RUNTIME_DIR");
  if (tests && *tests) return UserRunFolder(tests, tests);
  return UserRunFolder("/run/user/" + std::to_string(::getuid()), "/tmp");
}

std::string CancelSocketPath(const std::string& folder, long pid) {
  return folder + "/" + kSocketPrefix + std::to_string(pid);
}

int ListenForCancel(const std::string& path, std::string& error) {
  sockaddr_un address;
  if (!FillAddress(path, address)) {
    error = path + ": path too long for a local socket";
    return -1;
  }
  if (!MakePrivateFolder(FolderOf(path), error)) return -1;
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
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (errno == ECONNREFUSED) ::unlink(path.c_str());  // its instance has ended
    ::close(fd);
    return NobodyToAsk();
  }
  if (PeerUid(fd) != static_cast<long>(::getuid())) {
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

std::vector<CancelOutcome> RequestCancelOfAll(const std::string& folder, int timeoutMs) {
  std::vector<CancelOutcome> outcomes;
  std::vector<std::string> sockets;
  if (!OwnPrivateFolder(folder)) return outcomes;  // never ask what others may have put there
  if (std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir); dir) {
    while (const dirent* e = ::readdir(dir.get()))
      if (std::strncmp(e->d_name, kSocketPrefix, std::strlen(kSocketPrefix)) == 0)
        sockets.push_back(folder + "/" + e->d_name);
  }
  for (const std::string& path : sockets) outcomes.push_back(RequestCancel(path, timeoutMs));
  return outcomes;
}

}  // namespace velnook
