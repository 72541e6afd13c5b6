// SPDX-License-Identifier: GPL-3.0-or-later
// A session on a capture device with a scripted screen: the menu bar and the
// buttons as the session left them, every box and dialog answered from a
// script, timers and hand-overs run when the test says so.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "tests/support/CaptureDevice.h"
#include "tests/support/FakePlaybackClock.h"
#include "tests/support/TempDir.h"
#include "session/CommandIds.h"
#include "session/Session.h"

namespace tangrel::testing {

struct ShownBox {
  MessageIcon icon;
  std::string caption;
  std::string text;  // filled
  MessageButtons buttons;
};

class ScriptedScreen : public Screen {
 public:
  void SetMenuBar(const std::vector<MenuItem>& bar) override { menu = bar; }
  void CheckItem(int32_t command, bool checked) override { Item(command).checked = checked; }
  void EnableItem(int32_t command, bool enabled) override { Item(command).grayed = !enabled; }
  void EnableButton(int32_t id, bool enabled) override { buttons[id] = enabled; }
  void SetCaption(const std::string& text) override { caption = text; }
  void Repaint() override { ++repaints; }
  MessageAnswer ShowMessage(MessageIcon icon, const char* boxCaption, const MessageText& text,
                            MessageButtons kind) override {
    std::string filled = FillMessage(text.format, text);
    if (text.cause) filled += std::string("\n") + text.cause;
    if (!text.shownCause.empty()) filled += "\n" + text.shownCause;
    boxes.push_back({icon, boxCaption, filled, kind});
    if (kind == MessageButtons::Ok) return MessageAnswer::Ok;
    EXPECT_FALSE(answers.empty()) << "unexpected question: " << filled;
    if (answers.empty()) return MessageAnswer::Cancel;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<ChosenFile> AskFileName(const FileRequest& request) override {
    requests.push_back(request);
    EXPECT_FALSE(files.empty()) << "unexpected file dialog";
    if (files.empty()) return std::nullopt;
    auto chosen = files.front();
    files.pop_front();
    return chosen;
  }
  void Beep() override { ++beeps; }
  void StartTimer(int32_t id, uint32_t ms) override { timers[id] = ms; }
  void KillTimer(int32_t id) override { timers.erase(id); }
  void ShowHelp(const char* topic) override { help.push_back(topic); }
  void ShowAbout() override { ++abouts; }
  void Post(std::function<void()> work) override {
    std::lock_guard<std::mutex> lock(mutex);
    posted.push_back(std::move(work));
  }

  MenuItem& Item(int32_t command) {
    auto* item = const_cast<MenuItem*>(FindMenuItem(menu, command));
    if (!item) {
      ADD_FAILURE() << "no menu item " << command;
      static MenuItem none;
      return none;
    }
    return *item;
  }
  bool Checked(int32_t command) { return Item(command).checked; }
  bool Enabled(int32_t command) { return !Item(command).grayed; }
  // Runs what the playback thread handed over so far.
  void RunPosted() {
    for (;;) {
      std::function<void()> work;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (posted.empty()) return;
        work = std::move(posted.front());
        posted.pop_front();
      }
      work();
    }
  }

  std::vector<MenuItem> menu;
  std::map<int32_t, bool> buttons;
  std::string caption;
  int repaints = 0;
  std::vector<ShownBox> boxes;
  std::deque<MessageAnswer> answers;
  std::vector<FileRequest> requests;
  std::deque<std::optional<ChosenFile>> files;
  int beeps = 0;
  std::map<int32_t, uint32_t> timers;
  std::vector<std::string> help;
  int abouts = 0;
  std::mutex mutex;
  std::deque<std::function<void()>> posted;
};

struct SessionRig {
  // Unsaved takes are journaled in `journalFolder`, else in a folder of the
  // rig's own; `answers` answer the questions of the start.
  explicit SessionRig(bool opens = true, const std::string& commandLine = {},
                      const std::string& journalFolder = {},
                      std::deque<MessageAnswer> startAnswers = {}) {
    session.SetJournalFolder(journalFolder.empty() ? journals.Path() : journalFolder);
    screen.answers = std::move(startAnswers);
    auto owned = std::make_unique<CaptureDevice>("Capture", opens);
    device = owned.get();
    devices.Add(std::move(owned));
    session.SetRecordingClock([this] { return now; });
    session.SetPlaybackClock(playbackClock);
    session.Resize(800, 600);
    created = session.Create(commandLine);
  }

  void Command(int32_t id) { session.OnCommand(id); }
  void Press(uint32_t scanCode, Modifiers m = {}) {
    session.Key(WM_KEYDOWN, KeyDataOfScanCode(scanCode) | 1, m);
  }
  void Release(uint32_t scanCode, Modifiers m = {}) {
    session.Key(WM_KEYUP, KeyDataOfScanCode(scanCode) | 1 | kKeyDataReleaseBits, m);
  }
  // Records a take of A and S pressed and released, `gap` ms apart.
  void RecordTake(uint32_t gap = 20) {
    Command(IDM_RECORD);
    for (auto [down, key] : {std::pair{true, 30u}, {true, 31u}, {false, 30u}, {false, 31u}}) {
      now += gap;
      down ? Press(key) : Release(key);
    }
    Command(IDM_END_RECORD);
  }
  // Time passes for recording and playback alike; what playback hands over
  // meanwhile is replayed as the window would.
  void Pass(uint32_t ms) {
    now += ms;
    if (ms > 0) {
      EXPECT_TRUE(playbackClock.Advance(std::chrono::milliseconds(ms),
                                        [this] { return !session.PlaybackRunning(); }));
    }
    screen.RunPosted();
  }
  // Hands over the running playback's events until it ends by itself, within
  // `limitMs` of the playback clock.
  bool PlayToTheEnd(int limitMs = 5000) {
    for (int ms = 0; ms <= limitMs; ++ms) {
      const bool running = session.PlaybackRunning();
      screen.RunPosted();
      if (!running) return true;
      Pass(1);
    }
    return false;
  }
  // Enabled states of the Record menu's items and the buttons, in table order.
  std::vector<bool> Enables() {
    std::vector<bool> on;
    for (const EnableColumn& c : kEnableColumns) {
      on.push_back(c.kind == ControlKind::Button ? screen.buttons[c.id] : screen.Enabled(c.id));
    }
    return on;
  }

  TempDir journals{"tangrel-journals"};
  CaptureDevice* device = nullptr;
  DeviceSet devices;
  ScriptedScreen screen;
  FakePlaybackClock playbackClock;  // outlives the session, whose playback waits on it
  Session session{devices, screen, nullptr, 8, 16};
  uint32_t now = 1000;
  bool created = false;
};

}  // namespace tangrel::testing
