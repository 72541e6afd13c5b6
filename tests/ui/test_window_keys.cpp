// SPDX-License-Identifier: GPL-3.0-or-later
// The main window played from the keyboard and the mouse: the words that reach
// the device and the keys drawn.
#include <gtest/gtest.h>

#include <QDir>
#include <QFocusEvent>

#include "WindowHarness.h"
#include "session/CommandIds.h"

namespace tangrel::test {
namespace {

enum Cap { kWhite = 0, kBlue = 1, kRed = 2, kGreen = 3 };

std::vector<uint32_t> AllNotesOff() {
  std::vector<uint32_t> words;
  for (uint32_t ch = 0; ch < 16; ++ch) words.push_back(0xB0 | ch | (123u << 8));
  return words;
}

TEST(WindowKeys, PlainShiftAndCtrlKeysSoundAndColourTheirOctave) {
  Harness h;
  h.Press(kScanA);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{0x007F3C90u}));  // note on 60, velocity 127
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kBlue));
  h.Release(kScanA);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kWhite));

  h.Press(kScanA, Qt::ShiftModifier);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kRed));
  h.Release(kScanA);  // Shift already let go: the chord's shift still counts
  h.Press(kScanA, Qt::ControlModifier);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kGreen));
  h.Release(kScanA, Qt::ControlModifier);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(60), NoteOff(60), NoteOn(72), NoteOff(72),
                                              NoteOn(48), NoteOff(48)}));
}

TEST(WindowKeys, RowsAndTheKeypadSlashPlayTheirNotes) {
  Harness h;
  for (uint32_t s : {kScanK, kScanZ, kScanSlash}) {
    h.Press(s);
    h.Release(s);
  }
  constexpr uint32_t kNativeKeypadSlash = 98 + kNativeOffset;  // extended: scan 53 with bit 24
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Slash, Qt::KeypadModifier, kNativeKeypadSlash, 0, 0);
  QApplication::sendEvent(h.window->Client(), &press);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(72), NoteOff(72), NoteOn(61), NoteOff(61),
                                              NoteOn(76), NoteOff(76), NoteOn(76)}));
}

TEST(WindowKeys, AKeyJoiningAShiftChordIsRaisedUntilTheChordEnds) {
  Harness h;
  h.Press(kScanA, Qt::ShiftModifier);
  h.Press(kScanS);
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(kRed));
  h.Release(kScanS);
  h.Release(kScanA);
  h.Press(kScanS);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(72), NoteOn(74), NoteOff(74), NoteOff(72),
                                              NoteOn(62)}));
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(kBlue));
}

TEST(WindowKeys, AHeldKeyRepeatingSoundsOnce) {
  Harness h;
  h.Press(kScanA);
  for (int i = 0; i < 5; ++i) {  // X11 repeats as release-press pairs, both auto-repeat
    h.Key(QEvent::KeyRelease, kScanA, {}, true);
    h.Key(QEvent::KeyPress, kScanA, {}, true);
  }
  h.Release(kScanA);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(60), NoteOff(60)}));
}

TEST(WindowKeys, KeysWithAltHeldPlayNothingButAKeyDownBeforeAltIsReleased) {
  Harness h;
  h.Press(kScanA, Qt::AltModifier);
  h.Release(kScanA, Qt::AltModifier);
  EXPECT_TRUE(h.Words().empty());
  h.Press(kScanS);
  h.Release(kScanS, Qt::AltModifier);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(62), NoteOff(62)}));
}

TEST(WindowKeys, AKeyUpAfterAModeChangeSilencesTheNoteItsPressStarted) {
  Harness h;
  h.Press(kScanA);
  h.window->OnCommand(1298);  // " D Major"
  h.Release(kScanA);
  h.Press(kScanA);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(60), NoteOff(60), NoteOn(62)}));
}

TEST(WindowKeys, LosingTheFocusReleasesHeldKeys) {
  Harness h;
  h.Press(kScanA, Qt::ShiftModifier);
  h.Press(kScanS);
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(h.window->Client(), &out);
  const auto words = h.Words();
  ASSERT_EQ(words.size(), 4u);
  EXPECT_EQ((std::vector<uint32_t>(words.begin() + 2, words.end())),
            (std::vector<uint32_t>{NoteOff(72), NoteOff(74)}));
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kWhite));
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(kWhite));
  // The chord is over: the next key starts a plain one.
  h.Press(kScanK);
  EXPECT_EQ(h.Words().back(), NoteOn(72));
}

