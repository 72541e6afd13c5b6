// SPDX-License-Identifier: GPL-3.0-or-later
// The message box's answer when nobody clicked: a box whose loop is ended from
// outside (a signal, the end of the desktop session) keeps everything.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "ui/Messages.h"

namespace tangrel {
namespace {

TEST(BoxMessages, ABoxEndedFromOutsideIsCancelNeverNo) {
  BoxMessages messages;
  QTimer::singleShot(50, [] {
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->done(0);
  });
  EXPECT_EQ(messages.Show(nullptr, MessageIcon::Question, QStringLiteral("TG"),
                          QStringLiteral("Do you save current change in Untitle?"),
                          MessageButtons::YesNoCancel),
            MessageAnswer::Cancel);
}

}  // namespace
}  // namespace tangrel
