#include "platform/posix/posix_administrator.h"

#include <grp.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace velnook {

bool PosixAdministratorTest::IsAdministrator() {
  if (::geteuid() == 0) return true;
  // The supplementary group list read whole, however long it is.
  int count = ::getgroups(0, nullptr);
  if (count < 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count) + 1);
  count = ::getgroups(count, groups.data());
  if (count < 0) return false;
  groups.resize(static_cast<size_t>(count));
  groups.push_back(::getegid());
  for (gid_t g : groups) {
    const group* gr = ::getgrgid(g);
    if (!gr) continue;
    for (const char* name : {"sudo", "wheel", "admin"})
      if (std::strcmp(gr->gr_name, name) == 0) return true;
  }
  return false;
}

}  // namespace velnook
