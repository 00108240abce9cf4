#include "platform/posix/flock_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/posix/cancel_socket.h"

namespace velnook {

FlockInstanceLock::FlockInstanceLock(std::string lockDir) : dir_(std::move(lockDir)) {
  if (dir_.empty()) dir_ = RuntimeDirectory();
}

FlockInstanceLock::~FlockInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FlockInstanceLock::IsAnotherInstance(const std::string& name) {
  if (fd_ >= 0) return false;
  // One lock per user: the temp directory is shared between users.
  std::string path = dir_ + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;  // no lock to be had: let this instance run
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return true;
  }
  fd_ = fd;
  return false;
}

}  // namespace velnook
