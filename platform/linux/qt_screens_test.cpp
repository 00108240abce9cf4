// The configuration screen on real Qt widgets, off screen: keys typed into
// the fields reach the model, Enter on Save writes the file, marks show in
// the labels' colours, and Escape closes the screen like its Close button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/frm_about.h"
#include "config/frm_config.h"
#include "platform/linux/qt_event_loop.h"
#include "platform/linux/qt_folder_chooser.h"
#include "platform/linux/qt_test_support.h"
#include "platform/linux/qt_windows.h"

namespace velnook {
namespace {

class QtScreensTest : public ::testing::Test {
 protected:
  QtScreensTest() : hs(dir.Path()) {
    dir.Write("Log/.keep", "");
    PrepareAndLoad(hs, state, services);
  }
  static void SetUpTestSuite() { StartTestApplication(); }
  void Type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // select all, then overwrite
    // Key by key with the character each one types, as a keyboard of any
    // language sends it (keyClicks knows only ASCII keys).
    for (const QChar ch : text)
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }

  TempWorkDir dir;
  HeadlessServices hs;
  QtWindows windows;
  QtEventLoop loop{[this] { windows.RefreshAll(); }};
  QtFolderChooser folders;
  Services services = Replaced(
      hs.services, {.clock = &loop, .events = &loop, .windows = &windows, .folders = &folders});
  SharedState state;
  FrmConfig screen{services, state, {}};
};

// Picks |folder| in the folder dialog as soon as it shows, as a user would.
void PickWhenTheDialogShows(const QString& folder) {
  auto* poll = new QTimer(QApplication::instance());
  QObject::connect(poll, &QTimer::timeout, [poll, folder] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    dialog->setDirectory(folder);                 // open in it, as a double click does
    QMetaObject::invokeMethod(dialog, "accept");  // what OK does
  });
  poll->start(20);
}

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
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), ShownColour(kDarkGreen));

  // A value out of range: Enter on Save marks its label in orange bold.
  Type(avTime, "31");
  EXPECT_EQ(screen.Text("AvTimeT"), "31");
  save->setFocus();
  QTest::keyClick(save, Qt::Key_Return);
  EXPECT_EQ(status->text(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), ShownColour(kOrange));
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
  EXPECT_EQ(avTimeM->palette().color(QPalette::WindowText), ShownColour(kDarkGreen));

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

double Luminance(const QColor& c) {
  auto linear = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Every text of the window against what it is drawn on: a label's or check
// box's own filled background or its parent's, a field's base, a button's face.
void ExpectReadable(QWidget* window) {
  ASSERT_NE(window, nullptr);
  for (QWidget* w : window->findChildren<QWidget*>()) {
    QString text;
    QPalette::ColorRole fore = QPalette::WindowText, back = QPalette::Window;
    if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    if (auto* c = qobject_cast<QCheckBox*>(w)) text = c->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      text = e->text();
      fore = QPalette::Text, back = QPalette::Base;
    }
    if (auto* b = qobject_cast<QPushButton*>(w)) text = b->text();
    if (auto* c = qobject_cast<QComboBox*>(w)) text = c->currentText();
    if (qobject_cast<QPushButton*>(w) || qobject_cast<QComboBox*>(w))
      fore = QPalette::ButtonText, back = QPalette::Button;
    if (text.isEmpty() || !w->isVisible()) continue;
    QWidget* filled = w;
    if (back == QPalette::Window)
      while (filled != window && !filled->autoFillBackground()) filled = filled->parentWidget();
    const auto group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const double ratio =
        Contrast(w->palette().color(group, fore), filled->palette().color(group, back));
    EXPECT_GE(ratio, 4.5) << window->objectName().toStdString() << " "
                          << w->objectName().toStdString() << ": " << text.toStdString();
  }
}

TEST_F(QtScreensTest, EveryTextReadsUnderALightOrADarkDesktop) {
  const QPalette light = QApplication::palette();
  const QPalette dark(QColor(53, 53, 53), QColor(36, 36, 36));  // button, window
  ASSERT_LT(Luminance(dark.color(QPalette::Window)), 0.05);
  state.settings.AvTime = 31;  // out of range: its hint is marked
  for (const QPalette& desktop : {light, dark}) {
    QApplication::setPalette(desktop);
    screen.Open();
    ExpectReadable(TopLevel("frmConfig"));
    screen.OnCloseRequest();
    FrmAbout about(services, state);
    about.Open();
    about.OnClick("WebSite");  // the visited link's mark
    windows.RefreshAll();
    ExpectReadable(TopLevel("frmAbout"));
    about.OnCloseRequest();
  }
  QApplication::setPalette(light);
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

// Typed or picked in the folder dialog, a folder named in any language is
// saved as it reads.
TEST_F(QtScreensTest, FoldersNamedInAnyLanguageAreTypedPickedAndSaved) {
  screen.Open();
  QWidget* w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  QApplication::setActiveWindow(w);
  auto* dPath = w->findChild<QLineEdit*>("DPathT");
  auto* save = w->findChild<QPushButton*>("Save");
  auto* button = w->findChild<QPushButton*>("DPathB");
  ASSERT_TRUE(dPath && save && button);
  const std::string french =
      "T\xC3\xA9l\xC3\xA9"
      "chargements";
  const std::string russian = "\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8";
  std::filesystem::create_directory(dir.Path() + "/" + french);
  std::filesystem::create_directory(dir.Path() + "/" + russian);
  Type(dPath, QString::fromStdString(french + "\\"));
  EXPECT_EQ(screen.Text("DPathT"), french + "\\");
  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_NE(dir.Read("Data/Velnook.ini").find("\r\nDPath=" + french + "\\\r\n"), std::string::npos);

  EXPECT_EQ(button->text(), "\u2026");
  EXPECT_LT(dPath->geometry().right(), button->geometry().left());  // side by side
  const std::string picked = dir.Path() + "/" + russian + "/";
  PickWhenTheDialogShows(QString::fromStdString(picked));
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(dPath->text().toStdString(), picked);
  EXPECT_TRUE(screen.IsOpen());
  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_NE(dir.Read("Data/Velnook.ini").find("\r\nDPath=" + picked + "\r\n"), std::string::npos);
  screen.OnCloseRequest();
}

}  // namespace
}  // namespace velnook
