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

namespace velnook {
namespace {

class QtScreensTest : public QtWidgetsTest {
 protected:
  void Type(QWidget* w, const QString& text) {
    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);  // select all, then overwrite
    // Each key with its character, as any keyboard sends it (unlike keyClicks).
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

// Every text of the window at a contrast of 4.5 or more against what it is
// drawn on (a filled background, a field's base, a button's face).
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

TEST_F(QtScreensTest, TextsReadUnderAnyThemeAndInputReachesTheModel) {
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

  // What is typed in any language, clicked, chosen by arrow key or picked in
  // the folder dialog reaches the model.
  screen.Open();
  QWidget* w = TopLevel("frmConfig");
  ASSERT_NE(w, nullptr);
  QApplication::setActiveWindow(w);
  const QString typed = "T\u00e9l\u00e9chargements\\";
  Type(w->findChild<QLineEdit*>("DPathT"), typed);
  EXPECT_EQ(screen.Text("DPathT"), typed.toStdString());
  const int onTop = screen.Get("RunOnTopT").value;
  QTest::mouseClick(w->findChild<QCheckBox*>("RunOnTopT"), Qt::LeftButton);
  EXPECT_NE(screen.Get("RunOnTopT").value, onTop);
  auto* shutName = w->findChild<QComboBox*>("ShutNameT");
  shutName->setFocus();
  QTest::keyClick(shutName, Qt::Key_Down);
  EXPECT_EQ(screen.ListText("ShutNameT"), "Reboot");
  const std::string picked = dir.Path() + "/\u0417\u0430\u0433\u0440\u0443\u0437\u043a\u0438/";
  std::filesystem::create_directory(picked);
  PickWhenTheDialogShows(QString::fromStdString(picked));
  QTest::mouseClick(w->findChild<QPushButton*>("DPathB"), Qt::LeftButton);
  EXPECT_EQ(screen.Text("DPathT"), picked);
  screen.OnCloseRequest();
}

}  // namespace
}  // namespace velnook
