// The Qt side of the main window: menu items, toolbar buttons, push buttons,
// accelerators and scroll bars reach the session by their command ids, the
// session's marks show in the menus, and playback hands over through Qt's
// event queue with its recorded timing.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "WindowHarness.h"
#include "session/CommandIds.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"

namespace tangrel::test {
namespace {

using std::chrono::milliseconds;

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QTest::qWait(5);
  }
  return true;
}

bool IsNote(uint32_t word) { return (word & 0xE0) == 0x80; }

struct WindowHarness : Harness {
  using Harness::Harness;
  void Click(int id) { QTest::mouseClick(window->Button(id), Qt::LeftButton); }
  QAction* Menu(int command) { return window->MenuAction(command); }
  void RecordTake(int gapMs) {
    Click(IDM_RECORD);
    for (auto [down, key] : {std::pair{true, kScanA}, {true, kScanS}, {false, kScanA},
                             {false, kScanS}}) {
      QTest::qWait(gapMs);
      down ? Press(key) : Release(key);
    }
    Click(IDM_END_RECORD);
  }
};

TEST(WindowMenus, MenuItemsAndToolbarButtonsMoveTheSameCheckMark) {
  WindowHarness h;
  ASSERT_EQ(h.window->menuBar()->actions().size(), 8);
  EXPECT_EQ(h.window->menuBar()->actions()[1]->menu()->actions()[0]->text(),
            QStringLiteral(" 1.\tPiano"));
  EXPECT_TRUE(h.Menu(1024)->isChecked());
  h.Menu(1151)->trigger();  // Gunshot
  EXPECT_EQ(h.window->Settings().program, 127);
  EXPECT_TRUE(h.Menu(1151)->isChecked());
  EXPECT_FALSE(h.Menu(1024)->isChecked());
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{0x7FC0u, 0x7FCFu}));

  QToolBar* bar = h.window->ToolBar();
  ASSERT_EQ(bar->actions().size(), 14);
  EXPECT_EQ(bar->actions()[7]->toolTip(), QStringLiteral("Trombone"));
  bar->actions()[7]->trigger();
  EXPECT_TRUE(h.Menu(1081)->isChecked());
  EXPECT_FALSE(h.Menu(1151)->isChecked());

  h.Menu(IDM_SWITCH_OPEN)->trigger();  // already open: the mark stays
  EXPECT_TRUE(h.Menu(IDM_SWITCH_OPEN)->isChecked());
  EXPECT_FALSE(h.Menu(IDM_SWITCH_CLOSE)->isChecked());
}

TEST(WindowMenus, AcceleratorsWorkWhereverTheFocusIs) {
  WindowHarness h;
  QApplication::setActiveWindow(h.window.get());
  QTest::keyClick(h.window->Client(), Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(h.window->Settings().switchOpen, 0);
  EXPECT_TRUE(h.Menu(IDM_SWITCH_CLOSE)->isChecked());
  QTest::keyClick(h.window->Button(IDM_RECORD), Qt::Key_O, Qt::AltModifier);
  EXPECT_EQ(h.window->Settings().switchOpen, 1);
  EXPECT_TRUE(h.Menu(IDM_SWITCH_OPEN)->isChecked());
}

TEST(WindowButtons, ButtonsAndMenuItemsFollowTheSameEnableSet) {
  WindowHarness h;
  const WindowLayout layout = ComputeLayout(h.window->Client()->width(),
                                            h.window->Client()->height(),
                                            h.window->Client()->CharWidth(),
                                            h.window->Client()->CharHeight());
  for (int i = 0; i < kButtonCount; ++i) {
    QPushButton* b = h.window->Button(IDM_RECORD + i);
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    const PixelRect& r = layout.buttons[i];
    EXPECT_EQ(b->geometry(), QRect(r.x, r.y, r.width, r.height));
  }
  h.Click(IDM_RECORD);
  for (int id = IDM_RECORD; id <= IDM_END_PLAY; ++id) {
    EXPECT_EQ(h.window->Button(id)->isEnabled(), id == IDM_END_RECORD) << id;
    EXPECT_EQ(h.Menu(id)->isEnabled(), id == IDM_END_RECORD) << id;
  }
  EXPECT_FALSE(h.Menu(IDM_LOAD)->isEnabled());
}

TEST(WindowScrollBars, QtsSliderActionsBecomeScrollCodes) {
  WindowHarness h;
  QScrollBar* velocity = h.window->ScrollBar(IDC_VELOCITY);
  EXPECT_EQ(velocity->sliderPosition(), 1);
  EXPECT_EQ(velocity->focusPolicy(), Qt::NoFocus);
  velocity->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(h.window->Settings().velocity, 119);
  EXPECT_EQ(velocity->sliderPosition(), 9);

  QScrollBar* bend = h.window->ScrollBar(IDC_PITCHBEND);
  EXPECT_EQ(bend->sliderPosition(), 8192);
  bend->triggerAction(QAbstractSlider::SliderPageStepSub);  // does nothing
  EXPECT_EQ(bend->sliderPosition(), 8192);
  EXPECT_TRUE(h.Words().empty());
  bend->setSliderDown(true);
  bend->setSliderPosition(1);  // dragged to the top
  bend->setSliderDown(false);  // and let go: it springs back
  EXPECT_EQ(bend->sliderPosition(), 8192);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{0x7F7EE0u, 0x3F7FE0u}));
}

