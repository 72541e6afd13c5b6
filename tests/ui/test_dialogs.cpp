// SPDX-License-Identifier: GPL-3.0-or-later
// The real message boxes and file dialogs: what they leave behind and the
// language they speak.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDirIterator>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "WindowHarness.h"
#include "session/CommandIds.h"
#include "session/Instruments.h"
#include "ui/ClientView.h"
#include "ui/HelpWindow.h"
#include "ui/Messages.h"
#include "ui/Translation.h"

namespace tangrel::test {
namespace {

// Closes the next modal dialog as soon as it is shown, after `look` has seen it.
void CloseNextDialog(std::function<void(QWidget*)> look = {}) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, look] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      if (look) look(dialog);
      dialog->reject();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

QStringList FilesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) files << it.next();
  return files;
}

TEST(Dialogs, TheFileDialogsWriteNoSettings) {
  const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  ASSERT_FALSE(config.isEmpty());
  BoxMessages boxes;
  for (bool save : {true, false}) {
    CloseNextDialog();
    EXPECT_FALSE(boxes.AskFileName(nullptr, {save, "TGI Files(*.TGI)", "tgi", ""}));
  }
  EXPECT_EQ(FilesUnder(config).join(QStringLiteral(", ")).toStdString(), "");
}

bool IsChinese(const QString& text) {
  return std::any_of(text.begin(), text.end(),
                     [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

// The texts of the buttons and labels of the next dialog a request shows.
QStringList DialogTexts(const std::function<void()>& request) {
  QStringList texts;
  CloseNextDialog([&texts](QWidget* dialog) {
    for (auto* button : dialog->findChildren<QAbstractButton*>()) {
      if (button->isVisible() && !button->text().isEmpty()) texts << button->text();
    }
    for (auto* label : dialog->findChildren<QLabel*>()) {
      if (label->isVisible() && !label->text().isEmpty()) texts << label->text();
    }
  });
  request();
  return texts;
}

// The menu titles, two items, the buttons, the drum track's kit line, the
// manual's window and first page, a question box and the Save As dialog,
// under the locale.
QStringList WindowTexts(const char* locale) {
  setenv("LC_ALL", locale, 1);
  EXPECT_TRUE(InstallTranslation(*qApp));
  QStringList texts;
  {
    Harness h;
    for (QAction* menu : h.window->menuBar()->actions()) texts << menu->text();
    texts << h.window->MenuAction(IDM_SWITCH_OPEN)->text()
          << h.window->MenuAction(IDM_LOAD)->text();
    for (int32_t id : {IDM_RECORD, IDM_END_RECORD, IDM_PLAY, IDM_CIRCLE_PLAY, IDM_END_PLAY}) {
      texts << h.window->Button(id)->text();
    }
    h.window->OnCommand(IDM_TRACK_BASE + kPercussionChannel);
    h.window->OnCommand(IDM_INSTRUMENT_BASE + 8);
    texts << h.window->Client()->LineText(PaintedText::Signature);
  }
  HelpWindow help;
  EXPECT_TRUE(help.Load(QStringLiteral("default.htm")));
  texts << help.windowTitle() << help.documentTitle();
  BoxMessages boxes;
  texts << DialogTexts([&] {
    boxes.Show(nullptr, MessageIcon::Question, QStringLiteral("TG"), QStringLiteral("?"),
               MessageButtons::YesNoCancel);
  });
  texts << DialogTexts([&] { boxes.AskFileName(nullptr, {true, "TGI Files(*.TGI)", "tgi", ""}); });
  RemoveTranslation(*qApp);
  unsetenv("LC_ALL");
  return texts;
}

TEST(Dialogs, UnderAChineseLocaleTheWindowAndQtsDialogsSpeakChineseElseEnglish) {
  const QStringList chinese = WindowTexts("zh_CN.UTF-8");
  EXPECT_GE(chinese.size(), 8 + 2 + 5 + 1 + 2 + 3 + 3);
  for (const QString& text : chinese) {
    if (text == QStringLiteral("?")) continue;  // the question box's own text
    EXPECT_TRUE(IsChinese(text)) << text.toStdString();
  }
  const QStringList english = WindowTexts("C");
  EXPECT_TRUE(english.contains(QStringLiteral("&Switch")));
  EXPECT_TRUE(english.contains(QStringLiteral("Room Kit    1=C")));
  EXPECT_TRUE(english.contains(QStringLiteral("&Cancel")) ||
              english.contains(QStringLiteral("Cancel")));
  for (const QString& text : english) EXPECT_FALSE(IsChinese(text)) << text.toStdString();
}

}  // namespace
}  // namespace tangrel::test
