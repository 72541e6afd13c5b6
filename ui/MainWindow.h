// The main window: owns the playing settings, the MIDI output, the live and
// recorded performance and the playback scheduler, and turns Qt's key, mouse,
// focus and button events into the engine's operations.
#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/LivePlaying.h"
#include "engine/MidiOut.h"
#include "engine/SessionSettings.h"
#include "recording/EventList.h"
#include "recording/PlaybackScheduler.h"
#include "ui/EnableSets.h"
#include "ui/KeyboardView.h"
#include "ui/Layout.h"
#include "ui/Messages.h"

class QPushButton;

namespace tangrel {

constexpr QColor kBackgroundColour{20, 100, 20};

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // `devices` and `messages` outlive the window.
  MainWindow(MidiDevices& devices, Messages& messages, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The open at creation: the device chosen by the device list, with the
  // program change on the track channel only. Failure leaves the output
  // closed after a warning.
  void OpenOutputAtStart();

  // The one command dispatcher: menu items, buttons, the scheduler and the
  // program itself all come here.
  void OnCommand(int id);

  const SessionSettings& Settings() const { return settings_; }
  const KeyboardView& Keyboard() const { return keyboard_; }
  const EventList& Events() const { return events_; }
  bool Modified() const { return modified_; }
  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }
  // The push button carrying a command id (IDM_RECORD .. IDM_END_PLAY).
  QPushButton* Button(int id) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Hands the scheduler's events to the UI thread through the event queue.
  class QueuedSink : public PlaybackSink {
   public:
    explicit QueuedSink(MainWindow& window) : window_(window) {}
    void PlayEvent(uint64_t generation, uint32_t index) override;
    void EndOfPlayback(uint64_t generation) override;

   private:
    MainWindow& window_;
  };

  PlayContext Context() { return PlayContext{out_, events_, &keyboard_}; }
  void MeasureCharacterCell();
  void CreateButtons();
  void UpdateTitle(const QString& name);

  // A key message, played only while the output is open.
  void HandleKey(uint32_t message, uint32_t keyData, Modifiers modifiers);
  void Escape();

  // Commands.
  void SelectMode(int id);
  bool RequireOpenSwitch();
  void Record();
  void FinishRecord();
  void Play(bool circle);
  void EndPlay();
  void OpenSwitch();
  void CloseSwitch();
  void ApplyEnableSet(EnableSet set);

  // Playback hand-overs, on the UI thread.
  bool IsCurrentPlayback(uint64_t generation) const;
  void ReplayHandedOver(uint64_t generation, uint32_t index);
  void EndOfPlaybackHandedOver(uint64_t generation);

  MidiDevices& devices_;
  Messages& messages_;
  SessionSettings settings_;
  MidiOut out_;
  std::vector<DeviceMenuItem> deviceItems_;  // the Device menu's entries
  LiveState live_;
  bool modified_ = false;
  EventList events_;
  PlaybackCopy copy_;
  PlaybackEvents playing_;   // the copy the running playback reads
  uint64_t playGeneration_ = 0;
  bool playbackCurrent_ = false;  // hand-overs of playGeneration_ are replayed
  QueuedSink sink_{*this};
  PlaybackScheduler scheduler_{sink_};

  KeyboardView keyboard_;
  uint32_t capturedKey_ = kNoCapturedKey;
  int charWidth_ = 0;
  int charHeight_ = 0;
  WindowLayout layout_;
  std::array<QPushButton*, kButtonCount> buttons_{};
};

}  // namespace tangrel
