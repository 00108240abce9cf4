#pragma once
// What the tests on real Qt widgets share: one application for the test
// program (off screen unless a platform is named), finding a shown window,
// and a work folder whose settings the screens load.

#include <QApplication>
#include <QWidget>

#include "config/config_file.h"
#include "config/load_settings.h"
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
inline void PrepareWorkFolder(TempWorkDir& dir, HeadlessServices& hs, SharedState& state,
                              Services& services) {
  dir.Write("dls/.keep", "");
  hs.files.CreateFolder("Data");
  ConfigValues v;
  v.DPath = "dls\\";
  v.Port1 = FreeLoopbackPort();
  EXPECT_TRUE(WriteConfigFile(hs.files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{}));
  LoadSettings(state, services);
  hs.admin.administrator = true;
}

}  // namespace velnook
