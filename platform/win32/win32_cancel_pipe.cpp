#include "platform/win32/win32_cancel_pipe.h"

#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

constexpr DWORD kClientTimeoutMs = 5000;

std::string SidTextOf(HANDLE token) {
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::string text;
  char* sid = nullptr;
  if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    text = sid;
    ::LocalFree(sid);
  }
  return text;
}

// The user a process runs as, as "S-1-5-…"; empty when it cannot be told.
std::string SidTextOfProcess(ULONG pid) {
  HANDLE process = pid == ::GetCurrentProcessId()
                       ? ::GetCurrentProcess()
                       : ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return "";
  HANDLE token = nullptr;
  std::string text;
  if (::OpenProcessToken(process, TOKEN_QUERY, &token)) {
    text = SidTextOf(token);
    ::CloseHandle(token);
  }
  if (pid != ::GetCurrentProcessId()) ::CloseHandle(process);
  return text;
}

std::string OwnSidText() {
  return SidTextOfProcess(::GetCurrentProcessId());
}

// One overlapped read or write, given up after timeoutMs.
bool Transfer(HANDLE pipe, bool write, char* data, DWORD size, DWORD timeoutMs, DWORD& done) {
  OVERLAPPED o{};
  o.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  BOOL ok = write ? ::WriteFile(pipe, data, size, nullptr, &o)
                  : ::ReadFile(pipe, data, size, nullptr, &o);
  if (!ok && ::GetLastError() == ERROR_IO_PENDING &&
      ::WaitForSingleObject(o.hEvent, timeoutMs) != WAIT_OBJECT_0)
    ::CancelIo(pipe);
  ok = ::GetOverlappedResult(pipe, &o, &done, TRUE);
  ::CloseHandle(o.hEvent);
  return ok && done > 0;
}

void ServeClient(HANDLE pipe, const std::string& sid,
                 const std::function<void(std::function<void()>)>& runLater,
                 const std::function<CancelAnswer()>& onCancel) {
  ULONG pid = 0;
  if (!::GetNamedPipeClientProcessId(pipe, &pid) || SidTextOfProcess(pid) != sid) return;
  std::string received;
  const std::string request = kCancelRequest;
  char buffer[64];
  DWORD n = 0;
  while (received.size() < request.size() &&
         Transfer(pipe, false, buffer, sizeof buffer, kClientTimeoutMs, n))
    received.append(buffer, n);
  if (received != request) return;
  std::promise<CancelAnswer> answer;
  runLater([&answer, &onCancel] { answer.set_value(onCancel()); });
  std::string line = CancelAnswerLine(answer.get_future().get());
  Transfer(pipe, true, line.data(), static_cast<DWORD>(line.size()), kClientTimeoutMs, n);
  // Disconnecting drops what the client has not read yet: wait until it hangs up.
  Transfer(pipe, false, buffer, sizeof buffer, kClientTimeoutMs, n);
}

}  // namespace

std::string CancelPipeName(unsigned long pid) {
  const std::string sid = OwnSidText();
  return sid.empty() ? "" : "\\\\.\\pipe\\Velnook-" + sid + "-cancel-" + std::to_string(pid);
}

std::string ServeCancelPipe(const std::string& name,
                            std::function<void(std::function<void()>)> runLater,
                            std::function<CancelAnswer()> onCancel) {
  const std::string sid = OwnSidText();
  if (name.empty() || sid.empty()) return "the user cannot be told";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
  const std::string onlyThisUser = "D:P(A;;GA;;;" + sid + ")";
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(onlyThisUser.c_str(), SDDL_REVISION_1,
                                                              &sa.lpSecurityDescriptor, nullptr))
    return "no security descriptor";
  // The first instance of the name: a pipe of that name made by anybody
  // else makes this fail instead of letting them pose as us.
  HANDLE pipe = ::CreateNamedPipeA(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 512, 512, 0,
      &sa);
  const DWORD error = ::GetLastError();
  ::LocalFree(sa.lpSecurityDescriptor);
  if (pipe == INVALID_HANDLE_VALUE)
    return "the pipe cannot be made (error " + std::to_string(error) + ")";
  std::thread([pipe, sid, runLater = std::move(runLater), onCancel = std::move(onCancel)] {
    for (;;) {
      OVERLAPPED o{};
      o.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
      DWORD unused = 0;
      const bool connected = ::ConnectNamedPipe(pipe, &o) ? true
                             : ::GetLastError() == ERROR_PIPE_CONNECTED
                                 ? true
                                 : ::GetLastError() == ERROR_IO_PENDING &&
                                       ::GetOverlappedResult(pipe, &o, &unused, TRUE);
      ::CloseHandle(o.hEvent);
      if (connected) ServeClient(pipe, sid, runLater, onCancel);
      ::DisconnectNamedPipe(pipe);
    }
  }).detach();  // ends with the program
  return "";
}

CancelOutcome RequestCancelOverPipe(const std::string& name, int timeoutMs) {
  if (name.empty()) return NobodyToAsk();
  HANDLE pipe = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_PIPE_BUSY &&
      ::WaitNamedPipeA(name.c_str(), static_cast<DWORD>(timeoutMs)))
    pipe = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return NobodyToAsk();
  ULONG server = 0;
  if (!::GetNamedPipeServerProcessId(pipe, &server) || SidTextOfProcess(server) != OwnSidText()) {
    ::CloseHandle(pipe);
    return NobodyToAsk();
  }
  std::string request = kCancelRequest;
  DWORD n = 0;
  std::string received;
  if (Transfer(pipe, true, request.data(), static_cast<DWORD>(request.size()),
               static_cast<DWORD>(timeoutMs), n)) {
    char buffer[512];
    while (received.find('\n') == std::string::npos && received.size() < 4096 &&
           Transfer(pipe, false, buffer, sizeof buffer, static_cast<DWORD>(timeoutMs), n))
      received.append(buffer, n);
  }
  ::CloseHandle(pipe);
  return OutcomeOfReply(received);
}

std::vector<CancelOutcome> RequestCancelOfAllOverPipes(int timeoutMs) {
  std::vector<CancelOutcome> outcomes;
  const std::string prefix = CancelPipeName(0);
  if (prefix.empty()) return outcomes;
  const std::string stem = prefix.substr(0, prefix.size() - 1);  // without the "0"
  // Pipes cannot be listed everywhere, processes can: a name for each, and
  // only the few that serve one answer.
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return outcomes;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more;
       more = ::Process32Next(snapshot, &entry)) {
    const std::string name = stem + std::to_string(entry.th32ProcessID);
    if (::WaitNamedPipeA(name.c_str(), NMPWAIT_USE_DEFAULT_WAIT) ||
        ::GetLastError() != ERROR_FILE_NOT_FOUND)
      outcomes.push_back(RequestCancelOverPipe(name, timeoutMs));
  }
  ::CloseHandle(snapshot);
  return outcomes;
}

}  // namespace velnook
