#pragma once
// Modal message boxes with the usual icons and button sets.

#include <string>

namespace velnook {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
  MsgIcon icon = MsgIcon::None;
  MsgButtons buttons = MsgButtons::Ok;
  std::string title;  // Windows-1252 bytes, like every text of the program
  std::string text;   // lines separated by CR LF
  bool operator==(const MessageBoxRequest&) const = default;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MsgAnswer Show(const MessageBoxRequest& request) = 0;
};

}  // namespace velnook
