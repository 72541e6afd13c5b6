// SPDX-License-Identifier: GPL-3.0-or-later
// The help window.
#include "ui/HelpWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QUrl>
#include <algorithm>

#include "session/Locale.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

// The manual in the language of the program's texts.
QString ManualFolder() {
  return IsChineseLocale(MessagesLocale()) ? QStringLiteral(":/help/zh_CN/")
                                           : QStringLiteral(":/help/");
}

constexpr QSize kPreferredSize{820, 700};
// Room for a title bar and borders, which the window system adds only once the
// window shows: generous enough for the common desktops' decorations.
constexpr QSize kFrameAllowance{16, 48};

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowTitle(Translated(QT_TRANSLATE_NOOP("Tangrel", "Tangrel Help")));
  setOpenExternalLinks(true);  // web addresses go to the desktop's browser
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
  }
  FitTo(*QGuiApplication::primaryScreen());
}

void HelpWindow::FitTo(const QScreen& screen) {
  const QRect available = screen.availableGeometry();
  const QSize size = kPreferredSize.boundedTo(available.size() - kFrameAllowance);
  resize(size);
  // A window's position is its frame's.
  const QSize framed = size + kFrameAllowance;
  move(available.topLeft() + QPoint(std::max(0, (available.width() - framed.width()) / 2),
                                    std::max(0, (available.height() - framed.height()) / 2)));
}

bool HelpWindow::Load(const QString& topic) {
  const QString page = ManualFolder() + topic;
  if (!QFile::exists(page)) return false;
  setSource(QUrl(QStringLiteral("qrc") + page));
  return true;
}

}  // namespace tangrel
