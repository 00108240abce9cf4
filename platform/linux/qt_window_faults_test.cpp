// Windows under message boxes on real Qt widgets, run by
// velnook_window_faults_test.py under a window manager: a window closed
// under its own box lives on until the box is answered, and a box shows
// behind it what was set just before it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "config/frm_config.h"
#include "platform/linux/qt_test_support.h"
#include "platform/linux/qt_windows.h"

namespace velnook {
namespace {

// Calls whileOpen once a box is up, lets the event loop run, then calls
// afterwards and answers the box the way Escape would.
class BoxWatcher {
 public:
  BoxWatcher(std::function<void()> whileOpen, std::function<void()> afterwards) {
    QObject::connect(&poll_, &QTimer::timeout, [this, whileOpen, afterwards] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          if (stage_++ == 0) return whileOpen();  // the next pass comes after the loop has run
          poll_.stop();
          afterwards();
          return box->reject();
        }
    });
    poll_.start(100);
  }

 private:
  QTimer poll_;
  int stage_ = 0;
};

using QtWindowFaultsTest = QtWidgetsTest;

// The screen's self-close (the monitor's CloseWithoutActions) may fire under
// a box its buttons open: the window must outlive the box, hidden, and go
// once it is answered.
TEST_F(QtWindowFaultsTest, TheConfigurationScreenOutlivesABoxOfItsButtons) {
  FrmConfig screen{services, state, {}};
  state.StartSwitch = 2;  // save messages: "Invalid Data" for a bad value
  screen.Open();
  QPointer<QWidget> w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  screen.Get("AvTimeT").caption = "31";
  bool hiddenUnderTheBox = false;
  BoxWatcher watcher([&] { screen.CloseWithoutActions(); },
                     [&] { hiddenUnderTheBox = !w.isNull() && !w->isVisible(); });
  QTest::mouseClick(w->findChild<QPushButton*>("Save"), Qt::LeftButton);
  EXPECT_TRUE(hiddenUnderTheBox);
  EXPECT_FALSE(screen.IsOpen());
  QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 2000);  // nothing is kept for good
}

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
  QString behind;
  BoxWatcher watcher([&] { behind = TopLevel("Board")->findChild<QLabel*>("Counter")->text(); },
                     [] {});
  windows.Show(board);
  QTRY_VERIFY_WITH_TIMEOUT(!behind.isEmpty(), 5000);
  EXPECT_EQ(behind, "In 0s");
  windows.Unload(board);
}

}  // namespace
}  // namespace velnook
