#include "platform/win32/win32_message_boxes.h"

#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

// Every box stays above the windows that asked for it; a plain box adds nothing else.
TEST(Win32MessageBoxes, EveryBoxStaysOnTop) {
  const auto style = [](MsgIcon i, MsgButtons b) { return MessageBoxStyle({i, b, "t", "x"}); };
  EXPECT_EQ(style(MsgIcon::None, MsgButtons::Ok) & (MB_ICONMASK | MB_TYPEMASK), 0u);
  EXPECT_EQ(style(MsgIcon::Exclamation, MsgButtons::YesNo) & (MB_ICONMASK | MB_TYPEMASK),
            unsigned{MB_ICONEXCLAMATION | MB_YESNO});
  EXPECT_TRUE(style(MsgIcon::Critical, MsgButtons::Ok) & MB_TOPMOST);
}

}  // namespace
}  // namespace velnook
