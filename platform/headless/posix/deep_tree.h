#pragma once
// Folders nested past the system's path limit, made, written and removed
// relative to open folders since no path to the bottom can be used.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velnook {

class DeepTree {
 public:
  // |levels| folders of |nameLength| characters each below |top|.
  DeepTree(const std::string& top, int levels, std::size_t nameLength = 200)
      : top_(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), name_(nameLength, 'n') {
    int fd = ::dup(top_);
    for (int i = 0; i < levels; ++i) {
      if (::mkdirat(fd, name_.c_str(), 0755) != 0) std::abort();
      const int next = ::openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(fd);
      fd = next;
    }
    bottom_ = fd;
    pathLength_ = top.size() + static_cast<std::size_t>(levels) * (nameLength + 1);
  }
  ~DeepTree() {
    ::close(bottom_);
    Remove(top_, name_.c_str());
    ::close(top_);
  }
  DeepTree(const DeepTree&) = delete;
  DeepTree& operator=(const DeepTree&) = delete;

  // Appends to the file "deep" in the bottom folder.
  void Append(std::size_t bytes) const {
    const int fd = ::openat(bottom_, "deep", O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const std::string data(bytes, 'd');
    if (fd < 0 || ::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size()))
      std::abort();
    ::close(fd);
  }
  std::size_t PathLength() const { return pathLength_; }

 private:
  static void Remove(int dirFd, const char* name) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      DIR* d = ::fdopendir(fd);
      while (dirent* e = d ? ::readdir(d) : nullptr) {
        const std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        if (::unlinkat(fd, n.c_str(), 0) != 0) Remove(fd, n.c_str());
      }
      if (d) ::closedir(d);
    }
    ::unlinkat(dirFd, name, AT_REMOVEDIR);
  }

  int top_, bottom_;
  std::string name_;
  std::size_t pathLength_;
};

}  // namespace velnook
