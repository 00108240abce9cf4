#pragma once
// The administrator test on Windows: the process token holds the local
// Administrators group, compared by account name.

#include "platform/administrator.h"

namespace velnook {

class Win32AdministratorTest : public AdministratorTest {
 public:
  bool IsAdministrator() override;
};

}  // namespace velnook
