#include "platform/linux/qt_message_boxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "platform/linux/qt_text.h"
#include "platform/linux/qt_windows.h"

namespace velnook {

namespace {

// Room for the frame's icon and its three buttons, and the edges.
constexpr int kTitleBarExtra = 160;

}  // namespace

int BoxWidthForTitle(const QString& title) {
  // The window manager's title font is unknown here; a bold font a size
  // above the desktop's own covers the usual ones.
  QFont font = QApplication::font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() + 1);
  return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtra;
}

MsgAnswer QtMessageBoxes::Show(const MessageBoxRequest& request) {
  windows_.DrawAll();
  const auto hold = windows_.HoldWindows();
  QMessageBox box;
  box.setWindowTitle(ToQt(request.title));
  QString text = ToQt(request.text);
  text.replace("\r\n", "\n");
  box.setText(text);
  switch (request.icon) {
    case MsgIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
  }
  switch (request.buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  // A message box sizes itself by its text alone; a strut across its grid
  // widens it for its title.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const QMargins m = grid->contentsMargins();
    const int strut = BoxWidthForTitle(box.windowTitle()) - m.left() - m.right();
    grid->addItem(new QSpacerItem(strut, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return MsgAnswer::Yes;
    case QMessageBox::No:
      return MsgAnswer::No;
    case QMessageBox::Cancel:
      return MsgAnswer::Cancel;
    default:
      // Closing a Yes/No box by its frame counts as No, never as Yes.
      return request.buttons == MsgButtons::YesNo ? MsgAnswer::No
             : request.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                  : MsgAnswer::Cancel;
  }
}

}  // namespace velnook
