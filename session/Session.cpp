// SPDX-License-Identifier: GPL-3.0-or-later
// The session: creation, the commands and their enable sets, the save prompt,
// keys and mouse, the scroll bars and the playback hand-overs.
#include "session/Session.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "files/MidiExport.h"
#include "model/PlatformFile.h"
#include "session/CommandIds.h"
#include "session/DeviceMessages.h"
#include "session/FailureTexts.h"
#include "session/Instruments.h"
#include "session/Texts.h"

namespace tangrel {
namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("Tangrel", "TG");
constexpr const char* kUntitled = QT_TRANSLATE_NOOP("Tangrel", "Untitle");
constexpr const char* kPerformanceFilter = QT_TRANSLATE_NOOP("Tangrel", "TGI Files(*.TGI)");
constexpr const char* kMidiFilter = QT_TRANSLATE_NOOP("Tangrel", "Midi Files(*.MID)");
constexpr int32_t kLastInstrumentCommand = IDM_INSTRUMENT_BASE + 127;
constexpr const char* kRecoverQuestion = QT_TRANSLATE_NOOP(
    "Tangrel",
    "Takes left unsaved when the program last ended, newest first:\n%s\nRecover the first one? "
    "No deletes it; Cancel keeps them all for the next start.");
constexpr const char* kRecordedAt = QT_TRANSLATE_NOOP("Tangrel", "recorded at %s");
constexpr const char* kTakeLength = QT_TRANSLATE_NOOP("Tangrel", "%s min %s s");
constexpr const char* kTakeNotes = QT_TRANSLATE_NOOP("Tangrel", "%s notes");
constexpr const char* kDamagedJournals = QT_TRANSLATE_NOOP(
    "Tangrel", "These journals cannot be read as a take and were set aside:\n%s");
constexpr const char* kSetAsideAs = QT_TRANSLATE_NOOP("Tangrel", "%s, now %s");
constexpr const char* kNoJournalFolder = QT_TRANSLATE_NOOP(
    "Tangrel",
    "The take cannot be written to a journal: neither XDG_STATE_HOME nor HOME names a folder. "
    "It is kept only in memory until you save it.");
// A take's start and length are shown only when they could be true: started
// after this and not after now, and no longer than this.
constexpr uint64_t kEarliestPlausibleStartMs = 946'684'800'000;  // 2000-01-01
constexpr uint64_t kLongestPlausibleTakeMs = 7ull * 24 * 60 * 60 * 1000;

constexpr const char* kSoundFontChanged = QT_TRANSLATE_NOOP(
    "Tangrel",
    "The SoundFont %s changed on disk. The instruments already loaded play on; others stay "
    "silent until you close and open the Switch again.");

// Keys that play no note step the Force bar: the arrows and Page Up / Page
// Down of the cursor block (extended keys, so the keypad's digits stay out).
struct VelocityKey {
  uint32_t scanCode;
  int32_t change;
};
constexpr std::array<VelocityKey, 4> kVelocityKeys = {{
    {72, kVelocityLineStep},   // Up
    {80, -kVelocityLineStep},  // Down
    {73, kVelocityPageStep},   // Page Up
    {81, -kVelocityPageStep},  // Page Down
}};

// A General MIDI synthesizer bends two semitones either way by default.
constexpr double kBendRangeSemitones = 2.0;

std::string NameOrUntitled(const std::string& name) {
  return name.empty() ? UserText(kUntitled) : name;
}

std::string Filled(const char* format, std::vector<std::string> values) {
  const std::string first = values.empty() ? std::string() : values.front();
  if (!values.empty()) values.erase(values.begin());
  return FillMessage(UserText(format), MessageText{format, first, nullptr, std::move(values)});
}

bool InRange(int32_t id, int32_t first, int32_t last) { return id >= first && id <= last; }

uint64_t WallClockMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
}

// "17:42" for a take of today, "2026-12-06 17:42" for an older one.
std::string LocalStartText(uint64_t startedMs) {
  const time_t started = static_cast<time_t>(startedMs / 1000);
  const time_t now = time(nullptr);
  const tm then = platform::LocalTime(started);
  const tm today = platform::LocalTime(now);
  const bool sameDay = then.tm_year == today.tm_year && then.tm_yday == today.tm_yday;
  char text[32];
  strftime(text, sizeof text, sameDay ? "%H:%M" : "%Y-%m-%d %H:%M", &then);
  return text;
}

}  // namespace

