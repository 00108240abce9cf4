#include "platform/posix/posix_administrator.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace velnook {
namespace {

constexpr gid_t kNobody = 65534;

// Asks in a child that runs as the unprivileged user "nobody" with the given
// supplementary groups; the test process itself keeps its identity.
bool AdministratorAs(const std::vector<gid_t>& groups) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(kNobody) != 0 ||
        ::setuid(kNobody) != 0)
      ::_exit(2);
    ::_exit(PosixAdministratorTest().IsAdministrator() ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(PosixAdministratorTest, RootOrAnAdministeringGroupAnywhereInALongList) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to take on other identities";
  EXPECT_TRUE(PosixAdministratorTest().IsAdministrator());
  EXPECT_FALSE(AdministratorAs({}));
  const group* sudo = ::getgrnam("sudo");
  if (!sudo) GTEST_SKIP() << "no sudo group here";
  EXPECT_TRUE(AdministratorAs({sudo->gr_gid}));
  std::vector<gid_t> many;
  for (gid_t g = 200000; g < 203000; ++g) many.push_back(g);
  EXPECT_FALSE(AdministratorAs(many));
  many.push_back(sudo->gr_gid);  // the last of 3,001 groups
  EXPECT_TRUE(AdministratorAs(many));
}

}  // namespace
}  // namespace velnook
