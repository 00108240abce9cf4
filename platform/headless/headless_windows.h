#pragma once
// A window system without a display: it records what is shown.

#include <string>
#include <vector>

#include "platform/form.h"

namespace velnook {

class HeadlessWindows : public WindowSystem {
 public:
  void Show(Form& form) override;
  void ShowWithoutActivating(Form& form) override { Show(form); }
  void Hide(Form& form) override;
  void Unload(Form& form) override;
  void Refresh(Form&) override { ++refreshes; }
  void CentreOnScreen(Form&) override { ++centred; }
  void AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) override;
  void RemoveTrayIcon() override { trayIconShown = false; }
  void RequestAttention(Form& form) override { attentionRequests.push_back(&form); }

  bool IsShown(const Form& form) const;
  std::vector<const Form*> shown;
  std::vector<std::string> unloaded;
  bool trayIconShown = false;
  std::string trayTip;
  std::function<void()> trayDoubleClick;
  int refreshes = 0;
  int centred = 0;
  std::vector<const Form*> attentionRequests;
};

}  // namespace velnook