Session::Session(MidiDevices& devices, Screen& screen, KeyView* keys, int charWidth, int charHeight)
    : devices_(devices),
      screen_(screen),
      keys_(keys),
      charWidth_(charWidth),
      charHeight_(charHeight) {
  out_.devices = &devices_;
  out_.settings = &settings_;
  events_.modified = &state_.modified;
}

Session::~Session() { Destroy(); }

// ---- Creation and closing ---------------------------------------------------

bool Session::Create(const std::string& commandLine) {
  if (devices_.DeviceCount() == 0) {
    screen_.Beep();
    screen_.ShowMessage(MessageIcon::Error, kCaption,
                        {QT_TRANSLATE_NOOP("Tangrel", "No MIDI output devices!"), {}},
                        MessageButtons::Ok);
    return false;
  }
  screen_.SetMenuBar(BuildMenuBar(ListMidiOutDevices(devices_)));
  ApplyEnableSet(EnableSet::Initial);
  const OpenResult opened = OpenMidiOut(out_, ProgramChangeTo::TrackOnly);
  if (opened == OpenResult::Failed) ShowOpenFailure();
  screen_.CheckItem(IDM_SWITCH_OPEN, settings_.switchOpen != 0);
  screen_.CheckItem(IDM_SWITCH_CLOSE, settings_.switchOpen == 0);
  const bool recovered = OfferLeftTakes();
  if (commandLine.empty()) {
    UpdateTitle(state_.currentFileTitle);
    return true;
  }
  // The file named at start replaces a recovered take only after the save
  // prompt, as Load would.
  if (recovered && AskSaveChanges() == MessageAnswer::Cancel) return true;
  state_.commandLine = commandLine;
  state_.currentFileTitle = commandLine;
  state_.currentFilePath = commandLine;
  StartUpLoad();
  return true;
}

void Session::StartUpLoad() {
  if (!LoadCurrentFile(state_.commandLine)) {
    UpdateTitle(state_.currentFileTitle);
    return;
  }
  UpdateTitle(state_.commandLine);
  ApplyEnableSet(EnableSet::StartupLoad);
  if (settings_.switchOpen) screen_.StartTimer(IDT_AUTOPLAY, kAutoPlayDelayMs);
}

bool Session::LoadCurrentFile(const std::string& shownName) {
  LoadedPerformance loaded;
  const Failure failure = LoadPerformanceFile(state_.currentFilePath, loaded);
  const auto accepted = failure ? std::nullopt : AcceptLoadedPerformance(loaded);
  if (!accepted) {
    // A mode outside the 24 is refused like any damaged file, so the next
    // Save asks for a name instead of writing over it. The take in memory
    // stays as it was.
    ShowFileWarning(failure ? failure : Fail(FailureKind::NotSupported, {}), shownName);
    state_.currentFileTitle.clear();
    return false;
  }
  TakeLoaded(loaded, *accepted);
  return true;
}

// One box lists every take left, newest first, and asks about the first;
// after No it comes again with the rest. Damaged journals are said once.
bool Session::OfferLeftTakes() {
  LeftJournals left = FindLeftJournals(journal_.Folder());
  if (!left.damaged.empty()) ShowDamagedJournals(left.damaged);
  while (!left.takes.empty()) {
    const MessageAnswer answer = AskRecover(left.takes);
    if (answer == MessageAnswer::Yes) {
      TakeRecovered(left.takes.front());
      return true;  // the others wait for the next start
    }
    if (answer != MessageAnswer::No) break;  // Cancel is "later" for all of them
    DiscardLeftTake(left.takes.front());
    left.takes.erase(left.takes.begin());
  }
  return false;
}

