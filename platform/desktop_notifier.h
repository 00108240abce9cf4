#pragma once
// Desktop notifications: a message outside the program's own windows that
// reaches the user wherever they look, with a Cancel action.

#include <functional>
#include <string>

namespace velnook {

struct Notice {
  std::string summary;
  std::string body;  // one or more lines
};

class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  // Shows the notice as an urgent one with a Cancel action, or updates the
  // one already shown in place. Once the user has dismissed it, updates are
  // dropped until Close. Without a notification service nothing happens.
  virtual void Show(const Notice& notice) = 0;
  // Takes the notice away; nothing happens when none is shown.
  virtual void Close() = 0;
  // Tells the user something in an ordinary notice of its own, without
  // actions, that the desktop takes away by itself; the notice of Show is
  // left as it is. Without a notification service nothing happens.
  virtual void Tell(const Notice& notice) = 0;
  // Called on the window thread when the user picks Cancel on the notice
  // shown now (never for one already closed).
  virtual void SetCancelHandler(std::function<void()> onCancel) = 0;
};

}  // namespace velnook
