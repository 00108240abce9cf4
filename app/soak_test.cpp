// A day of unattended running on the fake clock: a master watching a real
// tree that grows, shrinks and is renamed, and a slave fed through a relay
// that loses, repeats and garbles datagrams, with resets and sleeps at
// random. Every power request must be one the rules call for, none that
// they call for may be missed, and memory must stay flat.
#include <gtest/gtest.h>
#include <malloc.h>
#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "app/program.h"
#include "config/config_file.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;

// Files relative to one computer's working directory, so that two programs
// can share this process's current directory.
class RootedFiles : public FileSystem {
 public:
  RootedFiles(FileSystem& inner, std::string root) : inner_(inner), root_(std::move(root)) {}
  bool FileExists(const std::string& p) override { return inner_.FileExists(At(p)); }
  bool FolderExists(const std::string& p) override { return inner_.FolderExists(At(p)); }
  bool CreateFolder(const std::string& p) override { return inner_.CreateFolder(At(p)); }
  std::optional<std::string> ReadFile(const std::string& p) override {
    return inner_.ReadFile(At(p));
  }
  bool ReadFileInBlocks(const std::string& p,
                        const std::function<bool(std::string_view)>& onBlock) override {
    return inner_.ReadFileInBlocks(At(p), onBlock);
  }
  std::optional<std::string> ReadFileTail(const std::string& p, std::uint64_t n) override {
    return inner_.ReadFileTail(At(p), n);
  }
  bool ReplaceFile(const std::string& p, const std::string& c) override {
    return inner_.ReplaceFile(At(p), c);
  }
  bool AppendToFile(const std::string& p, const std::string& c) override {
    return inner_.AppendToFile(At(p), c);
  }
  bool CopyFile(const std::string& a, const std::string& b, const BetweenBlocks& between) override {
    return inner_.CopyFile(At(a), At(b), between);
  }
  bool DeleteFile(const std::string& p) override { return inner_.DeleteFile(At(p)); }
  std::optional<std::uint64_t> FileLength(const std::string& p) override {
    return inner_.FileLength(At(p));
  }
  FileError ListFolder(const std::string& p, FolderListing& out) override {
    return inner_.ListFolder(At(p), out);
  }

 private:
  std::string At(const std::string& p) const {
    return !p.empty() && p[0] == '/' ? p : root_ + "/" + p;
  }
  FileSystem& inner_;
  std::string root_;
};

// One computer: its folder, its services and the program running there.
struct Station {
  explicit Station(const std::string& folder)
      : root(folder), hs(folder), files(hs.files, folder), services(WithFiles(hs.services, files)) {
    fs::create_directories(root + "/Data");
    fs::create_directories(root + "/Log");
    fs::create_directories(root + "/dls");
  }
  void Start(ConfigValues v) {
    ASSERT_TRUE(WriteConfigFile(files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{}));
    program = std::make_unique<Program>(services, "");
    program->ProcessEntry();
  }
  bool Asleep() const { return static_cast<bool>(hs.power.resumeCallback); }
  std::size_t Requests() const { return hs.power.requests.size(); }

  std::string root;
  HeadlessServices hs;
  RootedFiles files;
  Services services;
  std::unique_ptr<Program> program;
};

bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) == 1;
}

std::size_t HeapInUse() {
  return mallinfo2().uordblks;
}

constexpr int kAvTime = 5, kDownDelay = 60, kShutTime = 10;  // master
constexpr int kLostDelay = 20, kSlaveShutTime = 5;           // slave

class SoakTest : public ::testing::Test {
 protected:
  SoakTest()
      : master(dir.Path() + "/master"), slave(dir.Path() + "/slave"), tree(master.root + "/dls") {
    relayIn.Bind(relayPort);
    relayIn.SetArrivalHandler([this](const Datagram& d) { arrived.push_back(d.bytes); });
  }

