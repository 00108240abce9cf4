#pragma once
// The configuration screen: a modal window in which the user edits the
// settings. Opening it fills the fields from the running settings, pauses
// the monitor and marks the values out of range; it closes itself after a
// time-out so that the monitor never stays paused for good.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "config/shared_state.h"
#include "platform/form.h"
#include "platform/services.h"

namespace velnook {

// The log levels' names, for the codes 1 to 3.
extern const std::array<const char*, 3> kLogLevelNames;

// The fields as they stood when last filled or saved; Save compares with it.
struct FieldSnapshot {
  std::array<std::string, 10> texts;  // the ten text boxes, in kTextFields order
  std::array<int, 3> checks{};        // DNameT, RunOnTopT, StartMinT
  int logLevelCode = 0, shutTypeCode = 0;
  bool operator==(const FieldSnapshot&) const = default;
};

inline constexpr std::array<const char*, 10> kTextFields = {
    "AvTimeT",  "DownDelayT", "DownLevelT", "DPathT",    "IPAddT",
    "LogNameT", "LogPathT",   "Port1T",     "ShutTimeT", "StartDelayT"};

// What the log buttons leave on the screen.
struct LogButtonResult {
  std::string statusCaption;
  bool startTimer1 = false;
};

// The work the screen hands to the rest of the program.
struct ConfigScreenHooks {
  std::function<void()> reinitialise;  // after Close with a saved change
  std::function<LogButtonResult()> archiveLog;
  std::function<void()> viewLog;
  std::function<void()> openWebSite;  // the logo
};

class FrmConfig : public Form {
 public:
  FrmConfig(Services& services, SharedState& state, ConfigScreenHooks hooks);

  // Loads and shows the screen (the open sequence).
  void Open();
  // Closing by the monitor's time-out: no action of the screen runs.
  void CloseWithoutActions();
  bool IsOpen() const { return open_; }

  void OnClick(const std::string& control) override;
  void OnChange(const std::string& control) override;
  void OnCloseRequest() override;
  void OnActivate() override;

  // The screen's own caption operations.
  void DataLoad();
  void ShowShutTypeHint();
  void ShowAddressKind();
  void ClearHighlights();
  void ApplySlaveLayout();
  FieldSnapshot TakeSnapshot() const;

  // The shown text of a drop-down list; empty with nothing chosen.
  std::string ListText(const std::string& control) const;
  // Shows that entry in the list; a text it does not hold changes nothing.
  void Choose(const std::string& list, const std::string& text);
  bool Checked(const std::string& control) const { return Get(control).value != 0; }
  const std::string& Text(const std::string& control) const { return Get(control).caption; }

  void StartTimer1();  // switches the closing countdown on unless it runs
  void StartTimer2();  // clears Status once, 2 seconds from now
  Timer& Timer1() { return *timer1_; }

  int LogLevelCode = 0;
  int ShutTypeCode = 0;
  FieldSnapshot fieldSnapshot;

 private:
  void Build();
  void ExitConfig();
  void Timer1Tick();
  // The folder chooser, opened at the field's folder, fills the field.
  void ChooseFolderFor(const std::string& field, const std::string& what);
  void Unload();

  Services& services_;
  SharedState& state_;
  ConfigScreenHooks hooks_;
  std::unique_ptr<Timer> timer1_, timer2_;
  bool open_ = false;
};

}  // namespace velnook
