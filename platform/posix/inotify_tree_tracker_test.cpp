#include "platform/posix/inotify_tree_tracker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <vector>

#include "as_nobody.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/posix/parallel_scan.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;
using Source = InotifyTreeTracker::Source;

// What a full scan counts, found independently of the code under test:
// every file's length, a link to a file counted by its target, links to
// folders not followed; a folder that cannot be listed, or whose entries
// cannot be looked at, is left out whole and named.
TreeSize ScanSize(const fs::path& root) {
  TreeSize size;
  std::vector<fs::path> pending{root};
  while (!pending.empty()) {
    const fs::path folder = pending.back();
    pending.pop_back();
    std::error_code ec;
    std::int64_t files = 0;
    std::vector<fs::path> subFolders;
    fs::directory_iterator it(folder, ec);
    bool read = !ec;
    for (; read && it != fs::directory_iterator(); it.increment(ec)) {
      const fs::file_status own = fs::symlink_status(it->path(), ec);
      if (ec) {
        read = ec == std::errc::no_such_file_or_directory;
        continue;
      }
      if (fs::is_directory(own)) {
        subFolders.push_back(it->path());
        continue;
      }
      const fs::file_status target = fs::status(it->path(), ec);
      if (ec || !fs::exists(target) || fs::is_directory(target)) continue;
      const std::uintmax_t length = fs::file_size(it->path(), ec);
      if (!ec) files += static_cast<std::int64_t>(length);
    }
    if (!read) {
      if (folder == root) size.rootRead = false;
      if (folder != root) size.unreadable.push_back(folder.string());
      continue;
    }
    size.total += files;
    pending.insert(pending.end(), subFolders.begin(), subFolders.end());
  }
  std::sort(size.unreadable.begin(), size.unreadable.end());
  return size;
}

void Append(const fs::path& file, std::size_t bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << std::string(bytes, 'x');
}

// A temporary tree changed at random, the way downloads, unpackers and users
// change a download folder; with |locking|, folders also lose and regain the
// permissions an ordinary user needs to read them (tar as root, a mounted
// disk's lost+found).
class RandomTree {
 public:
  RandomTree(const fs::path& root, unsigned seed, bool locking = false)
      : root_(root), rng_(seed), locking_(locking) {
    fs::create_directories(root_);
    fs::create_directories(Outside());
  }
  ~RandomTree() {
    // Opened up again, so that an ordinary user can clean up.
    for (const fs::path& d : folders_) fs::permissions(d, fs::perms(0755), ignore_);
  }

  fs::path Outside() const { return root_.parent_path() / "outside"; }