std::string Session::LeftTakeLine(const LeftTake& take) const {
  const uint64_t now = WallClockMs();
  const uint64_t started = take.header.startedMs;
  const bool dated = started >= kEarliestPlausibleStartMs && started <= now;
  const uint64_t length = take.DurationMs();
  const bool timed = length <= kLongestPlausibleTakeMs && (!dated || length <= now - started);
  std::string line = take.name;
  if (dated) line += ", " + Filled(kRecordedAt, {LocalStartText(started)});
  if (timed) {
    const uint64_t seconds = (length + 500) / 1000;
    line += ", " + Filled(kTakeLength, {std::to_string(seconds / 60), std::to_string(seconds % 60)});
  }
  return line + ", " + Filled(kTakeNotes, {std::to_string(take.Notes())});
}

MessageAnswer Session::AskRecover(const std::vector<LeftTake>& takes) {
  std::string list;
  for (const LeftTake& take : takes) list += LeftTakeLine(take) + "\n";
  return screen_.ShowMessage(MessageIcon::Question, kCaption, {kRecoverQuestion, list},
                             MessageButtons::YesNoCancel);
}

void Session::ShowDamagedJournals(const std::vector<DamagedJournal>& damaged) {
  std::string list;
  for (const DamagedJournal& journal : damaged) {
    list += (journal.setAsideAs.empty() ? journal.name
                                        : Filled(kSetAsideAs, {journal.name, journal.setAsideAs})) +
            "\n";
  }
  screen_.ShowMessage(MessageIcon::Warning, kCaption, {kDamagedJournals, list}, MessageButtons::Ok);
}

void Session::TakeRecovered(LeftTake& take) {
  // A journal is checked as a loaded file is, and then holds what memory holds.
  CheckLoadedEvents(take.events);
  // Held as this take's journal until it is saved or thrown away; a journal
  // that is no longer the file read leaves the take in memory alone.
  journalWarned_ = false;
  journal_.Adopt(take);
  events_.events = std::move(take.events);
  if (!MakePlaybackCopy(copy_, events_.events.data(), events_.count())) ShowMemoryError();
  state_.modified = true;
  state_.currentFileTitle.clear();
  state_.currentFilePath.clear();
  // A damaged header's mode is not taken; the take then plays in the current one.
  if (FindMode(take.header.mode)) {
    MoveCheck(settings_.mode, take.header.mode);
    settings_.mode = take.header.mode;
  }
  settings_.bourdon = take.header.bourdon != 0 ? 1 : 0;
  screen_.CheckItem(IDM_BOURDON, settings_.bourdon != 0);
  journal_.SetModeAndBourdon(settings_.mode, settings_.bourdon);
  ApplyEnableSet(EnableSet::FinishedWithEvents);
  screen_.Repaint();
  WarnIfJournalFailed();
}

void Session::TakeLoaded(LoadedPerformance& loaded, const AcceptedPerformance& accepted) {
  journal_.Discard();  // the unsaved take, if any, was given up at the prompt
  events_.events = std::move(loaded.events);
  if (!MakePlaybackCopy(copy_, events_.events.data(), events_.count())) ShowMemoryError();
  state_.modified = false;
  MoveCheck(settings_.mode, accepted.mode);
  settings_.mode = accepted.mode;
  settings_.bourdon = accepted.bourdon;
  screen_.CheckItem(IDM_BOURDON, settings_.bourdon != 0);
  screen_.EnableItem(IDM_SAVE, false);
  screen_.EnableItem(IDM_SAVE_AS, true);
}

bool Session::QueryClose() {
  if (!state_.modified) return true;
  const MessageAnswer answer = AskSaveChanges();
  if (answer == MessageAnswer::No) journal_.Discard();
  return answer != MessageAnswer::Cancel;
}

void Session::Destroy() {
  // No report may reach the session once it goes; one being handed over on a
  // device's thread is finished first.
  if (reports_) reports_->Listen(nullptr);
  reports_ = nullptr;
  // Nothing may hand over an event or read the copy once the session goes.
  scheduler_.Stop();
  playbackCurrent_ = false;
  CloseMidiOut(out_);
  ReleasePlaybackCopy(copy_);
  // An unsaved take's journal stays for the next start to offer back.
  journal_.Keep();
}

void Session::OnTimer(int32_t id) {
  screen_.KillTimer(id);
  OnCommand(IDM_PLAY);
}

