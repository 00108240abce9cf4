#include "platform/win32/win32_message_boxes.h"

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

TEST(Win32MessageBoxes, EachRequestGetsItsIconAndButtonsAndStaysOnTop) {
  const auto style = [](MsgIcon i, MsgButtons b) { return MessageBoxStyle({i, b, "t", "x"}); };
  EXPECT_EQ(style(MsgIcon::None, MsgButtons::Ok) & (MB_ICONMASK | MB_TYPEMASK), 0u);
  EXPECT_EQ(style(MsgIcon::Critical, MsgButtons::Ok) & MB_ICONMASK, unsigned{MB_ICONHAND});
  EXPECT_EQ(style(MsgIcon::Question, MsgButtons::YesNo) & MB_ICONMASK, unsigned{MB_ICONQUESTION});
  EXPECT_EQ(style(MsgIcon::Exclamation, MsgButtons::YesNo) & MB_ICONMASK,
            unsigned{MB_ICONEXCLAMATION});
  EXPECT_EQ(style(MsgIcon::Information, MsgButtons::Ok) & MB_ICONMASK, unsigned{MB_ICONASTERISK});
  EXPECT_EQ(style(MsgIcon::None, MsgButtons::OkCancel) & MB_TYPEMASK, unsigned{MB_OKCANCEL});
  EXPECT_EQ(style(MsgIcon::None, MsgButtons::YesNo) & MB_TYPEMASK, unsigned{MB_YESNO});
  EXPECT_EQ(style(MsgIcon::None, MsgButtons::YesNoCancel) & MB_TYPEMASK, unsigned{MB_YESNOCANCEL});
  EXPECT_TRUE(style(MsgIcon::Critical, MsgButtons::Ok) & MB_TOPMOST);
}

}  // namespace
}  // namespace velnook
