// SPDX-License-Identifier: GPL-3.0-or-later
// The help window: the program's manual, compiled in as HTML pages, in a
// browser window of its own.
#pragma once

#include <QTextBrowser>

class QScreen;

namespace tangrel {

class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // Shows a page of the manual; false when the manual does not have it.
  bool Load(const QString& topic);
  // Sizes and places the window on `screen`: as large as it likes to be, or
  // smaller where the screen is, its frame included, and centred.
  void FitTo(const QScreen& screen);
};

}  // namespace tangrel
