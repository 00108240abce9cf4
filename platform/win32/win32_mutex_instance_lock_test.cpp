#include "platform/win32/win32_mutex_instance_lock.h"

#include <gtest/gtest.h>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(Win32MutexInstanceLock, OneHolderPerNameAndScopeUntilItGoes) {
  TempWorkDir dir;  // a scope of its own, so parallel tests never meet
  {
    Win32MutexInstanceLock first(dir.Path()), second(dir.Path()), elsewhere(dir.Path() + "x");
    EXPECT_FALSE(first.IsAnotherInstance("Velnook"));
    EXPECT_FALSE(first.IsAnotherInstance("Velnook"));  // asking again is harmless
    EXPECT_TRUE(second.IsAnotherInstance("Velnook"));
    EXPECT_TRUE(second.IsAnotherInstance("Velnook"));  // a refused lock is not kept
    EXPECT_FALSE(second.IsAnotherInstance("Other"));
    EXPECT_FALSE(elsewhere.IsAnotherInstance("Velnook"));
  }
  EXPECT_FALSE(Win32MutexInstanceLock(dir.Path()).IsAnotherInstance("Velnook"));
}

}  // namespace
}  // namespace velnook