// ---- Helpers ----------------------------------------------------------------

void Session::UpdateTitle(const std::string& name) {
  screen_.SetCaption("Tangrel - [" + NameOrUntitled(name) + "]");
}

void Session::ApplyEnableSet(EnableSet set) {
  for (const EnableChange& change : EnableChanges(set, state_.modified)) {
    if (change.kind == ControlKind::Button) {
      screen_.EnableButton(change.id, change.enabled);
    } else {
      screen_.EnableItem(change.id, change.enabled);
    }
  }
}

void Session::MoveCheck(int32_t from, int32_t to) {
  screen_.CheckItem(from, false);
  screen_.CheckItem(to, true);
}

void Session::ShowFileWarning(const Failure& failure, const std::string& name) {
  screen_.Beep();
  screen_.ShowMessage(MessageIcon::Warning, kCaption,
                      {FailureMessage(failure.kind), NameOrUntitled(name), FailureCause(failure)},
                      MessageButtons::Ok);
}

void Session::ShowOpenFailure() {
  // Under the message, one line for each thing the device tried: the output
  // or port, and why it did not open.
  MessageText text{QT_TRANSLATE_NOOP("Tangrel", "Cannot open MIDI device"), {}};
  for (const Failure& failure : devices_.WhyNotOpened()) {
    const DeviceCauseLine line = DeviceCause(failure);
    if (!line.format) continue;
    text.shownCause += (text.shownCause.empty() ? "" : "\n") + Filled(line.format, line.arguments);
  }
  screen_.Beep();
  screen_.ShowMessage(MessageIcon::Warning, kCaption, text, MessageButtons::Ok);
}

void Session::ShowMemoryError() {
  screen_.ShowMessage(MessageIcon::None, QT_TRANSLATE_NOOP("Tangrel", "错误"),
                      {QT_TRANSLATE_NOOP("Tangrel", "内存分配错误."), {}}, MessageButtons::Ok);
}

bool Session::RequireOpenSwitch() {
  if (settings_.switchOpen) return true;
  screen_.ShowMessage(MessageIcon::None, QT_TRANSLATE_NOOP("Tangrel", "Zazu"),
                      {QT_TRANSLATE_NOOP("Tangrel", "Please Open Switch"), {}}, MessageButtons::Ok);
  return false;
}

MessageAnswer Session::AskSaveChanges() {
  const MessageAnswer answer =
      screen_.ShowMessage(MessageIcon::Question, kCaption,
                          {QT_TRANSLATE_NOOP("Tangrel", "Do you save current change in %s?"),
                           NameOrUntitled(state_.currentFileTitle)},
                          MessageButtons::YesNoCancel);
  if (answer != MessageAnswer::Yes) return answer;
  // A Yes counts only when the take was written.
  return OnCommand(IDM_SAVE) ? MessageAnswer::Yes : MessageAnswer::Cancel;
}

// ---- Commands ---------------------------------------------------------------

bool Session::OnCommand(int32_t id) {
  if (id == IDM_HELP) {
    screen_.ShowHelp(kHelpTopic);
  } else if (id == IDM_ABOUT) {
    screen_.ShowAbout();
  } else if (InRange(id, IDM_MODE_FIRST, IDM_MODE_LAST) && FindMode(id)) {
    SelectMode(id);
  } else if (id == IDM_RECORD) {
    Record();
  } else if (id == IDM_END_RECORD) {
    FinishRecord();
  } else if (id == IDM_PLAY || id == IDM_CIRCLE_PLAY) {
    Play(id == IDM_CIRCLE_PLAY);
  } else if (id == IDM_END_PLAY) {
    EndPlay();
  } else if (id == IDM_SAVE) {
    return Save();
  } else if (id == IDM_SAVE_AS) {
    return SaveAs();
  } else if (id == IDM_LOAD) {
    Load();
  } else if (id == IDM_EXPORT_MIDI) {
    ExportMidi();
  } else if (id == IDM_BOURDON) {
    ToggleBourdon();
  } else if (id == IDM_SWITCH_OPEN) {
    OpenSwitch();
  } else if (id == IDM_SWITCH_CLOSE) {
    CloseSwitch();
  } else if (InRange(id, IDM_DEVICE_BASE, IDM_DEVICE_LAST)) {
    SelectDevice(id);
  } else if (InRange(id, IDM_TRACK_BASE, IDM_TRACK_BASE + kBourdonChannel - 1)) {
    SelectTrack(id);
  } else if (InRange(id, IDM_INSTRUMENT_BASE, kLastInstrumentCommand)) {
    SelectInstrument(id);
  } else {
    screen_.Repaint();
  }
  return false;
}

