#pragma once
// Process services: instance lock, priority, environment, and the one way
// the program ends.

#include <cstdlib>
#include <optional>
#include <string>

namespace velnook {

class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when another process already holds a lock of this name. The first
  // call that finds none takes the lock and keeps it for the process's life.
  virtual bool IsAnotherInstance(const std::string& name) = 0;
};

// How the program ends, as scripts and service managers read it from the
// exit status: 0 for a normal end, non-zero after a message that ends it.
enum class EndKind { Normal, Fatal };

class Process {
 public:
  virtual ~Process() = default;
  // Raises thread and process priority where allowed; failures are ignored.
  virtual void RaisePriority() = 0;
  virtual std::optional<std::string> GetEnvironment(const std::string& name) = 0;
  // Ends the program at once, after removing the notification icon when
  // asked.
  [[noreturn]] void EndProgram(bool removeTrayIcon, EndKind kind) {
    End(removeTrayIcon, kind);
    std::abort();  // End never returns, but no compiler sees that through a virtual call
  }

 protected:
  // The system's way of ending, which never returns.
  [[noreturn]] virtual void End(bool removeTrayIcon, EndKind kind) = 0;
};

}  // namespace velnook
