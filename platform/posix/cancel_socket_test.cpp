#include "platform/posix/cancel_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
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

TEST(CancelSocket, AnswersTravelAsOneLineEach) {
  TempWorkDir dir;
  const std::string path = CancelSocketPath(dir.Path());
  EXPECT_EQ(path, dir.Path() + "/Velnook-" + std::to_string(::getuid()) + "/cancel");
  std::string error;
  const int fd = ListenForCancel(path, error);
  ASSERT_GE(fd, 0) << error;
  EXPECT_EQ(ModeOf(dir.Path() + "/Velnook-" + std::to_string(::getuid())), 0700u);
  EXPECT_EQ(ModeOf(path) & 077, 0u);

  std::thread server = AnswerOnce(fd, {true, "cancelled"});
  const CancelOutcome yes = RequestCancel(path);
  server.join();
  EXPECT_EQ(yes.exitStatus, 0);
  EXPECT_EQ(yes.line, "cancelled");

  server = AnswerOnce(fd, {false, "no countdown\nsecond line"});
  const CancelOutcome no = RequestCancel(path);
  server.join();
  EXPECT_EQ(no.exitStatus, 1);
  EXPECT_EQ(no.line, "no countdown second line");

  // Left behind by an instance that ended: nobody to ask, and the next
  // instance takes the place over.
  ::close(fd);
  EXPECT_EQ(RequestCancel(path).exitStatus, 2);
  const int again = ListenForCancel(path, error);
  EXPECT_GE(again, 0) << error;
  ::close(again);
  EXPECT_EQ(RequestCancel(dir.Path() + "/nothing/cancel").exitStatus, 2);
}

TEST(CancelSocket, FolderOthersMayEnterIsRefused) {
  TempWorkDir dir;
  const std::string path = CancelSocketPath(dir.Path());
  const std::string folder = path.substr(0, path.rfind('/'));
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
  const std::string path = CancelSocketPath(dir.Path());
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
