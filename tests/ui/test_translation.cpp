// SPDX-License-Identifier: GPL-3.0-or-later
// The program's texts in English and Chinese: every Chinese text in the
// sources has an English translation, and a window under the English
// translation speaks English where the program's own text is Chinese.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>

#include "WindowHarness.h"
#include "ui/Translation.h"

namespace tangrel::test {
namespace {

// The string literals with a character beyond ASCII in the program's sources.
QStringList ChineseTexts() {
  QStringList texts;
  const QRegularExpression literal(QStringLiteral("\"([^\"\\\\]*[^\\x00-\\x7F][^\"\\\\]*)\""));
  for (const char* folder : {"model", "devices", "recording", "files", "session", "ui", "tools"}) {
    QDirIterator files(QStringLiteral(TANGREL_SOURCE_DIR "/") + QLatin1String(folder),
                       {QStringLiteral("*.cpp"), QStringLiteral("*.h")});
    while (files.hasNext()) {
      QFile file(files.next());
      if (!file.open(QIODevice::ReadOnly)) continue;
      // Literals that continue on the next line are one text.
      const QString source = QString::fromUtf8(file.readAll())
                                 .replace(QRegularExpression(QStringLiteral("\"\\s*\n\\s*\"")),
                                          QString());
      for (const QString& line : source.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("//"))) continue;
        auto found = literal.globalMatch(line);
        while (found.hasNext()) texts << found.next().captured(1);
      }
    }
  }
  return texts;
}

bool IsAscii(const QString& s) {
  return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

TEST(Translation, EveryChineseTextHasItsEnglishMeaning) {
  QTranslator english;
  ASSERT_TRUE(english.load(QStringLiteral(":/i18n/tangrel_en.qm")));
  const QStringList texts = ChineseTexts();
  EXPECT_GE(texts.size(), 10);
  for (const QString& text : texts) {
    const QString translated = english.translate("Tangrel", text.toUtf8().constData());
    EXPECT_FALSE(translated.isEmpty()) << text.toStdString();
    EXPECT_TRUE(IsAscii(translated)) << translated.toStdString();
  }
}

TEST(Translation, AWindowUnderTheEnglishTextsSpeaksEnglish) {
  QTranslator english;
  ASSERT_TRUE(english.load(QStringLiteral(":/i18n/tangrel_en.qm")));
  QCoreApplication::installTranslator(&english);
  Harness h;
  auto window = CreateMainWindow(h.devices, h.messages, h.pictures, "missing.tgi");
  QCoreApplication::removeTranslator(&english);
  ASSERT_FALSE(h.messages.shown.empty());
  EXPECT_EQ(h.messages.shown.back().text, QStringLiteral("Cannot find or open file missing.tgi."));
  EXPECT_EQ(Translated("确定"), QStringLiteral("确定"));  // removed: the texts stand again
}

}  // namespace
}  // namespace tangrel::test
