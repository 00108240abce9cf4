#include "platform/win32/win32_administrator.h"

#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

// The account name of a SID, or nothing when it has none.
bool AccountName(PSID sid, std::string& out) {
  char name[255];
  char domain[255];
  DWORD nameLength = sizeof name;
  DWORD domainLength = sizeof domain;
  SID_NAME_USE use;
  if (!::LookupAccountSidA(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
    return false;
  out.assign(name, nameLength);
  return true;
}

}  // namespace

bool Win32AdministratorTest::IsAdministrator() {
  HANDLE process = ::GetCurrentProcess();
  if (!process) return false;
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_READ, &token)) return false;
  DWORD size = 0;
  if (::GetTokenInformation(token, TokenGroups, nullptr, 0, &size) || size < 1) {
    ::CloseHandle(token);
    return false;
  }
  std::vector<unsigned char> buffer(size);
  if (!::GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
    ::CloseHandle(token);
    return false;
  }
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                  0, 0, 0, 0, 0, &admins)) {
    ::CloseHandle(token);
    return false;
  }
  bool result = false;
  std::string adminsName;
  if (AccountName(admins, adminsName)) {
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    std::string name;
    for (DWORD i = 0; i < groups->GroupCount && !result; ++i)
      result = AccountName(groups->Groups[i].Sid, name) && name == adminsName;
  }
  ::FreeSid(admins);
  ::CloseHandle(token);
  return result;
}

}  // namespace velnook
