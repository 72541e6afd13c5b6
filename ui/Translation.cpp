// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the translations compiled into the program, and Qt's own.
#include "ui/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "session/Locale.h"
#include "session/Texts.h"

namespace tangrel {
namespace {

constexpr const char* kContext = "Tangrel";
constexpr const char* kTranslatorName = "tangrel-translation";

bool Install(QCoreApplication& app, const QString& file, const QString& folder = {}) {
  auto* translator = new QTranslator(&app);
  translator->setObjectName(QLatin1String(kTranslatorName));
  if (translator->load(file, folder) && QCoreApplication::installTranslator(translator))
    return true;
  delete translator;
  return false;
}

// "zh_TW.UTF-8@variant" -> "zh_TW".
QString LanguageOf(const char* locale) {
  return QString::fromLatin1(locale)
      .section(QLatin1Char('.'), 0, 0)
      .section(QLatin1Char('@'), 0, 0);
}

// Qt's texts for its file dialogs and message box buttons, from the
// translations installed with Qt: the locale's own, else Simplified Chinese,
// the language of the program's texts.
void InstallQtChinese(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  QString language = LanguageOf(MessagesLocale());
  if (language == QLatin1String("zh")) language = QStringLiteral("zh_CN");
  if (!Install(app, QStringLiteral("qtbase_") + language, folder)) {
    Install(app, QStringLiteral("qtbase_zh_CN"), folder);
  }
}

}  // namespace

bool InstallTranslation(QCoreApplication& app) {
  SetTextLookup([](const char* text) { return Translated(text).toStdString(); });
  if (IsChineseLocale(MessagesLocale())) {
    InstallQtChinese(app);
    return Install(app, QStringLiteral(":/i18n/tangrel_zh_CN.qm"));
  }
  return Install(app, QStringLiteral(":/i18n/tangrel_en.qm"));
}

void RemoveTranslation(QCoreApplication& app) {
  for (QTranslator* translator : app.findChildren<QTranslator*>(QLatin1String(kTranslatorName))) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  SetTextLookup(nullptr);
}

QString Translated(const char* text) { return QCoreApplication::translate(kContext, text); }

}  // namespace tangrel