void Session::SelectMode(int32_t id) {
  // Applies to the next notes; those sounding are silenced by their own
  // key-ups whatever the mode is by then.
  MoveCheck(settings_.mode, id);
  settings_.mode = id;
  journal_.SetModeAndBourdon(settings_.mode, settings_.bourdon);
  screen_.Repaint();
}

void Session::Record() {
  if (!RequireOpenSwitch()) return;
  // An unsaved take is asked about first, as Load does: Cancel keeps it.
  if (state_.modified && AskSaveChanges() == MessageAnswer::Cancel) return;
  state_.modified = false;  // saved, or given up
  ApplyEnableSet(EnableSet::Recording);
  StartRecording(events_);
  recordStart_ = events_.clock();
  recorder_.NewTake();
  journalWarned_ = false;
  journal_.Begin(settings_.mode, settings_.bourdon, WallClockMs());
  screen_.Repaint();
}

void Session::FinishRecord() {
  recorder_.JournalRecorded();  // a failure is said below, after the enable set
  if (events_.count() != 0) {
    ApplyEnableSet(EnableSet::FinishedWithEvents);
  } else {
    state_.modified = false;
    ApplyEnableSet(EnableSet::FinishedEmpty);
  }
  if (!FinishRecording(events_, copy_)) ShowMemoryError();
  screen_.Repaint();
  journal_.SyncSoon();
  WarnIfJournalFailed();
}

void Session::JournalRecorded() {
  recorder_.JournalRecorded();
  WarnIfJournalFailed();
}

// Said the moment the journal fails, once per take: the status line from
// then on, and a box.
void Session::WarnIfJournalFailed() {
  if (!journal_.Failed() || journalWarned_) return;
  journalWarned_ = true;
  screen_.Repaint();
  if (journal_.Folder().empty()) {
    screen_.Beep();
    screen_.ShowMessage(MessageIcon::Warning, kCaption, {kNoJournalFolder, {}}, MessageButtons::Ok);
    return;
  }
  ShowFileWarning(Fail(FailureKind::JournalUnwritable, journal_.Folder(), journal_.Error()),
                  journal_.Folder());
}

void Session::Play(bool circle) {
  if (!RequireOpenSwitch()) return;
  ApplyEnableSet(EnableSet::Playing);
  // Playing stays on even if nothing starts: End Play is always there to
  // leave it.
  playing_ = copy_.events;
  playbackCurrent_ = scheduler_.Start(playing_, circle);
  playGeneration_ = scheduler_.Generation();
  circlePlaying_ = circle;
  screen_.Repaint();
}

void Session::EndPlay() {
  ApplyEnableSet(EnableSet::Stopped);
  scheduler_.Stop();
  // Events already queued for the UI thread belong to the stopped playback:
  // none of them may sound after End Play.
  playbackCurrent_ = false;
  PlayContext ctx = Context();
  SilenceEverything(live_, ctx);
  screen_.Repaint();
}

bool Session::Save() { return state_.currentFileTitle.empty() ? SaveAs() : WriteCurrentFile(); }

bool Session::SaveAs() {
  auto chosen = screen_.AskFileName({true, kPerformanceFilter, "tgi", state_.currentFilePath});
  if (!chosen) return false;
  state_.currentFilePath = chosen->path;
  state_.currentFileTitle = chosen->title;
  return WriteCurrentFile();
}

