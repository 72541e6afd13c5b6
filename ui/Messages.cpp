// SPDX-License-Identifier: GPL-3.0-or-later
// The message boxes and file dialogs the program shows.
#include "ui/Messages.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

#include "ui/Translation.h"

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

// Qt's file dialog keeps its last folder, view and history in a settings file
// of its own ("QtProject.conf"), read when it opens and written when it
// closes. The program reads and writes no settings, so Qt's user settings are
// pointed below /dev/null, where no file can be made: the dialog starts from
// the folder the program gives it and writes nothing.
void KeepNoFileDialogSettings() {
  static const bool done = [] {
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
      QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
    }
    return true;
  }();
  (void)done;
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
  KeepNoFileDialogSettings();
  QFileDialog dialog(owner);
  // Qt's own dialog matches the filter's "*.TGI" in any case, as users of
  // the file type expect; desktop dialogs may not.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilter(Translated(request.filter));
  dialog.setDefaultSuffix(QString::fromUtf8(request.defaultSuffix));
  if (!request.startPath.empty()) dialog.selectFile(QString::fromStdString(request.startPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  return ChosenFile{path.toStdString(), QFileInfo(path).fileName().toStdString()};
}

}  // namespace tangrel
