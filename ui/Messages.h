// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and file dialogs behind a small interface: the window asks,
// the program shows a QMessageBox or a QFileDialog, tests answer from a script.
#pragma once

#include <QString>
#include <optional>

#include "session/Screen.h"

class QWidget;

namespace tangrel {

class Messages {
 public:
  virtual ~Messages() = default;
  // Shows a modal box owned by `owner` (may be null) and returns the answer.
  virtual MessageAnswer Show(QWidget* owner, MessageIcon icon, const QString& caption,
                             const QString& text,
                             MessageButtons buttons = MessageButtons::Ok) = 0;
  // The Open or Save As dialog; nothing when it is cancelled.
  virtual std::optional<ChosenFile> AskFileName(QWidget* owner, const FileRequest& request) = 0;
};

// QMessageBox and QFileDialog.
class BoxMessages : public Messages {
 public:
  MessageAnswer Show(QWidget* owner, MessageIcon icon, const QString& caption,
                     const QString& text, MessageButtons buttons) override;
  std::optional<ChosenFile> AskFileName(QWidget* owner, const FileRequest& request) override;
};

}  // namespace tangrel
