#pragma once
// The administrator test on POSIX: the effective user is root, or belongs
// to a group that may administer the system.

#include "platform/administrator.h"

namespace velnook {

class PosixAdministratorTest : public AdministratorTest {
 public:
  bool IsAdministrator() override;
};

}  // namespace velnook
