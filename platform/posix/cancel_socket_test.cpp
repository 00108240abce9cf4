#include "platform/posix/cancel_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/headless/temp_work_dir.h"
#include "platform/remote_cancel.h"

namespace velnook {
namespace {

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

// One counting down, one not, one frozen (never accepts), one ended, whose
// socket is removed: each answering one is asked, and the terminal told.
TEST(CancelSocket, EveryInstanceIsAskedOnlyInFoldersOfTheUserAlone) {
  TempWorkDir dir;
  const std::string folder = UserRunFolder(dir.Path(), dir.Path());
  std::string error;
  int fds[4];
  for (int i = 0; i < 4; ++i) fds[i] = ListenForCancel(CancelSocketPath(folder, i + 1), error);
  ASSERT_TRUE(fds[0] >= 0 && fds[1] >= 0 && fds[2] >= 0 && fds[3] >= 0) << error;
  ::close(fds[3]);
  std::thread server = AnswerOnce(fds[0], {true, "cancelled"});
  std::thread other = AnswerOnce(fds[1], {false, "no countdown\nsecond line"});
  const CancelReport r = ReportOf(RequestCancelOfAll(folder, 300));
  server.join();
  other.join();
  EXPECT_EQ(r.exitStatus, kNoAnswer);  // a frozen one outweighs the cancelled one
  EXPECT_EQ(r.out, "cancelled\n");
  const std::string noCountdown = "no countdown second line\n",
                    frozen = "Velnook did not answer: nothing cancelled.\n";
  EXPECT_TRUE(r.err == noCountdown + frozen || r.err == frozen + noCountdown) << r.err;
  EXPECT_FALSE(std::filesystem::exists(CancelSocketPath(folder, 4)));  // removed
  for (int i = 0; i < 3; ++i) ::close(fds[i]);
  EXPECT_EQ(ReportOf(RequestCancelOfAll(dir.Path() + "/nothing")).err, NobodyToAsk().line + "\n");

  // The system's runtime folder is used only while it is the user's alone,
  // and a socket is never made in a folder others may enter.
  const std::string own = "/Velnook-" + std::to_string(::getuid());
  const std::string runtime = dir.Path() + "/run", fallback = dir.Path() + "/tmp";
  EXPECT_EQ(UserRunFolder(runtime, fallback), fallback + own);  // missing
  ASSERT_EQ(::mkdir(runtime.c_str(), 0755), 0);
  EXPECT_EQ(UserRunFolder(runtime, fallback), fallback + own);
  ASSERT_EQ(::chmod(runtime.c_str(), 0700), 0);
  EXPECT_EQ(UserRunFolder(runtime, fallback), runtime + own);

  ASSERT_EQ(::mkdir((runtime + own).c_str(), 0755), 0);
  EXPECT_LT(ListenForCancel(CancelSocketPath(runtime + own, 1), error), 0);
  EXPECT_NE(error.find("alone"), std::string::npos);
}

}  // namespace
}  // namespace velnook
