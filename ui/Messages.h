// Message boxes behind a small interface: the window asks for a box, the
// program shows a QMessageBox, tests record what would have been shown.
#pragma once

#include <QString>

class QWidget;

namespace tangrel {

enum class MessageIcon { None, Question, Warning, Error };
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class Messages {
 public:
  virtual ~Messages() = default;
  // Shows a modal box owned by `owner` (may be null) and returns the answer.
  virtual MessageAnswer Show(QWidget* owner, MessageIcon icon, const QString& caption,
                             const QString& text,
                             MessageButtons buttons = MessageButtons::Ok) = 0;
};

// QMessageBox, with the system's alert sound before warning and error boxes.
class BoxMessages : public Messages {
 public:
  MessageAnswer Show(QWidget* owner, MessageIcon icon, const QString& caption,
                     const QString& text, MessageButtons buttons) override;
};

}  // namespace tangrel