bool Session::WriteCurrentFile() {
  const Failure failure =
      SavePerformanceFile(events_.events.data(), events_.count(), settings_.mode, settings_.bourdon,
                          state_.currentFilePath);
  if (failure) {
    ShowFileWarning(failure, state_.currentFileTitle);
    state_.currentFileTitle.clear();  // the next Save asks for a name
    UpdateTitle(state_.currentFileTitle);
    return false;
  }
  state_.modified = false;
  journal_.Discard();
  ApplyEnableSet(EnableSet::Saved);
  UpdateTitle(state_.currentFileTitle);
  return true;
}

void Session::Load() {
  if (state_.modified && AskSaveChanges() == MessageAnswer::Cancel) return;
  auto chosen = screen_.AskFileName({false, kPerformanceFilter, "tgi", state_.currentFilePath});
  if (!chosen) return;
  state_.currentFilePath = chosen->path;
  state_.currentFileTitle = chosen->title;
  // A failed load leaves the caption with its name.
  if (!LoadCurrentFile(state_.currentFileTitle)) return;
  screen_.Repaint();
  UpdateTitle(state_.currentFileTitle);
  ApplyEnableSet(EnableSet::Loaded);
}

void Session::ExportMidi() {
  auto chosen = screen_.AskFileName({true, kMidiFilter, "mid", state_.midiExportPath});
  if (!chosen) return;
  state_.midiExportPath = chosen->path;
  state_.midiExportTitle = chosen->title;
  // A failed export is said, not swallowed: the user would otherwise look
  // for a file that is not there.
  const Failure failure =
      ExportMidiFile(events_.events.data(), events_.count(), settings_.mode, settings_.program,
                     settings_.bourdon, state_.midiExportPath);
  if (failure) ShowFileWarning(failure, state_.midiExportTitle);
}

void Session::ToggleBourdon() {
  // Notes already sounding keep their voices; the next ones follow.
  settings_.bourdon = settings_.bourdon ? 0 : 1;
  screen_.CheckItem(IDM_BOURDON, settings_.bourdon != 0);
  journal_.SetModeAndBourdon(settings_.mode, settings_.bourdon);
}

void Session::OpenSwitch() {
  const OpenResult result = OpenMidiOut(out_);
  if (result == OpenResult::Failed) ShowOpenFailure();
  if (result == OpenResult::Opened) {
    MoveCheck(IDM_SWITCH_CLOSE, IDM_SWITCH_OPEN);
    lostOutput_.reset();  // a fresh output; the device says again if it is lost
  }
  screen_.Repaint();
}

void Session::CloseSwitch() {
  if (CloseMidiOut(out_)) {
    MoveCheck(IDM_SWITCH_OPEN, IDM_SWITCH_CLOSE);
    lostOutput_.reset();
    // All notes are off: nothing is sounding, so nothing is shown held.
    ForgetSoundingNotes(live_);
    if (keys_) keys_->ShowAllReleased();
  }
  screen_.Repaint();
}

void Session::SelectDevice(int32_t id) {
  MoveCheck(IDM_DEVICE_BASE + settings_.deviceId, id);
  settings_.deviceId = id - IDM_DEVICE_BASE;
  if (settings_.switchOpen) {
    // Reopens on the new device, or leaves the Switch closed after the box.
    OnCommand(IDM_SWITCH_CLOSE);
    OnCommand(IDM_SWITCH_OPEN);
  }
  screen_.Repaint();
}

void Session::SendProgramToTrackAndBourdon() {
  if (!settings_.switchOpen) return;
  SendProgramChange(out_, settings_.track, settings_.program);
  SendProgramChange(out_, kBourdonChannel, settings_.program);
}

void Session::SelectTrack(int32_t id) {
  MoveCheck(IDM_TRACK_BASE + settings_.track, id);
  settings_.track = id - IDM_TRACK_BASE;
  SendProgramToTrackAndBourdon();
  screen_.Repaint();
}

void Session::SelectInstrument(int32_t id) {
  MoveCheck(IDM_INSTRUMENT_BASE + settings_.program, id);
  settings_.program = id - IDM_INSTRUMENT_BASE;
  SendProgramToTrackAndBourdon();
  screen_.Repaint();
}

// ---- Keys and mouse ---------------------------------------------------------

