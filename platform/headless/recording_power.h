#pragma once
// A power service that only records what it was asked: tests can never
// switch the machine off through it.

#include <functional>
#include <optional>
#include <string>
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
  // The answers wait until the test delivers them, as a real system's do.
  void AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) override {
    allowedAsks.push_back(action);
    pendingAnswers.push_back(std::move(onAnswer));
  }
  void ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) override {
    pendingLists.push_back(std::move(onList));
  }
  // Delivers allowedAnswer and inhibitors to every question asked so far.
  void Answer() {
    auto answers = std::move(pendingAnswers);
    pendingAnswers.clear();
    for (auto& f : answers) f(allowedAnswer);
    auto lists = std::move(pendingLists);
    pendingLists.clear();
    for (auto& f : lists) f(inhibitors);
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
  std::vector<PowerAction> allowedAsks;
  std::string allowedAnswer = kPowerAllowed;
  std::vector<Inhibitor> inhibitors;
  std::vector<std::function<void(std::string)>> pendingAnswers;
  std::vector<std::function<void(std::vector<Inhibitor>)>> pendingLists;
};

}  // namespace velnook
