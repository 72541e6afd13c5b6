// The message boxes and file dialogs the program shows.
#include "ui/Messages.h"

#include <QFileDialog>
#include <QFileInfo>
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
  QMessageBox box(BoxIcon(icon), caption, text,
                  buttons == MessageButtons::YesNoCancel
                      ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                      : QMessageBox::Ok,
                  owner);
  const int button = box.exec();
  // A box whose loop was ended from outside (a signal, the end of the
  // session) was answered by nobody: that keeps everything, never throws away.
  if (!box.clickedButton()) {
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
  }
  return Answer(button);
}

std::optional<ChosenFile> BoxMessages::AskFileName(QWidget* owner, const FileRequest& request) {
  QFileDialog dialog(owner);
  // Qt's own dialog matches the filter's "*.TGI" in any case, as users of
  // the file type expect; desktop dialogs may not.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromUtf8(request.filter));
  dialog.setDefaultSuffix(QString::fromUtf8(request.defaultSuffix));
  if (!request.startPath.empty()) dialog.selectFile(QString::fromStdString(request.startPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  return ChosenFile{path.toStdString(), QFileInfo(path).fileName().toStdString()};
}

}  // namespace tangrel