  // One second of downloading: a single change of at least 20 KB either
  // way, plus renames that change nothing.
  void Download() {
    const bool grow = total < (8 << 20) || files.size() < 20 || rnd() % 2 == 0;
    if (grow) {
      const std::string name = Pick(/*orNew=*/files.size() < 200);
      const int add = 20480 + static_cast<int>(rnd() % 40960);
      std::ofstream(tree + "/" + name, std::ios::app | std::ios::binary)
          << std::string(static_cast<size_t>(add), 'x');
      files[name] += add;
      total += add;
    } else {
      std::string big;
      for (const auto& [name, size] : files)
        if (size >= 20480 && (big.empty() || rnd() % 4 == 0)) big = name;
      if (big.empty()) return Download();
      if (rnd() % 2) {
        fs::remove(tree + "/" + big);
        total -= files[big];
        files.erase(big);
      } else {
        fs::resize_file(tree + "/" + big, 0);
        total -= files[big];
        files[big] = 0;
      }
    }
    lastChange = second;
    Rename();
  }
  // A rename within or between folders: the total stays as it was.
  void Rename() {
    if (files.empty()) return;
    const std::string from = Pick(false);
    const std::string folder = "s" + std::to_string(rnd() % 4);
    fs::create_directories(tree + "/" + folder);
    const std::string to = folder + "/r" + std::to_string(rnd());
    fs::rename(tree + "/" + from, tree + "/" + to);
    files[to] = files[from];
    files.erase(from);
  }
  std::string Pick(bool orNew) {
    if (orNew || files.empty()) {
      const std::string folder = "s" + std::to_string(rnd() % 4);
      fs::create_directories(tree + "/" + folder);
      return folder + "/n" + std::to_string(rnd());
    }
    auto it = files.begin();
    std::advance(it, static_cast<long>(rnd() % files.size()));
    return it->first;
  }

  // Half a second on both computers, the master's datagrams passing the relay.
  void HalfSecond() {
    master.hs.loop.Advance(500);
    arrived.clear();
    // A monitoring master sends every half second; at other times it may
    // have sent once, as it leaves its start delay.
    const bool sends = master.program->state.RunMode == 1 && !master.Asleep();
    if (Readable(relayIn.Descriptor(), sends ? 200 : 0)) relayIn.Poll();
    // Garbage first: it must never count as the partner's voice, and it may
    // not cancel a valid datagram that follows it.
    if (rnd() % 100 < 3) Forward(Garbage());
    for (const std::string& bytes : arrived) {
      const auto r = rnd() % 100;
      if (outage > 0 || r < 5) continue;  // lost
      Forward(bytes);
      if (r < 8) Forward(bytes);  // repeated
      if (IsValid(bytes)) lastValid = second;
    }
    slave.hs.loop.Advance(500);
  }
  void Forward(const std::string& bytes) {
    relayOut.SendTo("127.0.0.1", slavePort, bytes);
    Readable(slave.hs.udp.Descriptor(), 200);
  }
  static bool IsValid(const std::string& b) {
    return b.size() == 8 && b.compare(0, 3, "<VN") == 0 && b.back() == '>';
  }
  std::string Garbage() {
    std::string g(rnd() % 12, '\0');
    for (char& c : g) c = static_cast<char>(rnd() % 256);
    if (rnd() % 2 && g.size() >= 8) g.replace(0, 3, "<VX");
    return g;
  }

  TempWorkDir dir;
  Station master, slave;
  std::string tree;
  std::mt19937 rnd{20261207};
  std::map<std::string, std::int64_t> files;
  std::int64_t total = 0;
  int second = 0, lastChange = 0, lastValid = 0, outage = 0, outageEnded = 0;
  int relayPort = FreeLoopbackPort(), slavePort = FreeLoopbackPort();
  PosixUdpSocket relayIn{"127.0.0.1"}, relayOut{"127.0.0.1"};
  std::vector<std::string> arrived;
};

