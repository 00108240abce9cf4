// The screens on real Qt widgets, off screen: what the user types, clicks
// and picks reaches the models, and every text reads on the fixed palette.
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
#include "platform/linux/qt_test_support.h"
#include "platform/linux/qt_windows.h"

namespace velnook {
namespace {

class QtScreensTest : public QtWidgetsTest {
 protected:
  void Type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // select all, then overwrite
    // Key by key with the character each one types, as a keyboard of any
    // language sends it (keyClicks knows only ASCII keys).
    for (const QChar ch : text)
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
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

double Luminance(const QColor& c) {
  auto linear = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// Every text of the window, at a contrast of 4.5 or more against what it is
// drawn on: its own filled background or its parent's, a field's base, a
// button's face.
void ExpectReadable(QWidget* window) {
  ASSERT_NE(window, nullptr);
  for (QWidget* w : window->findChildren<QWidget*>()) {
    const bool list = qobject_cast<QComboBox*>(w), field = qobject_cast<QLineEdit*>(w);
    const bool button = list || qobject_cast<QPushButton*>(w);
    const QString text = w->property(list ? "currentText" : "text").toString();
    if (text.isEmpty() || !w->isVisible()) continue;
    const auto fore = button ? QPalette::ButtonText : field ? QPalette::Text : QPalette::WindowText;
    const auto back = button ? QPalette::Button : field ? QPalette::Base : QPalette::Window;
    QWidget* filled = w;
    while (back == QPalette::Window && filled != window && !filled->autoFillBackground())
      filled = filled->parentWidget();
    const auto group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const double x = Luminance(w->palette().color(group, fore)),
                 y = Luminance(filled->palette().color(group, back));
    EXPECT_GE((std::max(x, y) + 0.05) / (std::min(x, y) + 0.05), 4.5)
        << window->objectName().toStdString() << " " << w->objectName().toStdString() << ": "
        << text.toStdString();
  }
}

TEST_F(QtScreensTest, EveryTextReadsUnderALightOrADarkDesktop) {
  const QPalette light = QApplication::palette();
  const QPalette dark(QColor(53, 53, 53), QColor(36, 36, 36));  // button, window
  state.settings.AvTime = 31;                                   // out of range: its hint is marked
  for (const QPalette& desktop : {light, dark}) {
    QApplication::setPalette(desktop);
    screen.Open();
    ExpectReadable(TopLevel("frmConfig"));
    auto* mark = TopLevel("frmConfig")->findChild<QLabel*>("AvTimeM");
    EXPECT_EQ(mark->palette().color(QPalette::WindowText), ShownColour(kOrange));
    EXPECT_TRUE(mark->font().bold());
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

// Typed in any language, a folder reaches the model as it reads, as do a
// check box's click and a list's arrow key; a folder picked in the dialog too.
TEST_F(QtScreensTest, TypedClickedAndPickedValuesAreSaved) {
  screen.Open();
  QWidget* w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  QApplication::setActiveWindow(w);
  auto* dPath = w->findChild<QLineEdit*>("DPathT");
  auto* shutName = w->findChild<QComboBox*>("ShutNameT");
  const std::string french =
      "T\xC3\xA9l\xC3\xA9"
      "chargements\\";
  std::filesystem::create_directory(dir.Path() + "/" + french.substr(0, french.size() - 1));
  Type(dPath, QString::fromStdString(french));
  QTest::mouseClick(w->findChild<QCheckBox*>("RunOnTopT"), Qt::LeftButton);
  shutName->setFocus();
  QTest::keyClick(shutName, Qt::Key_Down);
  auto* save = w->findChild<QPushButton*>("Save");
  save->setFocus();
  QTest::keyClick(save, Qt::Key_Enter);
  const std::string file = dir.Read("Data/Velnook.ini");
  for (const std::string& line :
       std::initializer_list<std::string>{"DPath=" + french, "RunOnTop=2", "ShutType=2"})
    EXPECT_NE(file.find("\r\n" + line + "\r\n"), std::string::npos) << line;

  const std::string picked =
      dir.Path() + "/\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8/";
  std::filesystem::create_directory(picked);
  PickWhenTheDialogShows(QString::fromStdString(picked));
  QTest::mouseClick(w->findChild<QPushButton*>("DPathB"), Qt::LeftButton);
  EXPECT_EQ(screen.Text("DPathT"), picked);
  screen.OnCloseRequest();
}

}  // namespace
}  // namespace velnook
