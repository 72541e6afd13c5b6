// The message boxes the program shows.
#include "ui/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace tangrel {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

MessageAnswer Answer(int button) {
  switch (button) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

}  // namespace

MessageAnswer BoxMessages::Show(QWidget* owner, MessageIcon icon, const QString& caption,
                                const QString& text, MessageButtons buttons) {
  // Warnings and errors come with the alert sound; questions and plain notes
  // are silent.
  if (icon == MessageIcon::Warning || icon == MessageIcon::Error) QApplication::beep();
  QMessageBox box(BoxIcon(icon), caption, text,
                  buttons == MessageButtons::YesNoCancel
                      ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                      : QMessageBox::Ok,
                  owner);
  return Answer(box.exec());
}

}  // namespace tangrel
