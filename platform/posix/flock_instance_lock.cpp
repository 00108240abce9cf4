#include "platform/posix/flock_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/posix/cancel_socket.h"

namespace velnook {

FlockInstanceLock::FlockInstanceLock(std::string lockDir) : dir_(std::move(lockDir)) {
  if (dir_.empty()) dir_ = UserRunFolder();
}

FlockInstanceLock::~FlockInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FlockInstanceLock::IsAnotherInstance(const std::string& name) {
  if (fd_ >= 0) return false;
  // In a folder of the user's alone: nobody else can hold the user's lock.
  std::string error;
  if (!MakePrivateFolder(dir_, error)) return false;  // no lock to be had: let this instance run
  const std::string path = dir_ + "/" + name + ".lock";
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
