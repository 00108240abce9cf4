#pragma once
// A power service that only records what it was asked: tests can never
// switch the machine off through it.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/power.h"

namespace velnook {

struct RecordingPower : PowerService {
  std::optional<PowerFailure> EnablePrivilege(PowerAction action) override {
    privilegeChecks.push_back(action);
    return privilegeFailure;
  }
  std::optional<PowerFailure> Request(PowerAction action) override {
    requests.push_back(action);
    return requestFailure;
  }
  void CallWhenResumed(std::function<void()> onResumed) override {
    onResume = std::move(onResumed);
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
    for (auto& f : std::exchange(pendingAnswers, {})) f(allowedAnswer);
    for (auto& f : std::exchange(pendingLists, {})) f(inhibitors);
  }
  void Resume() {  // the wake-up after a sleep
    if (auto f = std::exchange(onResume, nullptr)) f();
  }

  std::vector<PowerAction> privilegeChecks, requests, allowedAsks;
  std::optional<PowerFailure> privilegeFailure, requestFailure;
  std::string allowedAnswer = kPowerAllowed;
  std::vector<Inhibitor> inhibitors;
  std::function<void()> onResume;
  std::vector<std::function<void(std::string)>> pendingAnswers;
  std::vector<std::function<void(std::vector<Inhibitor>)>> pendingLists;
};

}  // namespace velnook
