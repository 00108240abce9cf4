// The terminal's Cancel served on the event loop: a client that hangs up
// while the cancel runs window events is never touched again.
#include "platform/linux/qt_cancel_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <cstring>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(QtCancelServer, AClientGoneDuringALongCancelIsLeftAlone) {
  static int argc = 1;
  static char name[] = "qt-cancel-server-test";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  TempWorkDir dir;
  const std::string path = dir.Path() + "/run/cancel.1";
  int client = -1, cancels = 0;
  int spare[2] = {-1, -1};
  QtCancelServer server;
  ASSERT_EQ(server.Listen(path,
                          [&] {
                            ++cancels;
                            ::close(client);  // the user gives up at once
                            // Window events let through, the server's too.
                            QTest::qWait(QtCancelServer::kClientTimeoutMs / 10);
                            // New descriptors take the numbers freed meanwhile.
                            spare[0] = ::dup(0);
                            spare[1] = ::dup(0);
                            return CancelAnswer{true, "cancelled"};
                          }),
            "");
  client = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::send(client, kCancelRequest, std::strlen(kCancelRequest), 0);
  QTest::qWait(QtCancelServer::kClientTimeoutMs / 5);
  EXPECT_EQ(cancels, 1);
  for (int fd : spare) {
    EXPECT_NE(::fcntl(fd, F_GETFD), -1) << "the server closed a descriptor not its own";
    ::close(fd);
  }
}

}  // namespace
}  // namespace velnook
