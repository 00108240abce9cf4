#include "platform/posix/parallel_scan.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/folder_entries.h"

namespace velnook {

namespace {

struct Pending {
  std::shared_ptr<DIR> parent;  // null for the root
  std::string name;
  std::string path;  // for naming the folder only, never opened
};

class Scan {
 public:
  Scan(std::string root, int threads) : helpers_(threads - 1) {
    pending_.push_back({nullptr, "", std::move(root)});
  }

  // Runs on each thread until every folder is done.
  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      changed_.wait(lock, [this] { return !pending_.empty() || busy_ == 0; });
      if (pending_.empty()) return;  // and nobody can add more
      // Last in, first out: only the folders along the way down stay open.
      Pending p = std::move(pending_.back());
      pending_.pop_back();
      ++busy_;
      lock.unlock();
      std::vector<Pending> found;
      Folder(std::move(p), found);
      lock.lock();
      for (auto it = found.rbegin(); it != found.rend(); ++it) pending_.push_back(std::move(*it));
      --busy_;
      // Helpers only once there is work to share: a small tree is done
      // before a thread would have started.
      if (pending_.size() >= 2) StartHelpers();
      changed_.notify_all();
    }
  }

  TreeSize Result() {
    for (std::thread& t : started_) t.join();
    std::sort(size_.unreadable.begin(), size_.unreadable.end());
    return std::move(size_);
  }

 private:
  void Folder(Pending p, std::vector<Pending>& found) {
    const bool top = !p.parent;
    const int fd =
        top ? OpenFolder(p.path, true) : OpenSubFolder(::dirfd(p.parent.get()), p.name.c_str());
    p.parent.reset();
    if (fd < 0 && !top && VanishedMeanwhile(errno)) return;
    DIR* d = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!d) {
      if (fd >= 0) ::close(fd);
      Unreadable(top, std::move(p.path));
      return;
    }
    const std::shared_ptr<DIR> dir(d, ::closedir);
    std::int64_t total = 0;
    std::vector<std::string> subFolders;
    // Sub-folders are looked at too, as the walk does.
    const FileError err = ReadFolderEntries(d, true, [&](const char* name, const FolderEntry& e) {
      if (e.kind == FolderEntry::Kind::File) total += static_cast<std::int64_t>(e.length);
      if (e.kind == FolderEntry::Kind::Folder) subFolders.emplace_back(name);
    });
    if (err != FileError::None) {
      Unreadable(top, std::move(p.path));
      return;
    }
    const std::string base = p.path.back() == '/' ? p.path : p.path + "/";
    for (std::string& name : subFolders) found.push_back({dir, name, base + name});
    std::lock_guard<std::mutex> lock(mutex_);
    size_.total += total;
  }

  void StartHelpers() {
    for (; helpers_ > 0; --helpers_) started_.emplace_back([this] { Work(); });
  }

  void Unreadable(bool top, std::string path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (top)
      size_.rootRead = false;
    else
      size_.unreadable.push_back(std::move(path));
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Pending> pending_;
  int busy_ = 0;
  int helpers_;  // not started yet
  std::vector<std::thread> started_;
  TreeSize size_;
};

}  // namespace

TreeSize ScanTreeInParallel(const std::string& root, int threads) {
  Scan scan(root, threads);
  scan.Work();
  return scan.Result();
}

}  // namespace velnook
