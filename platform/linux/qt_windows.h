#pragma once
// Draws window models with Qt Widgets and forwards the user's actions to
// them; owns the notification icon.

#include <QColor>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/counted_hold.h"
#include "platform/form.h"

namespace velnook {

class FormWidget;

class QtWindows : public WindowSystem {
 public:
  QtWindows();
  ~QtWindows() override;
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
  // Runs one event of a window, then refreshes them all. A window unloaded
  // meanwhile lives on, hidden, until the outermost event has returned.
  void Dispatch(const std::function<void()>& event);

  // Keeps every unloaded window alive while the result lives: a nested
  // event loop (a message box) may have been entered from their handlers.
  CountedHold HoldWindows() {
    return CountedHold(holds_, [this] { CollectUnloaded(); });
  }

 private:
  FormWidget& WidgetFor(Form& form);
  void CollectUnloaded();
  std::map<Form*, std::unique_ptr<FormWidget>> widgets_;
  std::vector<std::unique_ptr<FormWidget>> unloaded_;
  int holds_ = 0;  // events and boxes in progress
  struct Tray;
  std::unique_ptr<Tray> tray_;
};

// How a colour of the models is drawn: as given, or adapted so that text
// stays readable.
QColor ShownColour(Colour c);

}  // namespace velnook
