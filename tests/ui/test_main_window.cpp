// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt side of the main window: menu items, toolbar buttons, push buttons,
// accelerators and scroll bars reach the session by their command ids, the
// session's marks show in the menus, and playback hands over through Qt's
// event queue with its recorded timing.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <functional>
#include <thread>

#include "WindowHarness.h"
#include "tests/support/FakePlaybackClock.h"
#include "model/KeyMap.h"
#include "session/CommandIds.h"
#include "ui/AboutBox.h"
#include "ui/ClientView.h"
#include "ui/HelpWindow.h"

namespace tangrel::test {
namespace {

using std::chrono::milliseconds;
using tangrel::testing::FakePlaybackClock;

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

TEST(WindowScrollBars, QtsSliderActionsStepTheForceAndDragTheBend) {
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
  EXPECT_TRUE(h.window->ScrollBar(IDC_VELOCITY)->toolTip().contains(QStringLiteral("Page Up")));
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

// F1 lies outside the key map (scan code 59 of 0..53): it opens the manual
// and plays nothing; Esc and Ctrl+W close the manual.
TEST(WindowHelp, F1OpensTheManualAndEscOrCtrlWClosesIt) {
  constexpr uint32_t kScanF1 = 59;
  static_assert(kScanF1 >= kKeyMapSize);
  WindowHarness h;
  QApplication::setActiveWindow(h.window.get());
  QTest::keyClick(h.window->Client(), Qt::Key_F1);
  h.Key(QEvent::KeyPress, kScanF1, {}, false, Qt::Key_F1);  // had it reached the keys
  HelpWindow* help = h.window->Help();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(h.Words().empty());
  for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    help->show();
    QApplication::setActiveWindow(help);
    QTest::keySequence(help, keys);
    EXPECT_FALSE(help->isVisible()) << keys.toString().toStdString();
  }
}

// On a 1024 x 600 screen, as on a small laptop, the manual and its frame fit:
// the test runs again in a child on such a screen.
TEST(WindowHelp, TheManualFitsASmallScreen) {
  if (qEnvironmentVariableIsSet("TANGREL_TEST_SMALL_SCREEN")) {
    WindowHarness h;
    h.window->OnCommand(IDM_HELP);
    const QRect screen = h.window->Help()->screen()->availableGeometry();
    ASSERT_EQ(screen.size(), QSize(1024, 600));
    EXPECT_TRUE(screen.contains(h.window->Help()->frameGeometry()));
    return;
  }
  QTemporaryDir dir;
  QFile config(dir.filePath(QStringLiteral("screen.json")));
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  config.close();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), "offscreen:configfile=" + config.fileName());
  environment.insert(QStringLiteral("TANGREL_TEST_SMALL_SCREEN"), QStringLiteral("1"));
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--gtest_filter=WindowHelp.TheManualFitsASmallScreen")});
  ASSERT_TRUE(child.waitForFinished(60000));
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
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
  FakePlaybackClock clock;  // outlives the window, whose playback waits on it
  WindowHarness h;
  Session& session = h.window->GetSession();
  session.SetPlaybackClock(clock);
  h.RecordTake(120);
  const std::vector<PerformanceEvent> take = session.Events().events;
  ASSERT_EQ(take.size(), 4u);
  h.device->Clear();
  h.Click(IDM_PLAY);
  // A millisecond at a time, each hand-over delivered through the event queue
  // before the next: the note words show when each event was replayed.
  std::vector<int64_t> noteTimes;
  for (int ms = 1; ms <= 2000 && !h.window->Button(IDM_RECORD)->isEnabled(); ++ms) {
    ASSERT_TRUE(clock.Advance(milliseconds(1), [&] { return !session.PlaybackRunning(); }));
    QCoreApplication::processEvents();
    const auto words = h.Words();
    const auto notes = static_cast<size_t>(std::count_if(words.begin(), words.end(), IsNote));
    while (noteTimes.size() < notes) noteTimes.push_back(ms);
  }
  ASSERT_TRUE(h.window->Button(IDM_RECORD)->isEnabled()) << "the playback ended";
  ASSERT_EQ(noteTimes.size(), 4u);
  EXPECT_EQ(noteTimes[0], static_cast<int64_t>(take[0].delay));
  for (size_t i = 1; i < noteTimes.size(); ++i) {
    EXPECT_EQ(noteTimes[i] - noteTimes[i - 1], static_cast<int64_t>(take[i].delay)) << "gap " << i;
  }
}

