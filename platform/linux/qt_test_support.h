#pragma once
// One Qt application (off screen unless a platform is named) and the Qt
// backends over a work folder loaded by an administrator (Save enabled).

#include <gtest/gtest.h>

#include <QApplication>

#include "config/load_settings.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/linux/qt_event_loop.h"
#include "platform/linux/qt_folder_chooser.h"
#include "platform/linux/qt_message_boxes.h"
#include "platform/linux/qt_windows.h"

namespace velnook {

class QtWidgetsTest : public ::testing::Test {
 protected:
  QtWidgetsTest() : hs(dir.Path()) {
    EXPECT_TRUE(PrepareWorkFolder(hs.files));
    LoadSettings(state, services);
    hs.admin.administrator = true;
  }
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velnook-qt-test";
    static char* argv[] = {name, nullptr};
    [[maybe_unused]] static auto* app = new QApplication(argc, argv);  // never torn down
  }
  static QWidget* TopLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
  }

  TempWorkDir dir;
  HeadlessServices hs;
  QtWindows windows;
  QtEventLoop loop{[this] { windows.RefreshAll(); }};
  QtMessageBoxes messages{windows};
  QtFolderChooser folders;
  Services services = Replaced(hs.services, {.clock = &loop,
                                             .events = &loop,
                                             .messages = &messages,
                                             .windows = &windows,
                                             .folders = &folders});
  SharedState state;
};

}  // namespace velnook
