// Loading the translation compiled into the program.
#include "ui/Translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include "session/Locale.h"

namespace tangrel {
namespace {

constexpr const char* kContext = "Tangrel";

}  // namespace

bool InstallTranslation(QCoreApplication& app) {
  if (IsChineseLocale(MessagesLocale())) return true;
  auto* english = new QTranslator(&app);
  if (!english->load(QStringLiteral(":/i18n/tangrel_en.qm"))) return false;
  return QCoreApplication::installTranslator(english);
}

QString Translated(const char* text) { return QCoreApplication::translate(kContext, text); }

}  // namespace tangrel
