#include "platform/headless/headless_windows.h"

#include <algorithm>

namespace velnook {

void HeadlessWindows::Show(Form& form) {
  if (!IsShown(form)) shown.push_back(&form);
}

void HeadlessWindows::Hide(Form& form) {
  std::erase(shown, &form);
}

void HeadlessWindows::Unload(Form& form) {
  std::erase(shown, &form);
  unloaded.push_back(form.Name());
}

void HeadlessWindows::AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) {
  trayIconShown = true;
  trayTip = tip;
  trayDoubleClick = std::move(onDoubleClick);
}

bool HeadlessWindows::IsShown(const Form& form) const {
  return std::find(shown.begin(), shown.end(), &form) != shown.end();
}

}  // namespace velnook