void Session::Key(uint32_t message, uint32_t keyData, Modifiers modifiers, bool altHeld) {
  const uint32_t s = ScanCodeOf(keyData);
  if (message == WM_KEYDOWN && !altHeld && (keyData & kKeyDataExtendedBit)) {
    for (const VelocityKey& key : kVelocityKeys) {
      if (key.scanCode == s) StepVelocity(key.change);
    }
  }
  if (altHeld) {
    // Alt keys are the menus'. A key pressed before Alt went down is still
    // released, so nothing sticks.
    const bool held = s < live_.held.size() && live_.held[s];
    if (message == WM_KEYDOWN || !held) return;
  }
  if (!settings_.switchOpen) return;
  PlayContext ctx = Context();
  PlayKey(live_, ctx, message, keyData, modifiers);
  JournalRecorded();
  if (message == WM_KEYDOWN && s == kEscapeScanCode) {
    SilenceEverything(live_, ctx);
    screen_.Repaint();
  }
}

void Session::FocusLost() {
  // Key releases that happen in another window never come here: release
  // every held key now rather than leave its note sounding.
  if (!settings_.switchOpen) return;
  PlayContext ctx = Context();
  ReleaseHeldKeys(live_, ctx);
  JournalRecorded();
}

void Session::MousePress(int x, int y, Modifiers modifiers) {
  const auto key = HitTestKeyboard(layout_.keyboardOrigin, x, y);
  if (!key) return;
  // The window keeps the mouse until the button is released, wherever the
  // pointer goes: the release always comes back here.
  capturedKey_ = *key;
  Key(WM_KEYDOWN, KeyDataOfScanCode(*key), modifiers);
}

void Session::MouseRelease(Modifiers modifiers) {
  if (capturedKey_ >= static_cast<uint32_t>(kKeyMapSize)) return;
  const uint32_t key = capturedKey_;
  capturedKey_ = kNoCapturedKey;
  Key(WM_KEYUP, KeyDataOfScanCode(key), modifiers);
}

// ---- Layout and scroll bars -------------------------------------------------

void Session::Resize(int clientWidth, int clientHeight) {
  layout_ = ComputeLayout(clientWidth, clientHeight, charWidth_, charHeight_);
}

void Session::SetVelocity(int32_t velocity) {
  // Nothing is sent: the velocity applies to the next note-ons.
  settings_.velocity = std::clamp(velocity, kVelocityMin, kVelocityMax);
  screen_.Repaint();
}

void Session::StepVelocity(int32_t change) { SetVelocity(settings_.velocity + change); }

void Session::BendTo(int32_t bend) {
  bend_ = std::clamp(bend, 0, kBendTop);
  // The bourdon channel is not bent.
  if (settings_.switchOpen) SendPitchBend(out_, settings_.track, bend_);
  screen_.Repaint();
}

void Session::ReleaseBend() { BendTo(kBendCentre); }

// ---- What the window shows
// ----------------------------------------------------

std::string Session::SwitchText() const {
  return settings_.switchOpen ? QT_TRANSLATE_NOOP("Tangrel", "Open")
                              : QT_TRANSLATE_NOOP("Tangrel", "Close");
}

std::string Session::DeviceText() const {
  return UserText(devices_.DeviceName(settings_.deviceId).value_or("").c_str());
}

std::string Session::TrackText() const {
  return UserText(QT_TRANSLATE_NOOP("Tangrel", "Track")) + " " +
         std::to_string(settings_.track + 1);
}

std::string Session::SignatureText() const {
  const char* name = ProgramName(settings_.track, settings_.program);
  return KeySignatureText(settings_.mode, UserText(name)).value_or("");
}

