// Windows and message boxes on real Qt widgets, run by
// velnook_window_faults_test.py on an X server with a window manager: a
// window closed under its own box lives on until its handler has returned,
// and every box shows behind it what was set just before it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/frm_about.h"
#include "config/frm_config.h"
#include "platform/linux/qt_event_loop.h"
#include "platform/linux/qt_message_boxes.h"
#include "platform/linux/qt_test_support.h"
#include "platform/linux/qt_windows.h"
#include "resultslog/log_archive.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

QMessageBox* OpenBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  return nullptr;
}

// Calls whileOpen once a box is up, lets the event loop run, then calls
// afterwards and answers the box the way Escape would.
class BoxWatcher {
 public:
  BoxWatcher(std::function<void(QMessageBox*)> whileOpen,
             std::function<void(QMessageBox*)> afterwards) {
    QObject::connect(&poll_, &QTimer::timeout, [this, whileOpen, afterwards] {
      QMessageBox* box = OpenBox();
      if (!box) return;
      if (stage_++ == 0) {
        whileOpen(box);
        return;  // the next pass comes after the loop has run
      }
      poll_.stop();
      afterwards(box);
      for (auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (QAbstractButton* b = box->button(answer)) {
          b->click();
          break;
        }
    });
    poll_.start(100);
  }

 private:
  QTimer poll_;
  int stage_ = 0;
};

class QtWindowFaultsTest : public ::testing::Test {
 protected:
  QtWindowFaultsTest() : hs(dir.Path()) {
    dir.Write("Log/Velnook.log", "an entry\r\n");
    PrepareAndLoad(hs, state, services);
  }
  static void SetUpTestSuite() { StartTestApplication(); }

  TempWorkDir dir;
  HeadlessServices hs;
  QtWindows windows;
  QtEventLoop loop{[this] { windows.RefreshAll(); }};
  QtMessageBoxes messages{windows};
  Services services = Replaced(
      hs.services, {.clock = &loop, .events = &loop, .messages = &messages, .windows = &windows});
  SharedState state;
  FrmConfig screen{services,
                   state,
                   {.archiveLog =
                        [this] {
                          const ArchiveResult r = ArchiveLogClick(state, services);
                          return LogButtonResult{r.statusCaption, r.startTimer1};
                        },
                    .viewLog = [this] { ViewLogClick(state, services); }}};
};

// The screen's self-close (the monitor's CloseWithoutActions) may fire under
// any box its buttons open: its Archive question, its save messages, its
// View Log error. The window must outlive the box and go once it is answered.
TEST_F(QtWindowFaultsTest, TheConfigurationScreenOutlivesEveryBoxOfItsButtons) {
  hs.launcher.succeed = false;  // no editor: View Log shows its error
  state.StartSwitch = 2;        // save messages: "Invalid Data" for a bad value
  for (const char* button : {"Archive", "Save", "ViewL"}) {
    SCOPED_TRACE(button);
    screen.Open();
    QPointer<QWidget> w = TopLevel("frmConfig");
    ASSERT_NE(w, nullptr);
    if (std::string(button) == "Save") screen.Get("AvTimeT").caption = "31";
    bool aliveUnderTheBox = false, hiddenUnderTheBox = false;
    QString title;
    BoxWatcher watcher([this](QMessageBox*) { screen.CloseWithoutActions(); },
                       [&](QMessageBox* box) {
                         aliveUnderTheBox = !w.isNull();
                         hiddenUnderTheBox = aliveUnderTheBox && !w->isVisible();
                         title = box->windowTitle();
                       });
    QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    EXPECT_FALSE(title.isEmpty()) << "no box opened";
    EXPECT_TRUE(aliveUnderTheBox);
    EXPECT_TRUE(hiddenUnderTheBox);
    EXPECT_FALSE(screen.IsOpen());
    // Gone once the click has returned: nothing is kept for good.
    QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 2000);
  }
}

// About's web address with no browser launcher: "Unable to launch Browser."
// while About's self-close runs out.
TEST_F(QtWindowFaultsTest, AboutOutlivesItsBrowserError) {
  hs.launcher.succeed = false;
  FrmAbout about(services, state);
  about.Open();
  QPointer<QWidget> w = TopLevel("frmAbout");
  ASSERT_NE(w, nullptr);
  bool aliveUnderTheBox = false;
  QString text;
  BoxWatcher watcher([&](QMessageBox*) { about.CloseWithoutActions(); },
                     [&](QMessageBox* box) {
                       aliveUnderTheBox = !w.isNull() && !w->isVisible();
                       text = box->text();
                     });
  QTest::mouseClick(w->findChild<QLabel*>("WebSite"), Qt::LeftButton);
  EXPECT_EQ(text.toStdString(), "Unable to launch Browser.");
  EXPECT_TRUE(aliveUnderTheBox);
  QTRY_VERIFY_WITH_TIMEOUT(w.isNull(), 2000);
}

// A window model whose timer changes its status line just before a box, as
// the countdown's last second does.
class Board : public Form {
 public:
  Board(MessageBoxes& boxes, EventLoop& events)
      : Form("Board"), boxes_(boxes), timer_(events.CreateTimer()) {
    clientWidth = 4500;
    clientHeight = 600;
    caption = "Board";
    Add({.name = "Counter", .kind = ControlKind::Label, .width = 4000, .height = 300});
    Get("Counter").caption = "The Computer Will Power Off In 1s";
    timer_->Start(300, [this] {
      timer_->Stop();
      Get("Counter").caption = "The Computer Will Power Off In 0s";
      boxes_.Show(
          {MsgIcon::None, MsgButtons::Ok, "Velnook Simulate Power Off", "Test Real Power Off"});
    });
  }
  bool Done() const { return !timer_->IsRunning(); }

 private:
  MessageBoxes& boxes_;
  std::unique_ptr<Timer> timer_;
};

TEST_F(QtWindowFaultsTest, AWindowShowsWhatItsTimerSetBeforeABoxOpened) {
  QString behind;
  BoxWatcher watcher(
      [&](QMessageBox*) {
        if (QWidget* w = TopLevel("Board")) behind = w->findChild<QLabel*>("Counter")->text();
      },
      [](QMessageBox*) {});
  Board board(messages, loop);
  windows.Show(board);
  QTRY_VERIFY_WITH_TIMEOUT(!behind.isEmpty(), 5000);
  EXPECT_EQ(behind.toStdString(), "The Computer Will Power Off In 0s");
  windows.Unload(board);
}

}  // namespace
}  // namespace velnook
