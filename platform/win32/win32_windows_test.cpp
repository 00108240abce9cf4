// Win32 windows under a message box: a window unloaded while a box is open
// (here one opened by a timer, outside the window's own events) lives on,
// hidden, until the box is answered, and is destroyed after it.
#include "platform/win32/win32_windows.h"

#include <gtest/gtest.h>

#include "platform/win32/win32_event_loop.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

TEST(Win32Windows, AWindowUnloadedUnderABoxOutlivesIt) {
  Win32Windows* ref = nullptr;
  Win32EventLoop loop([&ref] {
    if (ref) ref->RefreshAll();
  });
  Win32Windows windows([&loop](std::function<void()> f) { loop.RunLater(std::move(f)); });
  ref = &windows;
  Win32MessageBoxes boxes(&windows);
  Form about("frmAbout");
  about.clientWidth = 3000;
  about.clientHeight = 1500;
  windows.Show(about);
  HWND hwnd = static_cast<HWND>(windows.WindowOf(about));
  ASSERT_TRUE(::IsWindow(hwnd));

  bool hiddenUnderTheBox = false;
  int step = 0;
  auto underBox = loop.CreateTimer();
  underBox->Start(100, [&] {
    HWND box = ::FindWindowA(nullptr, "Velnook Error");
    if (!box) return;
    // The monitor's self-close; collection comes later.
    if (step++ == 0) return windows.Unload(about);
    hiddenUnderTheBox = ::IsWindow(hwnd) && !::IsWindowVisible(hwnd);
    underBox->Stop();
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  auto opener = loop.CreateTimer();
  opener->Start(50, [&] {
    opener->Stop();
    boxes.Show({MsgIcon::None, MsgButtons::Ok, "Velnook Error", "Unable to launch Browser."});
    ::PostQuitMessage(0);
  });
  loop.Run(nullptr);
  EXPECT_TRUE(hiddenUnderTheBox);
  EXPECT_FALSE(::IsWindow(hwnd));  // destroyed once the box was answered
}

}  // namespace
}  // namespace velnook