ShownText Session::ActivityText() const {
  // Silence the player cannot explain matters more than the take's progress.
  if (lostOutput_ && lostOutput_->detail.empty()) return {LostOutputText(*lostOutput_), {}};
  if (lostOutput_) return {LostOutputText(*lostOutput_), {lostOutput_->detail}};
  if (events_.recording) {
    const uint32_t seconds = (events_.clock() - recordStart_) / 1000;
    const auto notes =
        std::count_if(events_.events.begin(), events_.events.end(),
                      [](const PerformanceEvent& e) { return e.message == WM_KEYDOWN; });
    char time[16];
    std::snprintf(time, sizeof time, "%u:%02u", seconds / 60, seconds % 60);
    return {journal_.Failed()
                ? QT_TRANSLATE_NOOP("Tangrel", "Recording: %1, notes: %2, in memory only")
                : QT_TRANSLATE_NOOP("Tangrel", "Recording: %1, notes: %2"),
            {time, std::to_string(notes)}};
  }
  if (scheduler_.Running())
    return {circlePlaying_ ? QT_TRANSLATE_NOOP("Tangrel", "Playing in a loop")
                           : QT_TRANSLATE_NOOP("Tangrel", "Playing once"),
            {}};
  if (state_.modified) {
    return {journal_.Failed() ? QT_TRANSLATE_NOOP("Tangrel", "Take not saved, in memory only")
                              : QT_TRANSLATE_NOOP("Tangrel", "Take not saved"),
            {}};
  }
  return {};
}

ShownText Session::PictureText() const {
  if (settings_.track == kPercussionChannel) return {QT_TRANSLATE_NOOP("Tangrel", "Drum kit"), {}};
  return {"%1", {UserText(InstrumentName(settings_.program))}};
}

std::string Session::VelocityText() const { return std::to_string(settings_.velocity); }

double Session::BendSemitones(int32_t bend) {
  // The centre a released bend returns to counts as no bend at all.
  const int32_t fromCentre = bend == kBendCentre ? 0 : bend - (kBendTop + 1) / 2;
  return kBendRangeSemitones * fromCentre / ((kBendTop + 1) / 2);
}

std::string Session::BendText() const {
  char text[16];
  std::snprintf(text, sizeof text, "%+.2f", BendSemitones(bend_));
  return text;
}

int Session::PictureIndex() const {
  return InstrumentPictureIndex(settings_.track, settings_.program);
}

// ---- Device reports
// ----------------------------------------------------------

void Session::ListenTo(ShownDeviceReports& reports) {
  reports_ = &reports;
  reports.Listen(this);
}

void Session::HandOverReport(const Failure& failure) {
  PostWhileAlive([this, failure] { DeviceReported(failure); });
}

void Session::HandOverNews(const DeviceNews& news) {
  PostWhileAlive([this, news] { DeviceNewsArrived(news); });
}

void Session::DeviceReported(const Failure& failure) {
  if (failure.kind == FailureKind::SoundOutputLost) {
    // A report still queued when the output was closed belongs to that output.
    if (!settings_.switchOpen) return;
    lostOutput_ = failure;
    screen_.Repaint();
  }
}

void Session::DeviceNewsArrived(const DeviceNews& news) {
  if (news.kind == NewsKind::SoundOutputBack) {
    lostOutput_.reset();
    screen_.Repaint();
  } else if (news.kind == NewsKind::SoundFontChanged) {
    screen_.ShowMessage(MessageIcon::Warning, kCaption, {kSoundFontChanged, news.detail},
                        MessageButtons::Ok);
  }
}

// ---- Playback hand-overs
// -------------------------------------------------------

void Session::PostingSink::PlayEvent(uint64_t generation, uint32_t index) {
  Session* s = &session_;
  s->PostWhileAlive([s, generation, index] { s->ReplayHandedOver(generation, index); });
}

void Session::PostingSink::EndOfPlayback(uint64_t generation) {
  Session* s = &session_;
  s->PostWhileAlive([s, generation] { s->EndOfPlaybackHandedOver(generation); });
}

bool Session::IsCurrentPlayback(uint64_t generation) const {
  return playbackCurrent_ && generation == playGeneration_;
}

void Session::ReplayHandedOver(uint64_t generation, uint32_t index) {
  // With the output closed the event is lost, but the schedule runs on.
  if (!IsCurrentPlayback(generation) || !settings_.switchOpen) return;
  if (!playing_ || index >= playing_->size()) return;
  const PerformanceEvent& e = (*playing_)[index];
  PlayContext ctx = Context();
  ReplayEvent(live_, ctx, e.message, e.keyData, e.octaveShift);
}

void Session::EndOfPlaybackHandedOver(uint64_t generation) {
  if (IsCurrentPlayback(generation)) OnCommand(IDM_END_PLAY);
}

}  // namespace tangrel
