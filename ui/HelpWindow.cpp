// SPDX-License-Identifier: GPL-3.0-or-later
// The help window.
#include "ui/HelpWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include "session/Locale.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

// The manual in the language of the program's texts.
QString ManualFolder() {
  return IsChineseLocale(MessagesLocale()) ? QStringLiteral(":/help/zh_CN/")
                                           : QStringLiteral(":/help/");
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowTitle(Translated(QT_TRANSLATE_NOOP("Tangrel", "Tangrel Help")));
  setOpenExternalLinks(true);  // web addresses go to the desktop's browser
  const QSize screen = QGuiApplication::primaryScreen()->availableSize();
  resize(std::min(screen.width(), 820), std::min(screen.height(), 700));
}

bool HelpWindow::Load(const QString& topic) {
  const QString page = ManualFolder() + topic;
  if (!QFile::exists(page)) return false;
  setSource(QUrl(QStringLiteral("qrc") + page));
  return true;
}

}  // namespace tangrel
