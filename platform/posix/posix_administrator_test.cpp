#include "platform/posix/posix_administrator.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace velnook {
namespace {

// Asks in a child that runs as "nobody" with the given supplementary groups.
bool AdministratorAs(const std::vector<gid_t>& groups) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(65534) || ::setuid(65534))
      ::_exit(2);
    ::_exit(PosixAdministratorTest().IsAdministrator() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(PosixAdministratorTest, RootOrAnAdministeringGroupAnywhereInALongList) {
  const group* sudo = ::getgrnam("sudo");
  if (::geteuid() != 0 || !sudo) GTEST_SKIP() << "needs root and a sudo group";
  EXPECT_TRUE(PosixAdministratorTest().IsAdministrator());
  std::vector<gid_t> many;
  for (gid_t g = 200000; g < 203000; ++g) many.push_back(g);
  EXPECT_FALSE(AdministratorAs(many));
  many.push_back(sudo->gr_gid);  // the last of 3,001 groups
  EXPECT_TRUE(AdministratorAs(many));
}

}  // namespace
}  // namespace velnook
