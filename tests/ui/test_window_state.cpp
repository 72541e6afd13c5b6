// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells about itself, read as a screen reader reads it: the
// Force and Freq bars with their values, the painted status lines, and the
// computer key named in each cap's corner.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

#include "WindowHarness.h"
#include "session/CommandIds.h"

namespace tangrel::test {
namespace {

// The names of the client area's accessible children of one role.
QStringList Named(QWidget* client, QAccessible::Role role) {
  QStringList names;
  QAccessibleInterface* area = QAccessible::queryAccessibleInterface(client);
  for (int i = 0; i < area->childCount(); ++i) {
    QAccessibleInterface* child = area->child(i);
    if (child && child->role() == role) names << child->text(QAccessible::Name);
  }
  return names;
}

QVariant Value(QWidget* bar) {
  return QAccessible::queryAccessibleInterface(bar)->valueInterface()->currentValue();
}

TEST(WindowState, ArrowKeysStepTheForceAndTheStatusLinesFollowRecordingAndPlaying) {
  Harness h;
  QScrollBar* force = h.window->ScrollBar(IDC_VELOCITY);
  constexpr uint32_t kEvdevDown = 108, kEvdevPageDown = 109;  // cursor block, not the keypad
  for (uint32_t key : {kEvdevDown, kEvdevPageDown}) {
    h.Key(QEvent::KeyPress, key);
    h.Key(QEvent::KeyRelease, key);
  }
  EXPECT_EQ(Value(force), QVariant(118));
  EXPECT_EQ(force->sliderPosition(), 10);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(force)->role(), QAccessible::Slider);
  EXPECT_EQ(Value(h.window->ScrollBar(IDC_PITCHBEND)).toDouble(), 0.0);
  EXPECT_TRUE(h.Words().empty());

  QTest::mouseClick(h.window->Button(IDM_RECORD), Qt::LeftButton);
  h.Press(kScanA);
  h.Release(kScanA);
  EXPECT_TRUE(Named(h.window->Client(), QAccessible::StaticText)
                  .contains(QStringLiteral("Recording: 0:00, notes: 1")));
  QTest::mouseClick(h.window->Button(IDM_END_RECORD), Qt::LeftButton);
  EXPECT_TRUE(Named(h.window->Client(), QAccessible::StaticText)
                  .contains(QStringLiteral("Take not saved")));
  QTest::mouseClick(h.window->Button(IDM_CIRCLE_PLAY), Qt::LeftButton);
  EXPECT_TRUE(Named(h.window->Client(), QAccessible::StaticText)
                  .contains(QStringLiteral("Playing in a loop")));
  QTest::mouseClick(h.window->Button(IDM_END_PLAY), Qt::LeftButton);
}

TEST(WindowState, EachKeyNamesItsComputerKeyDegreeAndNoteAndShowsTheKeyInItsCorner) {
  Harness h;
  std::array<QString, kKeyMapSize> names;
  names[kScanA] = QStringLiteral("Q");  // as an AZERTY layout names it
  h.window->Client()->Keyboard().SetCapNames(names);
  const QStringList keys =
      Named(h.window->Client(), QAccessible::Button).filter(QRegularExpression("^Key "));
  EXPECT_EQ(keys.size(), 45);  // beside the five push buttons
  EXPECT_TRUE(keys.contains(QStringLiteral("Key Q, degree 1, C4"))) << keys.join('|').toStdString();

  // Dark pixels in the top-left corner of A's cap, none in S's.
  const QImage shown = h.window->Client()->grab().toImage();
  auto darkInCorner = [&](uint32_t scanCode) {
    const QRect corner = h.window->Keyboard().CellRect(scanCode).adjusted(4, 3, -24, -24);
    int dark = 0;
    for (int y = corner.top(); y <= corner.bottom(); ++y) {
      for (int x = corner.left(); x <= corner.right(); ++x) dark += qGray(shown.pixel(x, y)) < 128;
    }
    return dark;
  };
  EXPECT_GT(darkInCorner(kScanA), 3);
  EXPECT_EQ(darkInCorner(kScanS), 0);
}

}  // namespace
}  // namespace tangrel::test
