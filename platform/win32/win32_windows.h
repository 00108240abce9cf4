#pragma once
// Draws window models as Win32 windows with standard controls and forwards
// the user's actions to them; owns the notification icon.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/counted_hold.h"
#include "platform/form.h"

namespace velnook {

class FormWindow;

class Win32Windows : public WindowSystem {
 public:
  // runLater queues a call for the window thread: a window unloaded from
  // inside its own event is destroyed only after that event.
  explicit Win32Windows(std::function<void(std::function<void()>)> runLater);
  ~Win32Windows() override;
  void Show(Form& form) override;
  void ShowWithoutActivating(Form& form) override;
  void Hide(Form& form) override;
  void Unload(Form& form) override;
  void Refresh(Form& form) override;
  void CentreOnScreen(Form& form) override;
  void AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) override;
  void RemoveTrayIcon() override;
  void RequestAttention(Form& form) override;

  // Brings every window in line with its model; runs after every event.
  void RefreshAll();
  // Brings every window in line with its model and paints it now, so that
  // what a handler set just before a modal box shows behind the box.
  void DrawAll();

  // Keeps every unloaded window alive while the result lives: a box's
  // nested loop may have been entered from outside their own events.
  CountedHold HoldWindows() {
    return CountedHold(holds_, [this] { CollectUnloaded(); });
  }
  // Keyboard navigation (Tab, Enter, Escape) for a message (a MSG*) meant
  // for one of the windows; true when it was handled.
  bool TakeDialogMessage(void* msg);
  // A window that a model is shown in, or nullptr (for tests and owners).
  void* WindowOf(const Form& form) const;

  // Called by the windows themselves.
  void ModalShown(FormWindow& modal, bool shown);
  // Destroys, on a later pass, the unloaded windows no event is inside.
  void CollectUnloaded();
  void TrayCallback(long long mouseMessage);
  // A balloon with title and text from the notification icon; false, and
  // nothing shown, while the icon is not there.
  bool ShowTrayBalloon(const std::string& title, const std::string& text);

  // Logoff or shutdown: ends the program the orderly way; does not return.
  std::function<void()> onSessionEnd;

 private:
  FormWindow& WindowFor(Form& form);
  std::function<void(std::function<void()>)> runLater_;
  std::map<Form*, std::unique_ptr<FormWindow>> windows_;
  std::vector<std::unique_ptr<FormWindow>> unloaded_;
  int holds_ = 0;  // message boxes open
  struct Tray;
  std::unique_ptr<Tray> tray_;
};

}  // namespace velnook
