// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's client area: the on-screen keyboard, the five buttons,
// the two scroll bars, the toolbar, and the painted status lines, picture and
// labels. Its key, mouse, focus, size and scroll events become calls of the
// session.
#pragma once

#include <QWidget>
#include <array>

#include "session/Layout.h"
#include "session/Session.h"
#include "ui/KeyboardView.h"
#include "ui/Pictures.h"

class QPushButton;
class QScrollBar;
class QToolBar;

namespace tangrel {

// The texts painted on the client area, in painting order.
enum class PaintedText {
  Switch, Device, Track, Hint, Activity, Signature,
  ForceLabel, FreqLabel, ForceValue, FreqValue
};
constexpr int kPaintedTextCount = 10;

class ClientView : public QWidget {
  Q_OBJECT

 public:
  ClientView(const Pictures& pictures, QWidget* parent = nullptr);

  // Events reach the session from here on; `dispatch` runs a command.
  void Attach(Session* session, std::function<void(int32_t)> dispatch);
  // The bars' thumbs where the session's velocity and bend put them.
  void SyncBars();
  // Events go nowhere from here on: the session is about to go, while Qt may
  // still send focus and paint events as the window closes.
  void Detach();

  KeyboardView& Keyboard() { return keyboard_; }
  const KeyboardView& Keyboard() const { return keyboard_; }
  QPushButton* Button(int32_t id) const;
  QScrollBar* ScrollBar(int32_t id) const;
  QToolBar* ToolBar() const { return toolbar_; }
  Session* GetSession() const { return session_; }
  // A painted text and where it stands; empty while no session is attached.
  QString LineText(PaintedText which) const;
  QRect LineRect(PaintedText which) const;
  QString PictureText() const;
  QRect PictureRect() const;
  // The layout's unit: the size of "M" in the window's font.
  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void CreateButtons();
  void CreateScrollBars();
  void CreateToolBar();
  struct PaintedLine {
    PixelPoint at;
    QString text;
  };
  PaintedLine Line(PaintedText which) const;
  void PaintTexts(QPainter& painter, const QRect& dirty) const;
  QString ActivityText() const;
  void RefreshActivity();

  const Pictures& pictures_;
  Session* session_ = nullptr;
  std::function<void(int32_t)> dispatch_;
  KeyboardView keyboard_;
  int charWidth_ = 0;
  int charHeight_ = 0;
  std::array<QPushButton*, kButtonCount> buttons_{};
  QScrollBar* velocityBar_ = nullptr;
  QScrollBar* pitchBendBar_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QString shownActivity_;
};

}  // namespace tangrel
