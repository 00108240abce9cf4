#include "platform/win32/win32_message_boxes.h"

#include "platform/win32/win32_windows.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

// The MessageBoxA style for a request: icon, buttons, topmost.
unsigned MessageBoxStyle(const MessageBoxRequest& request) {
  unsigned style = MB_TOPMOST | MB_SETFOREGROUND;
  switch (request.icon) {
    case MsgIcon::None:
      break;
    case MsgIcon::Critical:
      style |= MB_ICONHAND;
      break;
    case MsgIcon::Question:
      style |= MB_ICONQUESTION;
      break;
    case MsgIcon::Exclamation:
      style |= MB_ICONEXCLAMATION;
      break;
    case MsgIcon::Information:
      style |= MB_ICONASTERISK;
      break;
  }
  switch (request.buttons) {
    case MsgButtons::Ok:
      style |= MB_OK;
      break;
    case MsgButtons::OkCancel:
      style |= MB_OKCANCEL;
      break;
    case MsgButtons::YesNo:
      style |= MB_YESNO;
      break;
    case MsgButtons::YesNoCancel:
      style |= MB_YESNOCANCEL;
      break;
  }
  return style;
}

MsgAnswer ShowBox(const MessageBoxRequest& request) {
  // Owned by the active window, so input to the program's windows waits
  // for the answer while timers go on.
  switch (::MessageBoxA(::GetActiveWindow(), request.text.c_str(), request.title.c_str(),
                        MessageBoxStyle(request))) {
    case IDYES:
      return MsgAnswer::Yes;
    case IDNO:
      return MsgAnswer::No;
    case IDCANCEL:
      return MsgAnswer::Cancel;
    default:
      return MsgAnswer::Ok;
  }
}

}  // namespace

MsgAnswer Win32MessageBoxes::Show(const MessageBoxRequest& request) {
  if (windows_) {
    windows_->DrawAll();
    const auto hold = windows_->HoldWindows();
    return ShowBox(request);
  }
  return ShowBox(request);
}

}  // namespace velnook
