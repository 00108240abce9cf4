#pragma once
// Name lookups on threads of their own, so that a slow name server never
// holds the window thread. The answers wait until the owner's thread
// collects them; the threads may outlive the owner, so all they touch is
// shared with them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velnook {

class BackgroundLookups {
 public:
  using Addresses = std::vector<std::string>;
  // lookUp runs on the lookup threads; keepAlive lives as long as any of them.
  explicit BackgroundLookups(std::function<Addresses(const std::string&)> lookUp,
                             std::shared_ptr<void> keepAlive = nullptr);
  // Looks name up; wake (may be empty) is called from the lookup thread
  // once the answer waits.
  void Start(const std::string& name, std::function<void(Addresses)> done,
             std::function<void()> wake);
  // Hands waiting answers to their callbacks; true when one was delivered.
  bool Deliver();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velnook
