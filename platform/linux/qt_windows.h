#pragma once
// Draws window models with Qt Widgets and forwards the user's actions to
// them; owns the notification icon.

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/form.h"

namespace velnook {

class FormWidget;

class QtWindows : public WindowSystem {
 public:
  QtWindows();
  ~QtWindows() override;
  void Show(Form& form) override;
  void Hide(Form& form) override;
  void Unload(Form& form) override;
  void Refresh(Form& form) override;
  void CentreOnScreen(Form& form) override;
  void AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) override;
  void RemoveTrayIcon() override;

  // Brings every window in line with its model; runs after every event.
  void RefreshAll();

 private:
  FormWidget& WidgetFor(Form& form);
  std::map<Form*, std::unique_ptr<FormWidget>> widgets_;
  struct Tray;
  std::unique_ptr<Tray> tray_;
};

// Pixels from the models' twips at 96 DPI.
constexpr int TwipsToPixels(int twips) {
  return (twips + 7) / 15;
}

}  // namespace velnook
