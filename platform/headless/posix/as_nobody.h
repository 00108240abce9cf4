#pragma once
// Runs a scope with an ordinary user's file permissions, since root reads
// every folder: as root the effective user and groups become nobody's until
// the scope ends; as anyone else nothing changes.

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace velnook {

class AsNobody {
 public:
  AsNobody() : switched_(::geteuid() == 0) {
    if (!switched_) return;
    const passwd* nobody = ::getpwnam("nobody");
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    groups_.resize(static_cast<std::size_t>(::getgroups(0, nullptr)));
    ::getgroups(static_cast<int>(groups_.size()), groups_.data());
    if (::setgroups(1, &gid) != 0 || ::setegid(gid) != 0 ||
        ::seteuid(nobody ? nobody->pw_uid : 65534) != 0)
      std::abort();
  }
  ~AsNobody() {
    if (switched_ && (::seteuid(0) != 0 || ::setegid(0) != 0 ||
                      ::setgroups(groups_.size(), groups_.data()) != 0))
      std::abort();
  }
  AsNobody(const AsNobody&) = delete;
  AsNobody& operator=(const AsNobody&) = delete;

 private:
  bool switched_;
  std::vector<gid_t> groups_;
};

}  // namespace velnook
