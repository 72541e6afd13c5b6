// The session: creation, the commands and their enable sets, the save prompt,
// keys and mouse, the scroll bars and the playback hand-overs.
#include "session/Session.h"

#include <algorithm>
#include <array>

#include "files/MidiExport.h"
#include "session/CommandIds.h"
#include "session/Instruments.h"
#include "session/Texts.h"

namespace tangrel {
namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("Tangrel", "TG");
constexpr const char* kUntitled = QT_TRANSLATE_NOOP("Tangrel", "Untitle");
constexpr const char* kPerformanceFilter = QT_TRANSLATE_NOOP("Tangrel", "TGI Files(*.TGI)");
constexpr const char* kMidiFilter = QT_TRANSLATE_NOOP("Tangrel", "Midi Files(*.MID)");
constexpr uint32_t kEscapeScanCode = 1;
constexpr int32_t kLastInstrumentCommand = IDM_INSTRUMENT_BASE + 127;

// The velocity bar shows 128 - velocity, so its top is loud.
constexpr int32_t kVelocityBarBase = 128;
// The pitch-bend bar shows 16383 - bend, so its top bends highest; released,
// the bend goes back to the centre and the thumb to the middle of the bar.
constexpr int32_t kBendTop = 16383;
constexpr int32_t kBendCentre = 8191;

struct VelocityStep {
  int32_t code;
  int32_t change;      // added to the velocity
  bool fromPosition;   // the velocity is read off the thumb instead
};
constexpr std::array<VelocityStep, 6> kVelocitySteps = {{
    {SB_LINEUP, 1, false},
    {SB_LINEDOWN, -1, false},
    {SB_PAGEUP, 8, false},
    {SB_PAGEDOWN, -8, false},
    {SB_THUMBPOSITION, 0, true},
    {SB_THUMBTRACK, 0, true},
}};

std::string NameOrUntitled(const std::string& name) {
  return name.empty() ? UserText(kUntitled) : name;
}

bool InRange(int32_t id, int32_t first, int32_t last) { return id >= first && id <= last; }

}  // namespace

Session::Session(MidiDevices& devices, Screen& screen, KeyView* keys, int charWidth,
                 int charHeight)
    : devices_(devices), screen_(screen), keys_(keys), charWidth_(charWidth),
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
  // Without a MIDI mapper the list also picks device 0.
  screen_.SetMenuBar(BuildMenuBar(ListMidiOutDevices(out_)));
  ApplyEnableSet(EnableSet::Initial);
  const OpenResult opened = OpenMidiOut(out_, ProgramChangeTo::TrackOnly);
  if (opened == OpenResult::Failed) ShowOpenFailure();
  screen_.CheckItem(IDM_SWITCH_OPEN, settings_.switchOpen != 0);
  screen_.CheckItem(IDM_SWITCH_CLOSE, settings_.switchOpen == 0);
  if (commandLine.empty()) {
    UpdateTitle(state_.currentFileTitle);
    return true;
  }
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
  const char* failure = LoadPerformanceFile(state_.currentFilePath, loaded);
  const auto accepted = failure ? std::nullopt : AcceptLoadedPerformance(loaded);
  if (!accepted) {
    // A mode outside the 24 is refused like any damaged file, so the next
    // Save asks for a name instead of writing over it. The take in memory
    // stays as it was.
    ShowFileWarning(failure ? failure : file_messages::kNotSupported, shownName);
    state_.currentFileTitle.clear();
    return false;
  }
  TakeLoaded(loaded, *accepted);
  return true;
}

void Session::TakeLoaded(LoadedPerformance& loaded, const AcceptedPerformance& accepted) {
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
  return !state_.modified || AskSaveChanges() != MessageAnswer::Cancel;
}

void Session::Destroy() {
  // Nothing may hand over an event or read the copy once the session goes.
  scheduler_.Stop();
  playbackCurrent_ = false;
  CloseMidiOut(out_);
  ReleasePlaybackCopy(copy_);
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

void Session::ShowFileWarning(const char* format, const std::string& name) {
  screen_.Beep();
  screen_.ShowMessage(MessageIcon::Warning, kCaption, {format, NameOrUntitled(name)},
                      MessageButtons::Ok);
}

void Session::ShowOpenFailure() {
  screen_.Beep();
  screen_.ShowMessage(MessageIcon::Warning, kCaption,
                      {QT_TRANSLATE_NOOP("Tangrel", "Cannot open MIDI device"), {}},
                      MessageButtons::Ok);
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
  return OnCommand(IDM_SAVE) == 1 ? MessageAnswer::Yes : MessageAnswer::Cancel;
}

// ---- Commands ---------------------------------------------------------------

int Session::OnCommand(int32_t id) {
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
  } else if (InRange(id, IDM_DEVICE_MAPPER, IDM_DEVICE_LAST)) {
    SelectDevice(id);
  } else if (InRange(id, IDM_TRACK_BASE, IDM_TRACK_BASE + kBourdonChannel - 1)) {
    SelectTrack(id);
  } else if (InRange(id, IDM_INSTRUMENT_BASE, kLastInstrumentCommand)) {
    SelectInstrument(id);
  } else {
    screen_.Repaint();
  }
  return 0;
}

void Session::SelectMode(int32_t id) {
  // Applies to the next notes; those sounding are silenced by their own
  // key-ups whatever the mode is by then.
  MoveCheck(settings_.mode, id);
  settings_.mode = id;
  screen_.Repaint();
}

void Session::Record() {
  if (!RequireOpenSwitch()) return;
  ApplyEnableSet(EnableSet::Recording);
  StartRecording(events_);  // an unsaved take is discarded without asking
}