TEST(WindowKeys, EscapeSilencesEveryChannelAndShowsEveryKeyWhite) {
  Harness h;
  h.Press(kScanA, Qt::ShiftModifier);
  h.Press(kScanZ);
  h.device->Clear();
  h.Key(QEvent::KeyPress, kScanEsc, {}, false, Qt::Key_Escape);
  EXPECT_EQ(h.Words(), AllNotesOff());
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kWhite));
  EXPECT_EQ(h.CapColour(kScanZ), Harness::StripColour(kWhite));
  // Releases after Esc are not counted against the next chord.
  h.Release(kScanA);
  h.Release(kScanZ);
  h.Press(kScanS);
  EXPECT_EQ(h.Words().back(), NoteOn(62));
}

TEST(WindowKeys, ARepaintKeepsHeldKeysColoured) {
  Harness h;
  h.Press(kScanA, Qt::ControlModifier);
  h.window->resize(900, 700);  // moves the keyboard and repaints everything
  QApplication::processEvents();
  EXPECT_EQ(h.window->Keyboard().Origin(), KeyboardOrigin(h.window->Client()->width(), h.window->Client()->height(), h.window->Client()->CharHeight()));
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kGreen));
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(kWhite));
}

TEST(WindowKeys, TheMousePlaysTheKeyUnderItAndReleasesItAnywhere) {
  Harness h;
  const QRect a = h.window->Keyboard().CellRect(kScanA);
  h.Mouse(QEvent::MouseButtonPress, a.center(), Qt::ShiftModifier);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kRed));
  h.Mouse(QEvent::MouseButtonRelease, QPoint(5, 5));  // far off the keyboard
  h.Mouse(QEvent::MouseButtonPress, QPoint(5, 5));    // off the keyboard: nothing
  h.Mouse(QEvent::MouseButtonRelease, QPoint(5, 5));
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(72), NoteOff(72)}));
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kWhite));
}

TEST(WindowKeys, ClosingTheOutputShowsAllKeysWhiteAndSilencesTheKeyboard) {
  Harness h;
  h.Press(kScanA);
  h.window->OnCommand(IDM_SWITCH_CLOSE);
  EXPECT_EQ(h.window->Settings().switchOpen, 0);
  EXPECT_EQ(h.CapColour(kScanA), Harness::StripColour(kWhite));
  h.device->Clear();
  h.Release(kScanA);
  h.Press(kScanS);
  h.Key(QEvent::KeyPress, kScanEsc, {}, false, Qt::Key_Escape);
  EXPECT_TRUE(h.Words().empty());
  EXPECT_EQ(h.CapColour(kScanS), Harness::StripColour(kWhite));
}

TEST(WindowLook, TitleBackgroundCellAndKeyboardPlace) {
  Harness h;
  EXPECT_EQ(h.window->windowTitle(), QStringLiteral("Tangrel - [Untitle]"));
  const QFontMetrics metrics(h.window->Client()->font());
  EXPECT_EQ(h.window->Client()->CharWidth(), metrics.horizontalAdvance(QLatin1Char('M')));
  EXPECT_EQ(h.window->Client()->CharHeight(), metrics.height());
  EXPECT_EQ(h.window->Keyboard().Origin(), KeyboardOrigin(h.window->Client()->width(), h.window->Client()->height(), h.window->Client()->CharHeight()));

  h.Press(kScanQ);
  h.Press(kScanS);
  h.Press(kScanK, Qt::ShiftModifier);  // joins the plain chord: still blue
  const QImage shot = h.window->Client()->grab().toImage();
  EXPECT_EQ(shot.pixelColor(2, shot.height() / 2), QColor(20, 100, 20));
  EXPECT_EQ(h.CapColour(kScanK), Harness::StripColour(kBlue));
  // The label and the octave dots are black on the cap: Q (octave 3) has two
  // dots below its label, K (octave 6) one above.
  for (auto [scan, dy] : {std::pair{kScanQ, 26}, std::pair{kScanQ, 32}, std::pair{kScanK, 5}}) {
    const QRect cell = h.window->Keyboard().CellRect(scan);
    EXPECT_LT(shot.pixelColor(cell.x() + 19, cell.y() + dy).lightness(), 80) << scan << " " << dy;
  }
  if (const QByteArray dir = qgetenv("TANGREL_SCREENSHOT_DIR"); !dir.isEmpty()) {
    shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("keyboard.png")));
  }
}

}  // namespace
}  // namespace tangrel::test
