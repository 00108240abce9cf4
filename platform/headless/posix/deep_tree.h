#pragma once
// Folders nested past the system's path limit, made and written relative to
// open folders since no path to the bottom can be used.

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace velnook {

class DeepTree {
 public:
  // |levels| folders of |nameLength| characters each below |top|.
  DeepTree(const std::string& top, int levels, std::size_t nameLength = 200)
      : first_(top + "/" + std::string(nameLength, 'n')),
        pathLength_(top.size() + static_cast<std::size_t>(levels) * (nameLength + 1)) {
    const std::string name(nameLength, 'n');
    bottom_ = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < levels; ++i) {
      if (::mkdirat(bottom_, name.c_str(), 0755) != 0) std::abort();
      const int next = ::openat(bottom_, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      ::close(bottom_);
      bottom_ = next;
    }
  }
  ~DeepTree() {
    ::close(bottom_);
    if (std::system(("rm -rf '" + first_ + "'").c_str()) != 0) {  // rm walks any depth
    }
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
  std::string first_;
  std::size_t pathLength_;
  int bottom_;
};

}  // namespace velnook