  void Step() {
    List();
    if (locking_ && folders_.size() > 1 && Pick(100) < 8) {
      // No permission at all; listing but no looking at entries; looking
      // but no listing; or readable again.
      static const fs::perms kModes[] = {fs::perms(0), fs::perms(0444), fs::perms(0311),
                                         fs::perms(0755), fs::perms(0755)};
      fs::permissions(AnySubFolder(), kModes[Pick(5)]);
      return;
    }
    const int op = Pick(100);
    if (op < 22 || files_.empty()) {  // a new file
      Append(Child(AnyFolder(), "f"), Pick(5000));
    } else if (op < 45) {  // written to
      Append(Any(files_), 1 + Pick(3000));
    } else if (op < 52) {  // truncated
      const fs::path f = Any(files_);
      fs::resize_file(f, Pick(static_cast<int>(fs::file_size(f)) + 1));
    } else if (op < 60) {  // renamed in its folder
      const fs::path f = Any(files_);
      fs::rename(f, Child(f.parent_path(), "r"));
    } else if (op < 67) {  // moved to another folder
      fs::rename(Any(files_), Child(AnyFolder(), "m"));
    } else if (op < 74) {  // deleted
      fs::remove(Any(files_));
    } else if (op < 80) {  // a new folder, at times with files already in it
      const fs::path d = Child(AnyFolder(), "d");
      fs::create_directory(d);
      if (Pick(2)) Append(d / "inside", Pick(2000));
    } else if (op < 84) {  // a folder moved in from outside the tree, with its files
      const fs::path staged = Outside() / "staged";
      fs::create_directories(staged / "deeper");
      Append(staged / "a", Pick(4000));
      Append(staged / "deeper" / "b", Pick(4000));
      fs::rename(staged, Child(AnyFolder(), "in"));
    } else if (op < 88 && folders_.size() > 1) {  // a folder moved elsewhere in the tree
      const fs::path d = AnySubFolder();
      const fs::path to = AnyFolder();
      if (!IsWithin(to, d)) fs::rename(d, Child(to, "mv"));
    } else if (op < 91 && folders_.size() > 1) {  // a folder moved out of the tree
      fs::rename(AnySubFolder(), Child(Outside(), "gone"));
    } else if (op < 94 && folders_.size() > 1) {  // a folder deleted with everything in it
      fs::remove_all(AnySubFolder());
    } else if (op < 96) {  // a link to a file, a folder or nothing
      const int kind = Pick(3);
      const fs::path target = kind == 0 ? Any(files_) : kind == 1 ? AnyFolder() : root_ / "none";
      fs::create_symlink(target, Child(AnyFolder(), "l"));
    } else if (op < 97) {  // a second name for a file
      fs::create_hard_link(Any(files_), Child(AnyFolder(), "h"));
    } else {  // one file replaced by another of the same name
      const fs::path f = Any(files_);
      const fs::path temp = Child(f.parent_path(), "t");
      Append(temp, Pick(3000));
      fs::rename(temp, f);
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  template <typename T>
  const T& Any(const std::vector<T>& v) {
    return v[static_cast<std::size_t>(Pick(static_cast<int>(v.size())))];
  }
  fs::path AnyFolder() { return Any(folders_); }
  fs::path AnySubFolder() {
    return folders_[1 + static_cast<std::size_t>(Pick(static_cast<int>(folders_.size()) - 1))];
  }
  fs::path Child(const fs::path& folder, const char* prefix) {
    return folder / (prefix + std::to_string(serial_++));
  }
  static bool IsWithin(const fs::path& p, const fs::path& folder) {
    const std::string a = p.string() + "/", b = folder.string() + "/";
    return a.compare(0, b.size(), b) == 0;
  }
  void List() {
    folders_ = {root_};
    files_.clear();
    for (fs::recursive_directory_iterator it(root_, fs::directory_options::skip_permission_denied),
         end;
         it != end; ++it) {
      const fs::file_status st = it->symlink_status();
      if (fs::is_directory(st)) folders_.push_back(it->path());
      if (fs::is_regular_file(st)) files_.push_back(it->path());
    }
  }

  fs::path root_;
  std::mt19937 rng_;
  bool locking_;
  std::error_code ignore_;
  int serial_ = 0;
  std::vector<fs::path> folders_;
  std::vector<fs::path> files_;
};

struct Seconds {
  int seconds = 0;
  std::map<Source, int> sources;
  int unreadable = 0;    // seconds with a folder left out
  int outOfWatches = 0;  // seconds said to be walked for want of watches
};

// Thousands of random changes with a measurement after every few: each must
// equal a full scan to the byte and name the same unreadable folders.
// With |locking| the tree's
// folders lose their permissions at times and the tracker measures as an
// ordinary user; the tree itself is changed as whoever runs the test.
Seconds Follow(InotifyTreeTracker& tracker, unsigned seed, bool locking) {
  TempWorkDir dir;
  const fs::path root = fs::path(dir.Path()) / "dl";
  RandomTree tree(root, seed, locking);
  std::mt19937 rhythm(seed + 1);
  const auto scan = [&] { return ScanSize(root); };
  Seconds run;
  EXPECT_EQ(tracker.Measure(root.string() + "\\", true, {}, scan).total, 0);
  for (int step = 0; step < 2000;) {
    for (int n = std::uniform_int_distribution<int>(1, 6)(rhythm); n > 0; --n, ++step) tree.Step();
    TreeSize tracked, scanned;
    {
      std::optional<AsNobody> unprivileged;
      if (locking) unprivileged.emplace();
      tracked = tracker.Measure(root.string() + "\\", false, {}, scan);
      scanned = ScanSize(root);
      // The full scan on two threads counts the same.
      if (run.seconds % 16 == 0) {
        const TreeSize parallel = ScanTreeInParallel(root.string(), 2);
        EXPECT_EQ(parallel.total, scanned.total) << "second " << run.seconds;
        EXPECT_EQ(parallel.unreadable, scanned.unreadable) << "second " << run.seconds;
      }
    }
    ++run.sources[tracker.LastSource()];
    ++run.seconds;
    run.unreadable += tracked.unreadable.empty() ? 0 : 1;
    run.outOfWatches += tracked.outOfWatches ? 1 : 0;
    EXPECT_EQ(tracked.total, scanned.total) << "second " << run.seconds << ", step " << step;
    EXPECT_EQ(tracked.unreadable, scanned.unreadable) << "second " << run.seconds;
    if (::testing::Test::HasFailure()) break;
  }
  return run;
}

// Nearly every second comes from the events alone (a walk follows only when
// a second name for a file appears); next to locked folders the readable
// part is still followed, and those count again once readable; with too few
// watches the seconds fall back to full scans, say why, and recover.
TEST(InotifyTreeTracker, RandomChangesKeepTheTotalExact) {
  const struct {
    unsigned seed;
    bool locking;
    int watchLimit;  // 0: the system's
    int changesPercent;
    bool fallsBack;
  } runs[] = {{9, false, 0, 85, false}, {12, true, 0, 70, false}, {10, false, 6, 1, true}};
  for (const auto& r : runs) {
    InotifyTreeTracker tracker(r.watchLimit);
    Seconds run = Follow(tracker, r.seed, r.locking);
    const int changes = run.sources[Source::Changes], fullScans = run.sources[Source::FullScan];
    EXPECT_GE(changes * 100, run.seconds * r.changesPercent) << r.seed;
    EXPECT_EQ(fullScans > 0, r.fallsBack) << r.seed;
    EXPECT_EQ(run.outOfWatches, fullScans) << "and says why";
    EXPECT_GE(run.unreadable * 4, r.locking ? run.seconds : 0) << r.seed;
  }
}

// Sets the system's inotify event queue for new instances, and puts it back.
class QueueLimit {
 public:
  explicit QueueLimit(int events) {
    std::ifstream(kPath) >> old_;
    std::ofstream(kPath) << events;
  }
  ~QueueLimit() {
    if (old_ > 0) std::ofstream(kPath) << old_;
  }

 private:
  static constexpr const char* kPath = "/proc/sys/fs/inotify/max_queued_events";
  int old_ = 0;
};

// Bursts of files into watched folders and into new ones, far beyond a
// small event queue: the events lost to its overflows are made good by
// walking again, so every total is a full scan's.
TEST(InotifyTreeTracker, BurstsBeyondTheEventQueueStillAddUp) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may shrink the event queue";
  TempWorkDir dir;
  const fs::path root = fs::path(dir.Path()) / "dl";
  for (int f = 0; f < 10; ++f) fs::create_directories(root / std::to_string(f));
  const auto scan = [&] { return ScanSize(root); };
  InotifyTreeTracker tracker;
  QueueLimit small(32);  // for every inotify instance the tracker starts
  EXPECT_EQ(tracker.Measure(root.string(), true, {}, scan).total, 0);
  int walks = 0;
  for (int burst = 0; burst < 4; ++burst) {
    for (int f = 0; f < 10; ++f) {
      const fs::path fresh = root / ("new" + std::to_string(burst)) / std::to_string(f);
      fs::create_directories(fresh);
      for (int n = 0; n < 20; ++n) {
        Append(root / std::to_string(f) / (std::to_string(burst) + "-" + std::to_string(n)), 100);
        Append(fresh / std::to_string(n), 1000 + n);
      }
    }
    EXPECT_EQ(tracker.Measure(root.string(), false, {}, scan).total, ScanSize(root).total)
        << "burst " << burst;
    walks += tracker.LastSource() == Source::Walk ? 1 : 0;
  }
  EXPECT_EQ(walks, 4) << "the queue overflowed each time";
}

// Changes that no event of the tree's own folders reports, and the root
// itself going or being replaced.
TEST(InotifyTreeTracker, ChangesOutsideTheWatchesAndTheRootItself) {
  TempWorkDir dir;
  const fs::path root = fs::path(dir.Path()) / "dl";
  const fs::path outside = fs::path(dir.Path()) / "outside";
  fs::create_directories(root / "sub");
  fs::create_directories(outside);
  Append(outside / "target", 100);
  fs::create_symlink(outside / "target", root / "link");
  Append(root / "sub" / "shared", 10);
  fs::create_hard_link(root / "sub" / "shared", outside / "other-name");
  int scans = 0;
  const auto scan = [&] {
    ++scans;
    return ScanSize(root);
  };
  InotifyTreeTracker tracker;
  const auto measure = [&] { return tracker.Measure(root.string(), false, {}, scan).total; };
  EXPECT_EQ(tracker.Measure(root.string(), true, {}, scan).total, 110);
  EXPECT_EQ(tracker.LastSource(), Source::Walk);

  Append(outside / "target", 5);      // a link's target outside the tree
  Append(outside / "other-name", 7);  // a file written through its other name
  EXPECT_EQ(measure(), 122);
  EXPECT_EQ(tracker.LastSource(), Source::Changes);

  // The root's parent renamed and another folder put where it was.
  fs::rename(dir.Path(), dir.Path() + "-old");
  fs::create_directories(root);
  Append(root / "new", 3);
  EXPECT_EQ(measure(), 3);
  EXPECT_EQ(tracker.LastSource(), Source::Walk);
  Append(root / "new", 1);
  EXPECT_EQ(measure(), 4);
  EXPECT_EQ(tracker.LastSource(), Source::Changes);

  // Without a root to walk the second is left to the full scan, whose own
  // rules decide.
  fs::remove_all(root);
  EXPECT_EQ(measure(), 0);
  EXPECT_EQ(tracker.LastSource(), Source::FullScan);
  EXPECT_EQ(scans, 1);
  fs::rename(dir.Path() + "-old", dir.Path() + "-gone");
  fs::remove_all(dir.Path() + "-gone");
}

// The event passes of a walk may start a measurement of their own; it gets a
// full scan and leaves the walk under way undisturbed.
TEST(InotifyTreeTracker, AMeasurementInsideAWalkIsAFullScan) {
  TempWorkDir dir;
  const fs::path root = fs::path(dir.Path()) / "dl";
  fs::create_directories(root / "a" / "b");
  Append(root / "a" / "b" / "f", 42);
  InotifyTreeTracker tracker;
  std::int64_t inner = -1;
  int passes = 0;
  const auto scan = [&] { return ScanSize(root); };
  const std::function<void()> between = [&] {
    if (++passes == 2)
      inner = tracker.Measure(root.string(), true, between, [] { return TreeSize{7}; }).total;
  };
  EXPECT_EQ(tracker.Measure(root.string(), true, between, scan).total, 42);
  EXPECT_EQ(inner, 7);
  EXPECT_EQ(passes, 3);  // one after each folder
  Append(root / "a" / "f", 8);
  EXPECT_EQ(tracker.Measure(root.string(), false, between, scan).total, 50);
  EXPECT_EQ(tracker.LastSource(), Source::Changes);
}

}  // namespace
}  // namespace velnook