void Session::FinishRecord() {
  if (events_.count() != 0) {
    ApplyEnableSet(EnableSet::FinishedWithEvents);
  } else {
    state_.modified = false;
    ApplyEnableSet(EnableSet::FinishedEmpty);
  }
  if (!FinishRecording(events_, copy_)) ShowMemoryError();
}

void Session::Play(bool circle) {
  if (!RequireOpenSwitch()) return;
  ApplyEnableSet(EnableSet::Playing);
  // Playing stays on even if nothing starts: End Play is always there to
  // leave it.
  playing_ = copy_.events;
  playbackCurrent_ = scheduler_.Start(playing_, circle);
  playGeneration_ = scheduler_.Generation();
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

int Session::Save() {
  return state_.currentFileTitle.empty() ? SaveAs() : WriteCurrentFile();
}

int Session::SaveAs() {
  auto chosen = screen_.AskFileName({true, kPerformanceFilter, "tgi", state_.currentFilePath});
  if (!chosen) return 0;
  state_.currentFilePath = chosen->path;
  state_.currentFileTitle = chosen->title;
  return WriteCurrentFile();
}

int Session::WriteCurrentFile() {
  const char* failure = SavePerformanceFile(events_.events.data(), events_.count(),
                                            settings_.mode, settings_.bourdon,
                                            state_.currentFilePath);
  if (failure) {
    ShowFileWarning(failure, state_.currentFileTitle);
    state_.currentFileTitle.clear();  // the next Save asks for a name
    UpdateTitle(state_.currentFileTitle);
    return 0;
  }
  state_.modified = false;
  ApplyEnableSet(EnableSet::Saved);
  UpdateTitle(state_.currentFileTitle);
  return 1;
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
  FileWriter out;
  SafeWriteResult result = out.Open(state_.midiExportPath);
  if (result == SafeWriteResult::kWritten) {
    result = ExportMidiFile(events_.events.data(), events_.count(), settings_.mode,
                            settings_.program, settings_.bourdon, out);
  }
  if (const char* failure = WriteMessage(result)) {
    ShowFileWarning(failure, state_.midiExportTitle);
  }
}

void Session::ToggleBourdon() {
  // Notes already sounding keep their voices; the next ones follow.
  settings_.bourdon = settings_.bourdon ? 0 : 1;
  screen_.CheckItem(IDM_BOURDON, settings_.bourdon != 0);
}

void Session::OpenSwitch() {
  const OpenResult result = OpenMidiOut(out_);
  if (result == OpenResult::Failed) ShowOpenFailure();
  if (result == OpenResult::Opened) MoveCheck(IDM_SWITCH_CLOSE, IDM_SWITCH_OPEN);
  screen_.Repaint();
}

void Session::CloseSwitch() {
  if (CloseMidiOut(out_)) {
    MoveCheck(IDM_SWITCH_OPEN, IDM_SWITCH_CLOSE);
    // All notes are off: nothing is sounding, so nothing is shown held.
    ForgetSoundingNotes(live_);
    if (keys_) keys_->ShowAllReleased();
  }
  screen_.Repaint();
}

void Session::SelectDevice(int32_t id) {
  const int32_t current = settings_.deviceId == kMidiMapper ? IDM_DEVICE_MAPPER
                                                            : IDM_DEVICE_BASE + settings_.deviceId;
  MoveCheck(current, id);
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
  if (altHeld) {
    // Alt keys are the menus'. A key pressed before Alt went down is still
    // released, so nothing sticks.
    const bool held = s < live_.held.size() && live_.held[s];
    if (message == WM_KEYDOWN || !held) return;
  }
  if (!settings_.switchOpen) return;
  PlayContext ctx = Context();
  PlayKey(live_, ctx, message, keyData, modifiers);
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

ScrollRange Session::ScrollRangeOf(int32_t barId) {
  return barId == IDC_VELOCITY ? ScrollRange{1, 127} : ScrollRange{1, kBendTop};
}

int32_t Session::ScrollPosition(int32_t barId) const {
  return barId == IDC_VELOCITY ? kVelocityBarBase - settings_.velocity : pitchBendPosition_;
}

int32_t Session::Scroll(int32_t barId, int32_t code, int32_t position) {
  if (barId == IDC_VELOCITY) {
    // Nothing is sent: the velocity applies to the next note-ons.
    for (const VelocityStep& step : kVelocitySteps) {
      if (step.code != code) continue;
      const int32_t v = step.fromPosition ? kVelocityBarBase - position
                                          : settings_.velocity + step.change;
      settings_.velocity = std::clamp(v, 1, 127);
    }
  } else if (barId == IDC_PITCHBEND && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)) {
    const int32_t bend =
        code == SB_THUMBTRACK ? std::clamp(kBendTop - position, 0, kBendTop) : kBendCentre;
    pitchBendPosition_ = kBendTop - bend;
    // The bourdon channel is not bent.
    if (settings_.switchOpen) SendPitchBend(out_, settings_.track, bend);
  }
  return ScrollPosition(barId);
}

// ---- What the window shows ----------------------------------------------------

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
  return KeySignatureText(settings_.mode, UserText(InstrumentName(settings_.program))).value_or("");
}

int Session::PictureIndex() const {
  return InstrumentPictureIndex(settings_.track, settings_.program);
}

// ---- Playback hand-overs -------------------------------------------------------

void Session::PostingSink::PlayEvent(uint64_t generation, uint32_t index) {
  Session* s = &session_;
  s->screen_.Post([s, generation, index] { s->ReplayHandedOver(generation, index); });
}

void Session::PostingSink::EndOfPlayback(uint64_t generation) {
  Session* s = &session_;
  s->screen_.Post([s, generation] { s->EndOfPlaybackHandedOver(generation); });
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
