#pragma once
// A power service that only records what it was asked: tests can never
// switch the machine off through it.

#include <functional>
#include <optional>
#include <vector>

#include "platform/power.h"

namespace velnook {

class RecordingPower : public PowerService {
 public:
  std::optional<PowerFailure> EnablePrivilege(PowerAction action) override {
    privilegeChecks.push_back(action);
    return privilegeFailure;
  }
  std::optional<PowerFailure> Request(PowerAction action) override {
    requests.push_back(action);
    return requestFailure;
  }
  void CallWhenResumed(std::function<void()> onResumed) override {
    resumeCallback = std::move(onResumed);
  }
  // Simulates the wake-up after a sleep.
  void Resume() {
    auto f = std::move(resumeCallback);
    resumeCallback = nullptr;
    if (f) f();
  }

  std::vector<PowerAction> privilegeChecks;
  std::vector<PowerAction> requests;
  std::optional<PowerFailure> privilegeFailure;
  std::optional<PowerFailure> requestFailure;
  std::function<void()> resumeCallback;
};

}  // namespace velnook
