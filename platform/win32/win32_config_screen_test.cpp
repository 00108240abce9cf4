// The configuration screen in real Win32 windows: typed text reaches the
// model in the ANSI code page, and a character that code page lacks marks
// the field as unstorable (which Save refuses) instead of becoming "?".
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "config/frm_config.h"
#include "config/load_settings.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/win32/win32_windows.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

// The text box of the window that shows |text|.
HWND TextBoxShowing(HWND root, const std::string& text) {
  struct Search {
    std::string text;
    HWND found = nullptr;
  } search{text};
  ::EnumChildWindows(
      root,
      [](HWND h, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        char cls[16] = {}, shown[256] = {};
        ::GetClassNameA(h, cls, sizeof cls);
        ::GetWindowTextA(h, shown, sizeof shown);
        if (::lstrcmpiA(cls, "Edit") == 0 && s->text == shown) s->found = h;
        return s->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Win32Screens, CharactersTheCodePageLacksAreMarkedUnstorable) {
  if (::GetACP() != 1252) GTEST_SKIP() << "needs the Western code page, not " << ::GetACP();
  TempWorkDir dir;
  HeadlessServices hs(dir.Path());
  ASSERT_TRUE(PrepareWorkFolder(hs.files));
  std::vector<std::function<void()>> later;
  Win32Windows windows([&later](std::function<void()> f) { later.push_back(std::move(f)); });
  Services services = Replaced(hs.services, {.windows = &windows});
  SharedState state;
  LoadSettings(state, services);
  FrmConfig screen(services, state, {});
  screen.Open();
  HWND box = TextBoxShowing(static_cast<HWND>(windows.WindowOf(screen)), "dls\\");
  ASSERT_NE(box, nullptr);
  ::SetWindowTextW(box, L"T\u00e9l\u00e9chargements\\");
  EXPECT_EQ(screen.Text("DPathT"),
            "T\xE9l\xE9"
            "chargements\\");
  EXPECT_FALSE(screen.Get("DPathT").unstorable);
  ::SetWindowTextW(box, L"\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438\\");  // Cyrillic
  EXPECT_TRUE(screen.Get("DPathT").unstorable);
  screen.CloseWithoutActions();
  for (auto& f : later) f();
}

}  // namespace
}  // namespace velnook
