// Message boxes over real Qt windows, run by velnook_window_faults_test.py
// under a window manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/linux/qt_test_support.h"

namespace velnook {
namespace {

using QtWindowFaultsTest = QtWidgetsTest;

// A timer that changes a label just before a box, as the countdown's last
// second does: the box must not hide the change behind it.
TEST_F(QtWindowFaultsTest, AWindowShowsWhatItsTimerSetBeforeABoxOpened) {
  Form board("Board");
  board.clientWidth = 4500;
  board.clientHeight = 600;
  board.Add({.name = "Counter", .kind = ControlKind::Label, .width = 4000, .height = 300});
  board.Get("Counter").caption = "In 1s";
  auto timer = loop.CreateTimer();
  timer->Start(300, [&] {
    timer->Stop();
    board.Get("Counter").caption = "In 0s";
    messages.Show({MsgIcon::None, MsgButtons::Ok, "Velnook", "Test Real Power Off"});
  });
  QString behind;  // read once the box is up, which is then answered
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        behind = TopLevel("Board")->findChild<QLabel*>("Counter")->text();
        box->reject();
      }
  });
  poll.start(100);
  windows.Show(board);
  QTRY_VERIFY_WITH_TIMEOUT(!behind.isEmpty(), 5000);
  EXPECT_EQ(behind, "In 0s");
  windows.Unload(board);
}

}  // namespace
}  // namespace velnook
