#include "platform/linux/qt_message_boxes.h"

#include <QMessageBox>

#include "platform/linux/qt_text.h"

namespace velnook {

MsgAnswer QtMessageBoxes::Show(const MessageBoxRequest& request) {
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
