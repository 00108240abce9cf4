// The configuration screen on real Qt widgets, off screen: keys typed into
// the fields reach the model, Enter on Save writes the file, marks show in
// the labels' colours, and Escape closes the screen like its Close button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/frm_about.h"
#include "config/frm_config.h"
#include "platform/linux/qt_event_loop.h"
#include "platform/linux/qt_test_support.h"
#include "platform/linux/qt_windows.h"

namespace velnook {
namespace {

class QtScreensTest : public ::testing::Test {
 protected:
  QtScreensTest() : hs(dir.Path()) {
    dir.Write("Log/.keep", "");
    PrepareWorkFolder(dir, hs, state, services);
  }
  static void SetUpTestSuite() { StartTestApplication(); }
  void Type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // select all, then overwrite
    QTest::keyClicks(w, text);
  }

  TempWorkDir dir;
  HeadlessServices hs;
  QtWindows windows;
  QtEventLoop loop{[this] { windows.RefreshAll(); }};
  Services services{loop,       loop,       hs.messages, hs.files,     hs.lock,
                    hs.process, windows,    hs.launcher, hs.power,     hs.udp,
                    hs.admin,   hs.tracker, hs.folders,  LocaleInfo{}, hs.notifier};
  SharedState state;
  FrmConfig screen{services, state, {}};
};

TEST_F(QtScreensTest, TypedValuesAreSavedAndMarksShow) {
  screen.Open();
  QWidget* w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Velnook Configuration");
  EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
  QApplication::setActiveWindow(w);

  auto* avTime = w->findChild<QLineEdit*>("AvTimeT");
  auto* logName = w->findChild<QLineEdit*>("LogNameT");
  auto* runOnTop = w->findChild<QCheckBox*>("RunOnTopT");
  auto* shutName = w->findChild<QComboBox*>("ShutNameT");
  auto* save = w->findChild<QPushButton*>("Save");
  auto* avTimeM = w->findChild<QLabel*>("AvTimeM");
  auto* status = w->findChild<QLabel*>("Status");
  ASSERT_TRUE(avTime && logName && runOnTop && shutName && save && avTimeM && status);
  EXPECT_EQ(avTime->text(), "5");
  EXPECT_EQ(shutName->currentText(), "Power Off");
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), QColor(0, 102, 0));

  // A value out of range: Enter on Save marks its label in orange bold.
  Type(avTime, "31");
  EXPECT_EQ(screen.Text("AvTimeT"), "31");
  save->setFocus();
  QTest::keyClick(save, Qt::Key_Return);
  EXPECT_EQ(status->text(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), QColor(255, 128, 0));
  EXPECT_TRUE(avTimeM->font().bold());

  // Tab goes from one field to the next in screen order.
  avTime->setFocus();
  QTest::keyClick(avTime, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w->findChild<QWidget*>("DownDelayT"));

  Type(avTime, "12");
  Type(logName, "Results.log");
  QTest::mouseClick(runOnTop, Qt::LeftButton);
  shutName->setFocus();
  QTest::keyClick(shutName, Qt::Key_Down);  // "Reboot" follows "Power Off"
  EXPECT_EQ(screen.ListText("ShutNameT"), "Reboot");
  save->setFocus();
  QTest::keyClick(save, Qt::Key_Enter);
  EXPECT_EQ(status->text(), "Changes Saved - Click Close To Activate The Changes");
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), QColor(0, 102, 0));

  const std::string file = dir.Read("Data/Velnook.ini");
  for (const char* line : {"\r\nAvTime=12\r\n", "\r\nLogName=Results.log\r\n", "\r\nRunOnTop=2\r\n",
                           "\r\nShutType=2\r\n"})
    EXPECT_NE(file.find(line), std::string::npos) << line;
  EXPECT_TRUE(state.ConfigChanged);

  // Escape closes the screen the way Close does.
  QTest::keyClick(avTime, Qt::Key_Escape);
  EXPECT_FALSE(screen.IsOpen());
  EXPECT_FALSE(state.ScreenOpen);
  EXPECT_EQ(TopLevel("frmConfig"), nullptr);
}

TEST_F(QtScreensTest, ASlavesRateFieldsTakeNoTyping) {
  state.settings.CMain = 2;
  state.settings.IPAdd = "127.0.0.1";
  screen.Open();
  QWidget* w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  QApplication::setActiveWindow(w);
  auto* avTime = w->findChild<QLineEdit*>("AvTimeT");
  EXPECT_TRUE(avTime->isReadOnly());
  EXPECT_TRUE(avTime->isEnabled());
  Type(avTime, "9");
  EXPECT_EQ(avTime->text(), "5");
  EXPECT_EQ(w->findChild<QLabel*>("DownDelayL")->text(), "Lost Comms Delay");
  screen.OnCloseRequest();
}

TEST_F(QtScreensTest, TheFrameAndEscapeCloseAboutAsItsButtonDoes) {
  FrmAbout about(services, state);
  about.Open();
  QWidget* w = TopLevel("frmAbout");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "About Velnook");
  EXPECT_TRUE(state.ScreenOpen);
  w->close();  // the window frame's close box
  EXPECT_FALSE(state.ScreenOpen);
  EXPECT_EQ(TopLevel("frmAbout"), nullptr);

  about.Open();
  w = TopLevel("frmAbout");
  ASSERT_NE(w, nullptr);
  QTest::keyClick(w, Qt::Key_Escape);
  EXPECT_FALSE(state.ScreenOpen);
  EXPECT_FALSE(about.IsOpen());
}

}  // namespace
}  // namespace velnook
