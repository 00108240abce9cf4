#pragma once
// What the tests on real Qt widgets share: one application for the test
// program (off screen unless a platform is named), finding a shown window,
// and a work folder whose settings the screens load.

#include <QApplication>
#include <QWidget>

#include "config/load_settings.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

inline void StartTestApplication() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "velnook-qt-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

inline QWidget* TopLevel(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == name && w->isVisible()) return w;
  return nullptr;
}

// Default settings with the download folder "dls" and a free port, loaded;
// the user counts as an administrator, so Save is enabled.
inline void PrepareAndLoad(HeadlessServices& hs, SharedState& state, Services& services) {
  EXPECT_TRUE(PrepareWorkFolder(hs.files));
  LoadSettings(state, services);
  hs.admin.administrator = true;
}

}  // namespace velnook
