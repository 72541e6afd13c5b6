// The help window.
#include "ui/HelpWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

namespace tangrel {
namespace {

constexpr const char* kManualFolder = ":/help/";

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QTextBrowser(parent) {
  setWindowTitle(QStringLiteral("Tangrel Help"));
  setOpenExternalLinks(true);  // web addresses go to the desktop's browser
  const QSize screen = QGuiApplication::primaryScreen()->availableSize();
  resize(std::min(screen.width(), 820), std::min(screen.height(), 700));
}

bool HelpWindow::Load(const QString& topic) {
  const QString page = QString::fromLatin1(kManualFolder) + topic;
  if (!QFile::exists(page)) return false;
  setSource(QUrl(QStringLiteral("qrc") + page));
  return true;
}

}  // namespace tangrel
