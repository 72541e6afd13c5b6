// SPDX-License-Identifier: GPL-3.0-or-later
// The program's translation, read by the tool without an application object.
#include "tools/ToolText.h"

#include <QString>
#include <QTranslator>

#include "session/Locale.h"

namespace tangrel {
namespace {

const QTranslator* English() {
  static QTranslator* english = [] {
    auto* translator = new QTranslator;
    if (translator->load(QStringLiteral(":/i18n/tangrel_en.qm"))) return translator;
    delete translator;
    return static_cast<QTranslator*>(nullptr);
  }();
  return english;
}

}  // namespace

std::string ToolText(const char* text) {
  if (IsChineseLocale(MessagesLocale())) return text;
  const QTranslator* english = English();
  const QString translated = english ? english->translate("Tangrel", text) : QString();
  return translated.isEmpty() ? std::string(text) : translated.toStdString();
}

}  // namespace tangrel
