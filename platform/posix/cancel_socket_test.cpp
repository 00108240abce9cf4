#include "platform/posix/cancel_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <thread>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

constexpr uid_t kNobody = 65534;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// Answers one request the way the program does, on its own thread.
std::thread AnswerOnce(int listenFd, CancelAnswer answer) {
  return std::thread([listenFd, answer] {
    int fd = -1;
    while (fd < 0) fd = AcceptFromSameUser(listenFd);
    char buffer[16];
    while (::recv(fd, buffer, sizeof buffer, 0) < 0) ::usleep(1000);
    const std::string line = CancelAnswerLine(answer);
    ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
    ::close(fd);
  });
}

TEST(CancelSocket, EveryInstanceIsAskedAndAnswersTravelAsOneLineEach) {
  TempWorkDir dir;
  const std::string folder = UserRunFolder(dir.Path(), dir.Path());
  EXPECT_EQ(folder, dir.Path() + "/Velnook-" + std::to_string(::getuid()));
  const std::string path = CancelSocketPath(folder, 1);
  std::string error;
  const int fd = ListenForCancel(path, error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(ModeOf(path) & 077, 0u);

  std::thread server = AnswerOnce(fd, {true, "cancelled"});
  const CancelOutcome yes = RequestCancel(path);
  server.join();
  EXPECT_EQ(yes.exitStatus, kCancelled);
  EXPECT_EQ(yes.line, "cancelled");

  // Three more: one not counting down, one frozen (never accepts), one
  // ended, whose socket is removed. Each answering one is asked.
  const int idle = ListenForCancel(CancelSocketPath(folder, 2), error);
  const int frozen = ListenForCancel(CancelSocketPath(folder, 3), error);
  const int ended = ListenForCancel(CancelSocketPath(folder, 4), error);
  ASSERT_TRUE(idle >= 0 && frozen >= 0 && ended >= 0) << error;
  ::close(ended);
  server = AnswerOnce(fd, {true, "cancelled"});
  std::thread other = AnswerOnce(idle, {false, "no countdown\nsecond line"});
  std::vector<CancelOutcome> all = RequestCancelOfAll(folder, 300);
  server.join();
  other.join();
  std::multiset<std::pair<int, std::string>> got;
  for (const CancelOutcome& o : all) got.insert({o.exitStatus, o.line});
  EXPECT_EQ(got, (std::multiset<std::pair<int, std::string>>{
                     {kCancelled, "cancelled"},
                     {kNothingToCancel, "no countdown second line"},
                     {kNoAnswer, "Velnook did not answer: nothing cancelled."},
                     {kNobodyToAsk, NobodyToAsk().line}}));
  EXPECT_EQ(ModeOf(CancelSocketPath(folder, 4)), 0u);  // gone
  for (int f : {fd, idle, frozen}) ::close(f);
  EXPECT_TRUE(RequestCancelOfAll(dir.Path() + "/nothing").empty());
}

TEST(CancelSocket, TheUsersFolderIsTheSystemsRuntimeFolderOnlyWhenItIsTheirsAlone) {
  TempWorkDir dir;
  const std::string own = "/Velnook-" + std::to_string(::getuid());
  const std::string runtime = dir.Path() + "/run", fallback = dir.Path() + "/tmp";
  EXPECT_EQ(UserRunFolder(runtime, fallback), fallback + own);  // missing
  ASSERT_EQ(::mkdir(runtime.c_str(), 0755), 0);
  EXPECT_EQ(UserRunFolder(runtime, fallback), fallback + own);  // others may enter
  ASSERT_EQ(::chmod(runtime.c_str(), 0700), 0);
  EXPECT_EQ(UserRunFolder(runtime, fallback), runtime + own);
  if (::getuid() != 0) return;
  ASSERT_EQ(::chown(runtime.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(UserRunFolder(runtime, fallback), fallback + own);  // another user's
}

TEST(CancelSocket, TheTerminalReportsEveryInstance) {
  const CancelOutcome yes{kCancelled, "A"}, no{kNothingToCancel, "B"}, frozen{kNoAnswer, "C"},
      gone = NobodyToAsk();
  const std::string none = gone.line + "\n";
  struct Case {
    std::vector<CancelOutcome> outcomes;
    CancelReport report;
  } cases[] = {
      {{}, {kNobodyToAsk, "", none}},
      {{gone, gone}, {kNobodyToAsk, "", none}},
      {{no, gone, yes}, {kCancelled, "A\n", "B\n"}},
      {{no, no}, {kNothingToCancel, "", "B\nB\n"}},
      {{yes, frozen}, {kNoAnswer, "A\n", "C\n"}},
  };
  for (const Case& c : cases) {
    const CancelReport r = ReportOf(c.outcomes);
    EXPECT_EQ(r.exitStatus, c.report.exitStatus);
    EXPECT_EQ(r.out, c.report.out);
    EXPECT_EQ(r.err, c.report.err);
  }
  for (const char* meant : {"-cancel", "--Cancel", "--cancel", "/cancel", "-CANCEL"})
    EXPECT_NE(MisspeltCancel(meant).find("velnook -Cancel"), std::string::npos) << meant;
  for (const char* other : {"-Cancel", "cancel", "-Cancel -AllowMulti", "", "-AllowMulti"})
    EXPECT_EQ(MisspeltCancel(other), "") << other;
}

TEST(CancelSocket, FolderOthersMayEnterIsRefused) {
  TempWorkDir dir;
  const std::string folder = UserRunFolder(dir.Path(), dir.Path());
  const std::string path = CancelSocketPath(folder, 1);
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  std::string error;
  EXPECT_LT(ListenForCancel(path, error), 0);
  EXPECT_NE(error.find("alone"), std::string::npos);
  if (::getuid() != 0) GTEST_SKIP() << "another user's folder needs root to make";
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  ASSERT_EQ(::chown(folder.c_str(), kNobody, kNobody), 0);
  EXPECT_LT(ListenForCancel(path, error), 0);
}

TEST(CancelSocket, AnotherUserIsHungUpOn) {
  if (::getuid() != 0) GTEST_SKIP() << "acting as another user needs root";
  TempWorkDir dir;
  const std::string path = CancelSocketPath(UserRunFolder(dir.Path(), dir.Path()), 1);
  std::string error;
  const int fd = ListenForCancel(path, error);
  ASSERT_GE(fd, 0) << error;
  // Opened up here only so that the stranger reaches the credentials check.
  ::chmod(dir.Path().c_str(), 0755);
  ::chmod(path.substr(0, path.rfind('/')).c_str(), 0755);
  ::chmod(path.c_str(), 0666);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    const int c = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (::connect(c, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ::_exit(4);
    ::send(c, kCancelRequest, std::strlen(kCancelRequest), MSG_NOSIGNAL);
    char answer[16];
    ::_exit(::recv(c, answer, sizeof answer, 0) <= 0 ? 0 : 5);  // 0: hung up on, no answer
  }
  int accepted = -1;
  int status = -1;
  for (int i = 0; i < 5000 && accepted < 0; ++i) {
    accepted = AcceptFromSameUser(fd);
    if (::waitpid(pid, &status, WNOHANG) == pid) break;
    ::usleep(1000);
  }
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);  // reached the socket, and was hung up on
  EXPECT_LT(accepted, 0);
  ::close(fd);
}

}  // namespace
}  // namespace velnook