TEST(WindowHelp, HelpOpensTheManualInOneWindowAndAboutIsModal) {
  WindowHarness h;
  h.window->OnCommand(IDM_HELP);
  HelpWindow* help = h.window->Help();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->source().toString(), QStringLiteral("qrc:/help/default.htm"));
  EXPECT_FALSE(help->toPlainText().isEmpty());
  h.window->OnCommand(IDM_HELP);
  EXPECT_EQ(h.window->Help(), help);
  help->close();
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Escape);  // Esc closes it
  });
  h.window->OnCommand(IDM_ABOUT);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The licence is named in full: the line is not cut at the box's edge.
TEST(WindowHelp, TheAboutBoxNamesTheLicence) {
  WindowHarness h;
  AboutBox about(h.window.get());
  const QLabel* line = nullptr;
  for (const QLabel* label : about.findChildren<QLabel*>()) {
    if (label->text().contains(QStringLiteral("GNU GPL, version 3 or later"))) line = label;
  }
  ASSERT_NE(line, nullptr);
  EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width());
  EXPECT_LE(line->geometry().right(), about.width());
}

TEST(WindowPlayback, ATakePlaysBackThroughTheEventQueueWithItsTiming) {
  WindowHarness h;
  h.RecordTake(120);
  const std::vector<PerformanceEvent> take = h.window->GetSession().Events().events;
  ASSERT_EQ(take.size(), 4u);
  h.device->Clear();
  h.Click(IDM_PLAY);
  ASSERT_TRUE(WaitFor([&] { return h.window->Button(IDM_RECORD)->isEnabled(); }));
  const auto captured = h.device->Captured();
  std::vector<CapturedWord> notes;
  std::copy_if(captured.begin(), captured.end(), std::back_inserter(notes),
               [](const CapturedWord& c) { return IsNote(c.word); });
  ASSERT_EQ(notes.size(), 4u);
  for (size_t i = 1; i < notes.size(); ++i) {
    const auto gap = std::chrono::duration_cast<milliseconds>(notes[i].time - notes[i - 1].time);
    EXPECT_GE(gap.count(), static_cast<long>(take[i].delay) - 10) << "gap " << i;
    EXPECT_LE(gap.count(), static_cast<long>(take[i].delay) + 80) << "gap " << i;
  }
}

TEST(WindowPlayback, EventsHandedOverButNotYetReplayedAreDroppedByEndPlay) {
  WindowHarness h;
  h.RecordTake(10);
  h.device->Clear();
  h.Click(IDM_CIRCLE_PLAY);
  // Keep the UI thread busy while the scheduler hands events over.
  std::this_thread::sleep_for(milliseconds(150));
  h.window->OnCommand(IDM_END_PLAY);
  QTest::qWait(100);  // the queued hand-overs are delivered now
  const auto words = h.Words();
  ASSERT_GE(words.size(), 16u);
  EXPECT_TRUE(std::none_of(words.begin(), words.end(), IsNote));
}

TEST(WindowButtons, AKeyPressedRightAfterAClickPlays) {
  WindowHarness h;
  QApplication::setActiveWindow(h.window.get());
  h.window->Client()->setFocus();
  ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == h.window->Client(); }, 1000));
  h.Click(IDM_RECORD);
  EXPECT_EQ(QApplication::focusWidget(), h.window->Client());
  QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kScanA + kNativeOffset, 0, 0);
  QApplication::sendEvent(QApplication::focusWidget(), &press);
  EXPECT_EQ(h.Words(), (std::vector<uint32_t>{NoteOn(60)}));
}

}  // namespace
}  // namespace tangrel::test

namespace tangrel::test {
namespace {

// With TANGREL_SCREENSHOT_DIR set, saves the window at 800 x 600 and the
// window with each menu open, for the README.
TEST(WindowLook, Screenshots) {
  const QByteArray dir = qgetenv("TANGREL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TANGREL_SCREENSHOT_DIR not set";
  WindowHarness h(true, "Built-in synthesizer");
  h.window->resize(800, 600);
  QApplication::processEvents();
  const QString folder = QString::fromLocal8Bit(dir);
  const QImage shot = h.window->grab().toImage();
  shot.save(folder + QStringLiteral("/window.png"));
  const auto popups = h.window->menuBar()->actions();
  for (int i = 0; i < popups.size(); ++i) {
    QMenu* menu = popups[i]->menu();
    const QRect title = h.window->menuBar()->actionGeometry(popups[i]);
    menu->popup(h.window->menuBar()->mapToGlobal(title.bottomLeft()));
    QApplication::processEvents();
    QImage composed = shot.copy();
    QPainter painter(&composed);
    painter.drawImage(h.window->mapFromGlobal(menu->pos()), menu->grab().toImage());
    painter.end();
    composed.save(folder + QStringLiteral("/menu-%1.png").arg(i + 1));
    menu->hide();
  }
  AboutBox about(h.window.get());
  about.grab().save(folder + QStringLiteral("/about.png"));
  HelpWindow help;
  if (help.Load(QStringLiteral("default.htm"))) help.grab().save(folder + QStringLiteral("/help.png"));
}

}  // namespace
}  // namespace tangrel::test
