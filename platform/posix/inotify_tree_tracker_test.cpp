#include "platform/posix/inotify_tree_tracker.h"

#include <gtest/gtest.h>

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

void Append(const fs::path& file, std::size_t bytes) {
  std::ofstream(file, std::ios::binary | std::ios::app) << std::string(bytes, 'x');
}

// A tree changed at random as downloads, unpackers and users do; with
// |locking|, folders also lose and regain an ordinary user's permissions.
class RandomTree {
 public:
  RandomTree(const fs::path& root, unsigned seed, bool locking)
      : root_(root), rng_(seed), locking_(locking) {
    fs::create_directories(Outside());
    fs::create_directories(root_);
  }
  fs::path Outside() const { return root_.parent_path() / "outside"; }

  void Step() {
    List();
    if (locking_ && folders_.size() > 1 && Pick(100) < 8) {
      // None at all; listing but no looking at entries; the reverse; readable.
      static const fs::perms kModes[] = {fs::perms(0), fs::perms(0444), fs::perms(0311),
                                         fs::perms(0755), fs::perms(0755)};
      return fs::permissions(AnySubFolder(), kModes[Pick(5)]);
    }
    const int op = Pick(100);
    const bool sub = folders_.size() > 1;
    if (op < 22 || files_.empty()) {
      Append(Child(AnyFolder(), "f"), Pick(5000));
    } else if (op < 45) {
      Append(Any(files_), 1 + Pick(3000));
    } else if (op < 52) {  // truncated
      const fs::path f = Any(files_);
      fs::resize_file(f, Pick(static_cast<int>(fs::file_size(f)) + 1));
    } else if (op < 60) {  // renamed in its folder
      const fs::path f = Any(files_);
      fs::rename(f, Child(f.parent_path(), "r"));
    } else if (op < 67) {
      fs::rename(Any(files_), Child(AnyFolder(), "m"));
    } else if (op < 74) {
      fs::remove(Any(files_));
    } else if (op < 80) {  // a new folder, at times with files before its watch
      const fs::path d = Child(AnyFolder(), "d");
      fs::create_directory(d);
      if (Pick(2)) Append(d / "inside", Pick(2000));
    } else if (op < 84) {  // a folder moved in from outside, with its files
      const fs::path staged = Outside() / "staged";
      fs::create_directories(staged / "deeper");
      Append(staged / "a", Pick(4000));
      Append(staged / "deeper" / "b", Pick(4000));
      fs::rename(staged, Child(AnyFolder(), "in"));
    } else if (op < 88 && sub) {  // a folder moved elsewhere in the tree
      const fs::path d = AnySubFolder(), to = AnyFolder();
      const std::string a = to.string() + "/", b = d.string() + "/";
      if (a.compare(0, b.size(), b) != 0) fs::rename(d, Child(to, "mv"));
    } else if (op < 91 && sub) {
      fs::rename(AnySubFolder(), Child(Outside(), "gone"));
    } else if (op < 94 && sub) {
      fs::remove_all(AnySubFolder());
    } else if (op < 96) {  // a link to a file or a folder; deletions leave some dangling
      fs::create_symlink(Pick(2) ? Any(files_) : AnyFolder(), Child(AnyFolder(), "l"));
    } else if (op < 97) {  // a second name for a file
      fs::create_hard_link(Any(files_), Child(AnyFolder(), "h"));
    } else {  // one file replaced by another of the same name
      const fs::path f = Any(files_), temp = Child(f.parent_path(), "t");
      Append(temp, Pick(3000));
      fs::rename(temp, f);
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  fs::path Any(const std::vector<fs::path>& v) {
    return v[static_cast<std::size_t>(Pick(static_cast<int>(v.size())))];
  }
  fs::path AnyFolder() { return Any(folders_); }
  fs::path AnySubFolder() { return Any({folders_.begin() + 1, folders_.end()}); }
  fs::path Child(const fs::path& folder, const char* prefix) {
    return folder / (prefix + std::to_string(serial_++));
  }
  // Files outside too: links and second names lead there, writes without an event.
  void List() {
    folders_ = {root_};
    files_.clear();
    for (const fs::path& top : {root_, Outside()})
      for (const auto& e : fs::recursive_directory_iterator(top, kSkipLocked)) {
        const fs::file_status st = e.symlink_status();
        if (fs::is_directory(st) && top == root_) folders_.push_back(e.path());
        if (fs::is_regular_file(st)) files_.push_back(e.path());
      }
  }
  static constexpr auto kSkipLocked = fs::directory_options::skip_permission_denied;

  fs::path root_;
  std::mt19937 rng_;
  bool locking_;
  int serial_ = 0;
  std::vector<fs::path> folders_, files_;
};

// Each measurement equals a full scan, unreadable folders too; nearly every
// second comes from events alone, also as nobody beside locked folders; with
// too few watches, full scans that say why.
TEST(InotifyTreeTracker, RandomChangesKeepTheTotalExact) {
  // Seed, locking, watch limit (0: the system's), least share of changes.
  // 23 makes second names in folders that move away before they are looked at.
  const std::tuple<unsigned, bool, int, int> runs[] = {
      {9, false, 0, 85}, {23, false, 0, 85}, {12, true, 0, 70}, {10, false, 6, 1}};
  for (const auto& [seed, locking, watchLimit, changesPercent] : runs) {
    SCOPED_TRACE(seed);
    TempWorkDir dir;
    const fs::path root = fs::path(dir.Path()) / "dl";
    RandomTree tree(root, seed, locking);
    std::mt19937 rhythm(seed + 1);
    const auto scan = [&] { return ScanTreeInParallel(root.string(), 2); };
    InotifyTreeTracker tracker(watchLimit);
    EXPECT_EQ(tracker.Measure(root.string() + "\\", true, {}, scan).total, 0);
    std::map<Source, int> sources;
    int seconds = 0, unreadable = 0, outOfWatches = 0;
    for (int step = 0; step < 500 && !::testing::Test::HasFailure(); ++seconds) {
      for (int n = std::uniform_int_distribution<int>(1, 6)(rhythm); n > 0; --n, ++step)
        tree.Step();
      std::optional<AsNobody> unprivileged;
      if (locking) unprivileged.emplace();
      const TreeSize tracked = tracker.Measure(root.string() + "\\", false, {}, scan);
      const TreeSize scanned = scan();
      ++sources[tracker.LastSource()];
      unreadable += tracked.unreadable.empty() ? 0 : 1;
      outOfWatches += tracked.outOfWatches ? 1 : 0;
      EXPECT_EQ(tracked.total, scanned.total) << "step " << step;
      EXPECT_EQ(tracked.unreadable, scanned.unreadable) << "step " << step;
    }
    EXPECT_GE(sources[Source::Changes] * 100, seconds * changesPercent);
    EXPECT_EQ(sources[Source::FullScan] > 0, watchLimit > 0);
    EXPECT_EQ(outOfWatches, sources[Source::FullScan]) << "and says why";
    EXPECT_GE(unreadable * 4, locking ? seconds : 0);
  }
}

}  // namespace
}  // namespace velnook
