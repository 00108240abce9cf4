#pragma once
// Whether the user running the program may administer this computer.

namespace velnook {

class AdministratorTest {
 public:
  virtual ~AdministratorTest() = default;
  virtual bool IsAdministrator() = 0;
};

}  // namespace velnook
