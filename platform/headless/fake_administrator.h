#pragma once
// An administrator test whose answer a test sets.

#include "platform/administrator.h"

namespace velnook {

class FakeAdministrator : public AdministratorTest {
 public:
  bool IsAdministrator() override { return administrator; }
  bool administrator = false;
};

}  // namespace velnook
