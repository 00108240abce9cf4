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

// The window that shows |text|.
HWND WindowShowing(HWND root, const std::string& text) {
  std::pair<std::string, HWND> search{text, nullptr};
  const auto match = [](HWND h, LPARAM p) -> BOOL {
    auto* s = reinterpret_cast<std::pair<std::string, HWND>*>(p);
    char shown[256] = {};
    ::GetWindowTextA(h, shown, sizeof shown);
    if (s->first == shown) s->second = h;
    return s->second == nullptr;
  };
  ::EnumChildWindows(root, match, reinterpret_cast<LPARAM>(&search));
  return search.second;
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
  hs.admin.administrator = true;
  FrmConfig screen(services, state, {});
  screen.Open();
  HWND box = WindowShowing(static_cast<HWND>(windows.WindowOf(screen)), "dls\\");
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
