// SPDX-License-Identifier: GPL-3.0-or-later
// The program's state and commands, without Qt: the playing settings, the
// current file, the recorded take and its playback, the one command
// dispatcher with its enable sets, the save prompt, the start-up load, the
// keys, the mouse on the on-screen keyboard and the two scroll bars. It talks
// to the screen through the Screen interface only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/LivePlaying.h"
#include "model/MidiOut.h"
#include "model/SessionSettings.h"
#include "files/PerformanceFile.h"
#include "recording/EventList.h"
#include "recording/PlaybackScheduler.h"
#include "recording/RecordingJournal.h"
#include "session/EnableSets.h"
#include "session/Layout.h"
#include "session/MenuBar.h"
#include "session/Screen.h"
#include "session/Texts.h"

namespace tangrel {

struct MainWindowState {
  std::string commandLine;       // the file named at start, taken whole
  std::string currentFilePath;   // what Save writes and Load read
  std::string currentFileTitle;  // empty: untitled; shown in the caption
  std::string midiExportPath;    // the export keeps its own last choice
  std::string midiExportTitle;
  bool modified = false;         // the take has not been saved
};

// The Force bar's velocities and the Freq bar's pitch-bend values.
constexpr int32_t kVelocityMin = 1;
constexpr int32_t kVelocityMax = 127;
// One step of the Force bar, by a line (arrow) or a page, the same from the
// keyboard and from the bar's own buttons.
constexpr int32_t kVelocityLineStep = 1;
constexpr int32_t kVelocityPageStep = 8;
constexpr int32_t kBendTop = 16383;
constexpr int32_t kBendCentre = 8191;  // where a released bend returns

// A line the window shows: `format`, one of the program's own texts, with
// "%1", "%2" ... filled by `arguments` once it stands in the user's language.
struct ShownText {
  const char* format = "";
  std::vector<std::string> arguments;
};

class ShownDeviceReports;

constexpr uint32_t kAutoPlayDelayMs = 500;
constexpr const char* kHelpTopic = "default.htm";
constexpr const char* kHintText = QT_TRANSLATE_NOOP(
    "Tangrel",
    "1 Press Shift(Ctrl) to rise(fall) 8 musical scale when play music。 "
    "2 Please press Esc when Voice is out of the way");

class Session {
 public:
  // `devices`, `screen` and `keys` (may be null) outlive the session. The
  // character cell is the layout's unit.
  Session(MidiDevices& devices, Screen& screen, KeyView* keys, int charWidth, int charHeight);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The window's creation: false, after the "No MIDI output devices!" box,
  // when there is no device. Otherwise the output is opened and a file named
  // on the command line is loaded, with Play armed half a second later.
  bool Create(const std::string& commandLine);
  // Closing the window, or the desktop session ending: false when the user
  // keeps the window (Cancel, or a Yes whose save did not happen).
  bool QueryClose();
  // The window goes: playback stopped, the output closed.
  void Destroy();

  // The one dispatcher of menu items, accelerators, buttons and the program's
  // own commands. True for a Save or Save As that wrote the file.
  bool OnCommand(int32_t id);
  void OnTimer(int32_t id);

  // A key message with the modifiers of its event. Keys with Alt held belong
  // to the menus and are not played.
  void Key(uint32_t message, uint32_t keyData, Modifiers modifiers, bool altHeld = false);
  // The window lost the keyboard: keys still held are released.
  void FocusLost();
  // Whether a key is down as far as playing goes.
  bool Holds(uint32_t scanCode) const {
    return scanCode < live_.held.size() && live_.held[scanCode];
  }
  void MousePress(int x, int y, Modifiers modifiers);
  void MouseRelease(Modifiers modifiers);

  // The clock that times recorded events (the steady clock unless replaced).
  void SetRecordingClock(MillisecondClock clock) { events_.clock = std::move(clock); }
  // The clock playback waits on (the steady clock unless replaced); it must
  // outlive the session.
  void SetPlaybackClock(PlaybackClock& clock) { scheduler_.SetClock(clock); }
  // Where takes are journaled while unsaved, and looked for at Create.
  void SetJournalFolder(std::string folder) { journal_.SetFolder(std::move(folder)); }
  const RecordingJournal& Journal() const { return journal_; }

  // What the devices report reaches the session from now until it is
  // destroyed; `reports` outlives the session.
  void ListenTo(ShownDeviceReports& reports);
  // From any thread: the report is queued for the UI thread, and dropped if
  // the session has gone by the time it would run.
  void HandOverReport(const Failure& failure);
  void HandOverNews(const DeviceNews& news);
  // On the UI thread: a lost sound output is shown until it is back or the
  // output is closed or opened; a SoundFont changed on disk is said in a box.
  void DeviceReported(const Failure& failure);
  void DeviceNewsArrived(const DeviceNews& news);

  void Resize(int clientWidth, int clientHeight);
  // The Force bar: the velocity of the next note-ons, kept within 1..127.
  // Nothing is sent.
  void SetVelocity(int32_t velocity);
  void StepVelocity(int32_t change);
  // The Freq bar bends the track's channel (never the bourdon's) while it is
  // held, and goes back to the centre when let go.
  void BendTo(int32_t bend);
  void ReleaseBend();
  int32_t Bend() const { return bend_; }

