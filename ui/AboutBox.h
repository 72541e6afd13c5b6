// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: the icon, the product name and version, two notice lines,
// two contact lines, a web address and OK.
#pragma once

#include <QDialog>

namespace tangrel {

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* owner);
};

}  // namespace tangrel
