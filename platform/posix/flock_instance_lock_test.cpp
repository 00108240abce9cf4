#include "platform/posix/flock_instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

// Asks in a child process, which holds its own lock object.
bool ChildSeesAnother(const std::string& dir) {
  pid_t pid = ::fork();
  if (pid == 0) {
    FlockInstanceLock lock(dir);
    ::_exit(lock.IsAnotherInstance("Velnook") ? 1 : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WEXITSTATUS(status) == 1;
}

TEST(FlockInstanceLock, OneHolderPerNameUntilItGoes) {
  TempWorkDir dir;
  const std::string folder = dir.Path() + "/run";  // made, closed to others, by the lock
  EXPECT_FALSE(ChildSeesAnother(folder));
  {
    FlockInstanceLock first(folder);
    EXPECT_FALSE(first.IsAnotherInstance("Velnook"));
    EXPECT_FALSE(first.IsAnotherInstance("Velnook"));  // asking again is harmless
    EXPECT_TRUE(ChildSeesAnother(folder));
    FlockInstanceLock other(folder);
    EXPECT_FALSE(other.IsAnotherInstance("Other"));
  }
  EXPECT_FALSE(ChildSeesAnother(folder));
}

}  // namespace
}  // namespace velnook