TEST_F(SoakTest, ADayOfDownloadsSleepsLossesAndResets) {
  master.Start({.CMain = 1,
                .Port1 = static_cast<double>(relayPort),
                .AvTime = kAvTime,
                .DownDelay = kDownDelay,
                .LogLevel = 2,
                .StartDelay = 2,
                .StartMin = 1,
                .ShutTime = kShutTime,
                .ShutType = 6,
                .IPAdd = "127.0.0.1",
                .DPath = tree + "\\"});
  slave.Start({.CMain = 2,
               .Port1 = static_cast<double>(slavePort),
               .DownDelay = kLostDelay,
               .LogLevel = 2,
               .StartDelay = 2,
               .StartMin = 1,
               .ShutTime = kSlaveShutTime,
               .ShutType = 5,
               .IPAdd = "127.0.0.1",
               .DPath = slave.root + "/dls\\"});
  ASSERT_FALSE(slave.program->state.SetupError);

  // The plan: stretches of downloading, then a quiet spell that is either
  // too short to count or long enough to end in the master's sleep; the
  // master sleeps briefly or long enough for the slave to act; now and then
  // the relay drops everything for a while.
  enum class Phase { Downloading, ShortQuiet, LongQuiet, Asleep };
  Phase phase = Phase::Downloading;
  int phaseLeft = 60;
  int masterExpected = 0, slaveExpected = 0, silentFor = 0;
  int masterCountdownAt = -1, slaveCountdownAt = -1, slaveWakeAt = -1;
  std::size_t heapAtHourTwo = 0, heapPeak = 0;
  std::size_t masterSeen = 0, slaveSeen = 0;
  const char* hours = std::getenv("VELNOOK_SOAK_HOURS");  // shorter runs by hand
  const int day = (hours ? std::atoi(hours) : 24) * 3600;

  for (second = 1; second <= day; ++second) {
    switch (phase) {
      case Phase::Downloading:
        Download();
        if (outage == 0 && second - outageEnded > 120 && rnd() % 900 == 0) {
          // Long enough for the slave, or too short to count.
          outage = rnd() % 2 ? kLostDelay + kSlaveShutTime + 5 + static_cast<int>(rnd() % 20)
                             : 2 + static_cast<int>(rnd() % (kLostDelay - 6));
        }
        if (--phaseLeft == 0) {
          phase = rnd() % 3 ? Phase::ShortQuiet : Phase::LongQuiet;
          phaseLeft =
              phase == Phase::ShortQuiet ? 1 + static_cast<int>(rnd() % (kDownDelay - 4)) : 0;
          if (phase == Phase::LongQuiet) ++masterExpected;
        }
        break;
      case Phase::ShortQuiet:
        if (rnd() % 3 == 0) Rename();
        if (--phaseLeft == 0) {
          phase = Phase::Downloading;
          phaseLeft = 30 + static_cast<int>(rnd() % 600);
        }
        break;
      case Phase::LongQuiet:
        if (rnd() % 3 == 0) Rename();
        // Ends with the master's request, which the checks below watch for.
        ASSERT_LT(second - lastChange, 3 * (kAvTime + kDownDelay + kShutTime) + 60)
            << "the master never acted on a quiet tree";
        break;
      case Phase::Asleep:
        if (--phaseLeft == 0) {
          master.hs.power.Resume();
          phase = Phase::Downloading;
          phaseLeft = 30 + static_cast<int>(rnd() % 600);
        }
        break;
    }
    // A user pressing Reset (or Cancel) on either computer now and then.
    if (!master.Asleep() && rnd() % 1500 == 0) master.program->main.OnClick("Reset");
    // Only while connected, so that a silence is never cut short by a reset.
    if (!slave.Asleep() && silentFor == 0 && outage == 0 && !master.Asleep() && rnd() % 1500 == 0)
      slave.program->main.OnClick("Reset");

    HalfSecond();
    HalfSecond();
    if (outage > 0 && --outage == 0) outageEnded = second;

    // Silence the slave sees: count it, and expect one request from every
    // silence long enough for its countdown to begin.
    if (lastValid == second) {
      ASSERT_TRUE(silentFor < kLostDelay - 2 || silentFor >= kLostDelay + 3)
          << "a silence of " << silentFor << " s is too close to the delay to judge";
      if (silentFor >= kLostDelay + 3) ++slaveExpected;
      silentFor = 0;
    } else if (!slave.Asleep()) {
      ++silentFor;
    }

    // The master: a countdown only after DownDelay quiet seconds, and a
    // request exactly at its end.
    if (master.program->state.RunMode == 2 && masterCountdownAt < 0) {
      masterCountdownAt = second;
      ASSERT_GE(second - lastChange, kDownDelay)
          << "countdown while downloading, second " << second;
    }
    if (master.program->state.RunMode != 2 && !master.Asleep()) masterCountdownAt = -1;
    if (master.Requests() != masterSeen) {
      ASSERT_EQ(master.Requests(), masterSeen + 1);
      masterSeen = master.Requests();
      EXPECT_EQ(master.hs.power.requests.back(), PowerAction::Suspend);
      ASSERT_GE(masterCountdownAt, 0);
      EXPECT_NEAR(second - masterCountdownAt, kShutTime, 1);
      ASSERT_GE(second - lastChange, kDownDelay + kShutTime - 1) << "request while downloading";
      ASSERT_EQ(phase, Phase::LongQuiet) << "request in a quiet spell too short to count";
      masterCountdownAt = -1;
      phase = Phase::Asleep;
      // The slave hears nothing from the countdown's start to the end of
      // the start delay after waking: ShutTime + 2 s beyond the sleep.
      phaseLeft = rnd() % 2 ? kLostDelay - kShutTime + 5 + static_cast<int>(rnd() % 30)
                            : 1 + static_cast<int>(rnd() % (kLostDelay - kShutTime - 7));
    }

    // The slave: a countdown only after the lost-comms delay of silence.
    if (slave.program->state.RunMode == 2 && slaveCountdownAt < 0 && !slave.Asleep()) {
      slaveCountdownAt = second;
      ASSERT_GE(second - lastValid, kLostDelay - 1) << "slave countdown while connected";
    }
    if (slave.program->state.RunMode != 2 && !slave.Asleep()) slaveCountdownAt = -1;
    if (slave.Requests() != slaveSeen) {
      ASSERT_EQ(slave.Requests(), slaveSeen + 1);
      slaveSeen = slave.Requests();
      EXPECT_EQ(slave.hs.power.requests.back(), PowerAction::Hibernate);
      ASSERT_GE(slaveCountdownAt, 0);
      EXPECT_NEAR(second - slaveCountdownAt, kSlaveShutTime, 1);
      slaveCountdownAt = -1;
      slaveWakeAt = -1;
    }
    // The slave's computer wakes once its master is heard again.
    if (slave.Asleep()) {
      if (slaveWakeAt < 0 && lastValid == second) slaveWakeAt = second + 1 + rnd() % 5;
      if (slaveWakeAt == second) slave.hs.power.Resume();
    }

    if (second == 2 * 3600) heapAtHourTwo = HeapInUse();
    heapPeak = std::max(heapPeak, HeapInUse());
    ASSERT_TRUE(master.hs.messages.shown.empty() && slave.hs.messages.shown.empty())
        << "a message box appeared at second " << second;
    // The record of notices is the test's memory, not the program's.
    master.hs.notifier.shown.clear();
    slave.hs.notifier.shown.clear();
  }

  const std::size_t heapAtEnd = HeapInUse();
  std::printf(
      "simulated hours %d; master requests expected %d, made %zu; slave requests "
      "expected %d, made %zu; heap in use at hour 2 %zu B, at the end %zu B, peak %zu B\n",
      day / 3600, masterExpected, masterSeen, slaveExpected, slaveSeen, heapAtHourTwo, heapAtEnd,
      heapPeak);
  // A long quiet spell under way at the end has not yet had its request.
  EXPECT_EQ(static_cast<int>(masterSeen), masterExpected - (phase == Phase::LongQuiet));
  EXPECT_EQ(static_cast<int>(slaveSeen), slaveExpected + (silentFor >= kLostDelay + 3));
  if (day >= 24 * 3600) {
    EXPECT_GT(masterSeen, 20u);
    EXPECT_GT(slaveSeen, 5u);
  }
  EXPECT_LT(heapAtEnd, heapAtHourTwo + 64 * 1024) << "memory grows";
}

}  // namespace
}  // namespace velnook