TEST(WindowPlayback, EventsHandedOverButNotYetReplayedAreDroppedByEndPlay) {
  FakePlaybackClock clock;
  WindowHarness h;
  Session& session = h.window->GetSession();
  session.SetPlaybackClock(clock);
  h.RecordTake(10);
  h.device->Clear();
  h.Click(IDM_CIRCLE_PLAY);
  // The scheduler hands events over while the UI thread replays none of them.
  ASSERT_TRUE(clock.Advance(milliseconds(150), [&] { return !session.PlaybackRunning(); }));
  h.window->OnCommand(IDM_END_PLAY);
  QCoreApplication::processEvents();  // the queued hand-overs are delivered now
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

// A picture that shows something: the size asked for, and more than a few
// colours (a blank or failed grab is one or two).
void ExpectDrawn(const QImage& image, const char* name, QSize size = {}) {
  ASSERT_FALSE(image.isNull()) << name;
  if (size.isValid()) {
    EXPECT_EQ(image.size(), size) << name;
  }
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3) {
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  }
  EXPECT_GT(colours.size(), 8) << name << " looks blank";
}

// WCAG's relative luminance of a colour, 0 (black) to 1 (white).
double Luminance(QRgb c) {
  auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The texts on the green are red; a pixel redder than it is green belongs to a
// glyph, and the glyph's red is measured against every other pixel touching it.
// Thin strokes of small fonts blend with their outline, so a text keeps its red
// where some pixel is still a strong red, not necessarily 255, 0, 0.
TEST(WindowLook, EveryTextOnTheGreenStandsOutFromThePixelsTouchingIt) {
  WindowHarness h;
  h.Click(IDM_RECORD);  // the activity line has something to say
  h.Press(kScanA);
  QApplication::processEvents();
  ClientView* client = h.window->Client();
  const QImage shot = client->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRgb red = qRgb(255, 0, 0);
  auto isGlyph = [](QRgb c) { return qRed(c) > qGreen(c); };
  for (int i = 0; i < kPaintedTextCount; ++i) {
    const QRect line = client->LineRect(static_cast<PaintedText>(i)) & shot.rect();
    int strongRed = 0;
    double worst = 21;
    for (int y = line.top(); y <= line.bottom(); ++y) {
      for (int x = line.left(); x <= line.right(); ++x) {
        if (!isGlyph(shot.pixel(x, y))) continue;
        strongRed += qRed(shot.pixel(x, y)) >= 192 && qGreen(shot.pixel(x, y)) < 64 &&
                     qBlue(shot.pixel(x, y)) < 64;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (shot.valid(p) && !isGlyph(shot.pixel(p))) {
              worst = std::min(worst, Contrast(red, shot.pixel(p)));
            }
          }
        }
      }
    }
    EXPECT_GT(strongRed, 0) << "text " << i << " keeps its red";
    EXPECT_GE(worst, 4.5) << "text " << i << ": " << client->LineText(static_cast<PaintedText>(i)).toStdString();
    RecordProperty("contrast" + std::to_string(i), std::to_string(worst));
  }
}

// Draws the README's screenshots and checks each; with TANGREL_SCREENSHOT_DIR
// set they are saved there under the names docs/screenshots and the README use.
TEST(WindowLook, Screenshots) {
  QTemporaryDir scratch;
  const QByteArray dir = qgetenv("TANGREL_SCREENSHOT_DIR");
  const QString folder = dir.isEmpty() ? scratch.path() : QString::fromLocal8Bit(dir);
  auto save = [&](const QImage& image, const char* name, QSize size = {}) {
    ExpectDrawn(image, name, size);
    EXPECT_TRUE(image.save(folder + QLatin1Char('/') + QLatin1String(name))) << name;
  };
  WindowHarness h(true, "Built-in synthesizer");
  h.window->resize(800, 600);
  QApplication::processEvents();
  const QImage shot = h.window->grab().toImage();
  save(shot, "window.png", QSize(800, 600));
  // The menus the README shows, each drawn open over the window.
  const std::pair<const char*, const char*> kMenus[] = {
      {"&Instruments", "menu-instruments.png"}, {"&Mode", "menu-mode.png"},
      {"&Record", "menu-record.png"}};
  for (const auto& [title, name] : kMenus) {
    QAction* popup = nullptr;
    for (QAction* action : h.window->menuBar()->actions()) {
      if (action->text() == QLatin1String(title)) popup = action;
    }
    ASSERT_NE(popup, nullptr) << title;
    QMenu* menu = popup->menu();
    const QRect at = h.window->menuBar()->actionGeometry(popup);
    menu->popup(h.window->menuBar()->mapToGlobal(at.bottomLeft()));
    QApplication::processEvents();
    QImage composed = shot.copy();
    QPainter painter(&composed);
    painter.drawImage(h.window->mapFromGlobal(menu->pos()), menu->grab().toImage());
    painter.end();
    save(composed, name, QSize(800, 600));
    menu->hide();
  }
  AboutBox about(h.window.get());
  save(about.grab().toImage(), "about.png");
  HelpWindow help;
  ASSERT_TRUE(help.Load(QStringLiteral("default.htm")));
  save(help.grab().toImage(), "help.png");
}

}  // namespace
}  // namespace tangrel::test
