#include "platform/win32/cng_message_auth.h"

#include "platform/win32/windows_api.h"
// bcrypt.h needs the types of windows.h.
#include <bcrypt.h>

namespace velnook {
namespace {

bool Succeeded(NTSTATUS status) {
  return status >= 0;
}

PUCHAR Bytes(std::string_view text) {
  return reinterpret_cast<PUCHAR>(const_cast<char*>(text.data()));
}

}  // namespace

std::string CngMessageAuth::RandomBytes(std::size_t n) {
  std::string out(n, '\0');
  if (!Succeeded(::BCryptGenRandom(nullptr, Bytes(out), static_cast<ULONG>(n),
                                   BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    return {};
  return out;
}

std::string CngMessageAuth::Code(std::string_view key, std::string_view message) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG)))
    return {};
  std::string out(kCodeBytes, '\0');
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = Succeeded(::BCryptCreateHash(algorithm, &hash, nullptr, 0, Bytes(key),
                                         static_cast<ULONG>(key.size()), 0));
  ok = ok &&
       Succeeded(::BCryptHashData(hash, Bytes(message), static_cast<ULONG>(message.size()), 0));
  ok = ok && Succeeded(::BCryptFinishHash(hash, Bytes(out), static_cast<ULONG>(out.size()), 0));
  if (hash) ::BCryptDestroyHash(hash);
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
  return ok ? out : std::string();
}

bool CngMessageAuth::CodeMatches(std::string_view key, std::string_view message,
                                 std::string_view code) {
  const std::string expected = Code(key, message);
  if (expected.empty() || code.size() != expected.size()) return false;
  // Every byte is looked at, so the time taken tells nothing of the code.
  volatile unsigned char differ = 0;
  for (std::size_t i = 0; i < code.size(); ++i)
    differ = differ | static_cast<unsigned char>(expected[i] ^ code[i]);
  return differ == 0;
}

}  // namespace velnook