  const SessionSettings& Settings() const { return settings_; }
  const MainWindowState& State() const { return state_; }
  const EventList& Events() const { return events_; }
  const WindowLayout& Layout() const { return layout_; }
  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }
  bool PlaybackRunning() const { return scheduler_.Running(); }

  // What the status lines, the picture and the key-signature line show.
  std::string SwitchText() const;
  std::string DeviceText() const;
  std::string TrackText() const;
  std::string SignatureText() const;  // empty for a mode without a signature
  int PictureIndex() const;
  // What is going on: recording with the take's time and notes, playing once
  // or in a loop, or a take that is not saved; empty when none of these.
  ShownText ActivityText() const;
  // What the instrument picture shows, in words.
  ShownText PictureText() const;
  // The Force bar's velocity and the Freq bar's bend in semitones.
  std::string VelocityText() const;
  std::string BendText() const;
  static double BendSemitones(int32_t bend);

 private:
  class PostingSink : public PlaybackSink {
   public:
    explicit PostingSink(Session& session) : session_(session) {}
    void PlayEvent(uint64_t generation, uint32_t index) override;
    void EndOfPlayback(uint64_t generation) override;

   private:
    Session& session_;
  };

  PlayContext Context() { return PlayContext{out_, recorder_, keys_}; }
  // Queues `work` for the UI thread, to run only if the session is still
  // there by then. Everything handed over to the UI thread goes through it;
  // a template, so that a replayed event is wrapped once, not twice.
  template <typename Work>
  void PostWhileAlive(Work work) {
    screen_.Post([alive = std::weak_ptr<bool>(alive_), work = std::move(work)] {
      if (alive.lock()) work();
    });
  }
  void UpdateTitle(const std::string& name);
  void ApplyEnableSet(EnableSet set);
  void MoveCheck(int32_t from, int32_t to);
  void ShowFileWarning(const Failure& failure, const std::string& name);
  void ShowOpenFailure();
  // The playback copy could not be made; nothing plays until the next one.
  void ShowMemoryError();
  bool RequireOpenSwitch();
  MessageAnswer AskSaveChanges();
  void StartUpLoad();
  // Offers back the takes that ended programs left unsaved, newest first;
  // true when one became the current take.
  bool OfferLeftTakes();
  std::string LeftTakeLine(const LeftTake& take) const;
  MessageAnswer AskRecover(const std::vector<LeftTake>& takes);
  void ShowDamagedJournals(const std::vector<DamagedJournal>& damaged);
  void TakeRecovered(LeftTake& take);
  // Journals what live playing recorded, and says at once when it fails.
  void JournalRecorded();
  void WarnIfJournalFailed();
  // Loads CurrentFilePath; a failure is shown with `shownName` and clears the
  // title. True when the file became the current take.
  bool LoadCurrentFile(const std::string& shownName);
  void TakeLoaded(LoadedPerformance& loaded, const AcceptedPerformance& accepted);

  void SelectMode(int32_t id);
  void Record();
  void FinishRecord();
  void Play(bool circle);
  void EndPlay();
  bool Save();
  bool SaveAs();
  bool WriteCurrentFile();
  void Load();
  void ExportMidi();
  void ToggleBourdon();
  void OpenSwitch();
  void CloseSwitch();
  void SelectDevice(int32_t id);
  void SelectTrack(int32_t id);
  void SelectInstrument(int32_t id);
  void SendProgramToTrackAndBourdon();

  bool IsCurrentPlayback(uint64_t generation) const;
  void ReplayHandedOver(uint64_t generation, uint32_t index);
  void EndOfPlaybackHandedOver(uint64_t generation);

  MidiDevices& devices_;
  Screen& screen_;
  KeyView* keys_;
  SessionSettings settings_;
  MainWindowState state_;
  MidiOut out_;
  LiveState live_;
  EventList events_;
  RecordingJournal journal_;  // the unsaved take on disk, until saved or discarded
  JournaledRecorder recorder_{events_, journal_};
  bool journalWarned_ = false;  // the journal's failure was said for this take
  PlaybackCopy copy_;
  PlaybackEvents playing_;  // the copy the running playback reads
  uint64_t playGeneration_ = 0;
  bool playbackCurrent_ = false;  // hand-overs of playGeneration_ are replayed
  PostingSink sink_{*this};
  PlaybackScheduler scheduler_{sink_};
  uint32_t capturedKey_ = kNoCapturedKey;
  int charWidth_;
  int charHeight_;
  WindowLayout layout_;
  int32_t bend_ = kBendCentre;
  bool circlePlaying_ = false;
  uint32_t recordStart_ = 0;  // the recording clock when Record began
  ShownDeviceReports* reports_ = nullptr;
  // Hand-overs still queued when the session goes find this gone (see
  // PostWhileAlive).
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<Failure> lostOutput_;  // the driver that went silent, and why
};

}  // namespace tangrel
