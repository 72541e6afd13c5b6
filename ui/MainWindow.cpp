// The main window: creation, key and mouse handling, commands, playback
// hand-overs and painting.
#include "ui/MainWindow.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "ui/CommandIds.h"
#include "ui/KeyTranslation.h"

namespace tangrel {
namespace {

constexpr uint32_t kEscapeScanCode = 1;

struct ButtonSpec {
  int id;
  const char* text;
};
// In button order; the ids are the commands a click sends.
constexpr std::array<ButtonSpec, kButtonCount> kButtons = {{
    {IDM_RECORD, "Record"},
    {IDM_END_RECORD, "Finish"},
    {IDM_PLAY, "Play"},
    {IDM_CIRCLE_PLAY, "Circle play"},
    {IDM_END_PLAY, "End Play"},
}};

Modifiers ModifiersOf(Qt::KeyboardModifiers m) {
  return Modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0};
}

bool AltHeld(const QInputEvent* event) { return (event->modifiers() & Qt::AltModifier) != 0; }

}  // namespace

MainWindow::MainWindow(MidiDevices& devices, Messages& messages, QWidget* parent)
    : QWidget(parent), devices_(devices), messages_(messages), keyboard_(*this) {
  out_.devices = &devices_;
  out_.settings = &settings_;
  events_.modified = &modified_;

  setWindowTitle(QStringLiteral("Tangrel"));
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent fills every pixel
  setFocusPolicy(Qt::StrongFocus);
  MeasureCharacterCell();
  CreateButtons();
  // The Device menu's list; without a MIDI mapper it also picks device 0.
  deviceItems_ = ListMidiOutDevices(out_);
  UpdateTitle(QString());
}

MainWindow::~MainWindow() {
  // Nothing may hand over an event or read the copy once the window goes.
  scheduler_.Stop();
  playbackCurrent_ = false;
  CloseMidiOut(out_);
  ReleasePlaybackCopy(copy_);
}

void MainWindow::MeasureCharacterCell() {
  const QFontMetrics metrics(font());
  charWidth_ = metrics.horizontalAdvance(QLatin1Char('M'));
  charHeight_ = metrics.height();
}

void MainWindow::CreateButtons() {
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QPushButton(QString::fromLatin1(kButtons[i].text), this);
    // The keyboard stays with the window, so the key pressed right after a
    // click is played.
    button->setFocusPolicy(Qt::NoFocus);
    const int id = kButtons[i].id;
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    buttons_[i] = button;
  }
  ApplyEnableSet(EnableSet::Initial);
}

QPushButton* MainWindow::Button(int id) const {
  for (int i = 0; i < kButtonCount; ++i) {
    if (kButtons[i].id == id) return buttons_[i];
  }
  return nullptr;
}

void MainWindow::UpdateTitle(const QString& name) {
  setWindowTitle(QStringLiteral("Tangrel - [%1]")
                     .arg(name.isEmpty() ? QStringLiteral("Untitle") : name));
}

void MainWindow::OpenOutputAtStart() {
  if (OpenMidiOut(out_, ProgramChangeTo::TrackOnly) == OpenResult::Failed) {
    messages_.Show(this, MessageIcon::Warning, QStringLiteral("TG"),
                   QStringLiteral("Cannot open MIDI device"));
  }
}

// ---- Keys and mouse -------------------------------------------------------

void MainWindow::HandleKey(uint32_t message, uint32_t keyData, Modifiers modifiers) {
  if (!settings_.switchOpen) return;
  PlayContext ctx = Context();
  PlayKey(live_, ctx, message, keyData, modifiers);
}

void MainWindow::Escape() {
  if (!settings_.switchOpen) return;
  PlayContext ctx = Context();
  SilenceEverything(live_, ctx);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Keys with Alt held belong to the menus and accelerators, not the music.
  if (AltHeld(event)) {
    QWidget::keyPressEvent(event);
    return;
  }
  const uint32_t keyData = MakeKeyData(event->nativeScanCode(), false, event->isAutoRepeat());
  HandleKey(WM_KEYDOWN, keyData, ModifiersOf(event->modifiers()));
  if (ScanCodeOf(keyData) == kEscapeScanCode || event->key() == Qt::Key_Escape) Escape();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
  // The system repeats a held key as release-press pairs; only the final
  // release counts.
  if (event->isAutoRepeat()) return;
  const uint32_t keyData = MakeKeyData(event->nativeScanCode(), true, false);
  // A key pressed before Alt went down is still released, so nothing sticks.
  const uint32_t s = ScanCodeOf(keyData);
  if (AltHeld(event) && !(s < live_.held.size() && live_.held[s])) return;
  HandleKey(WM_KEYUP, keyData, ModifiersOf(event->modifiers()));
}

void MainWindow::focusOutEvent(QFocusEvent* event) {
  // Key releases that happen in another window never reach this one: release
  // every held key now rather than leave its note sounding.
  if (settings_.switchOpen) {
    PlayContext ctx = Context();
    ReleaseHeldKeys(live_, ctx);
  }
  QWidget::focusOutEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  auto key = HitTestKeyboard(keyboard_.Origin(), p.x(), p.y());
  if (!key) return;
  // Qt keeps delivering the mouse to this window until the button is
  // released, wherever the pointer goes: the release always comes here.
  capturedKey_ = *key;
  HandleKey(WM_KEYDOWN, *key << 16, ModifiersOf(event->modifiers()));
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || capturedKey_ >= kKeyMapSize) return;
  const uint32_t key = capturedKey_;
  capturedKey_ = kNoCapturedKey;
  HandleKey(WM_KEYUP, key << 16, ModifiersOf(event->modifiers()));
}

// ---- Commands --------------------------------------------------------------

void MainWindow::OnCommand(int id) {
  if (id >= IDM_MODE_FIRST && id <= IDM_MODE_LAST) {
    SelectMode(id);
    return;
  }
  switch (id) {
    case IDM_RECORD: Record(); return;
    case IDM_END_RECORD: FinishRecord(); return;
    case IDM_PLAY: Play(false); return;
    case IDM_CIRCLE_PLAY: Play(true); return;
    case IDM_END_PLAY: EndPlay(); return;
    case IDM_SWITCH_OPEN: OpenSwitch(); return;
    case IDM_SWITCH_CLOSE: CloseSwitch(); return;
    default: update(); return;
  }
}

void MainWindow::SelectMode(int id) {
  // Applies to the next notes; those sounding are silenced by their own
  // key-ups whatever the mode is by then.
  settings_.mode = id;
  update();
}

bool MainWindow::RequireOpenSwitch() {
  if (settings_.switchOpen) return true;
  messages_.Show(this, MessageIcon::None, QStringLiteral("Zazu"),
                 QStringLiteral("Please Open Switch"));
  return false;
}

void MainWindow::ApplyEnableSet(EnableSet set) {
  for (const EnableChange& change : EnableChanges(set, modified_)) {
    // The Record menu's items join here when the menu bar is built.
    if (change.kind != ControlKind::Button) continue;
    if (QPushButton* button = Button(change.id)) button->setEnabled(change.enabled);
  }
}

void MainWindow::Record() {
  if (!RequireOpenSwitch()) return;
  ApplyEnableSet(EnableSet::Recording);
  StartRecording(events_);  // an unsaved take is discarded without asking
}

void MainWindow::FinishRecord() {
  if (events_.count() != 0) {
    ApplyEnableSet(EnableSet::FinishedWithEvents);
  } else {
    modified_ = false;
    ApplyEnableSet(EnableSet::FinishedEmpty);
  }
  FinishRecording(events_, copy_);
}

void MainWindow::Play(bool circle) {
  if (!RequireOpenSwitch()) return;
  ApplyEnableSet(EnableSet::Playing);
  // Playing stays on even if nothing starts: End Play is always there to
  // leave it.
  playing_ = copy_.events;
  playbackCurrent_ = scheduler_.Start(playing_, circle);
  playGeneration_ = scheduler_.Generation();
}

void MainWindow::EndPlay() {
  ApplyEnableSet(EnableSet::Stopped);
  scheduler_.Stop();
  // Events already queued for this window belong to the stopped playback:
  // none of them may sound after End Play.
  playbackCurrent_ = false;
  PlayContext ctx = Context();
  SilenceEverything(live_, ctx);
  update();
}

void MainWindow::OpenSwitch() {
  if (OpenMidiOut(out_) == OpenResult::Failed) {
    messages_.Show(this, MessageIcon::Warning, QStringLiteral("TG"),
                   QStringLiteral("Cannot open MIDI device"));
  }
  update();
}

void MainWindow::CloseSwitch() {
  if (CloseMidiOut(out_)) {
    // All notes are off: nothing is sounding, so nothing is shown held.
    ForgetSoundingNotes(live_);
    keyboard_.ShowAllReleased();
  }
  update();
}

// ---- Playback hand-overs -----------------------------------------------------

void MainWindow::QueuedSink::PlayEvent(uint64_t generation, uint32_t index) {
  QMetaObject::invokeMethod(
      &window_, [w = &window_, generation, index] { w->ReplayHandedOver(generation, index); },
      Qt::QueuedConnection);
}

void MainWindow::QueuedSink::EndOfPlayback(uint64_t generation) {
  QMetaObject::invokeMethod(
      &window_, [w = &window_, generation] { w->EndOfPlaybackHandedOver(generation); },
      Qt::QueuedConnection);
}

bool MainWindow::IsCurrentPlayback(uint64_t generation) const {
  return playbackCurrent_ && generation == playGeneration_;
}

void MainWindow::ReplayHandedOver(uint64_t generation, uint32_t index) {
  // With the output closed the event is lost, but the schedule runs on.
  if (!IsCurrentPlayback(generation) || !settings_.switchOpen) return;
  if (!playing_ || index >= playing_->size()) return;
  const PerformanceEvent& e = (*playing_)[index];
  PlayContext ctx = Context();
  ReplayEvent(live_, ctx, e.message, e.keyData, e.octaveShift);
}

void MainWindow::EndOfPlaybackHandedOver(uint64_t generation) {
  if (IsCurrentPlayback(generation)) OnCommand(IDM_END_PLAY);
}

// ---- Layout and painting ----------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event) {
  layout_ = ComputeLayout(width(), height(), charWidth_, charHeight_);
  keyboard_.SetOrigin(layout_.keyboardOrigin);
  for (int i = 0; i < kButtonCount; ++i) {
    const PixelRect& r = layout_.buttons[i];
    buttons_[i]->setGeometry(r.x, r.y, r.width, r.height);
  }
  QWidget::resizeEvent(event);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), kBackgroundColour);
  keyboard_.PaintKeyboard(painter, event->rect());
  // The status lines, the instrument picture, the key signature and the
  // scroll-bar labels are painted after the keyboard, over the background.
}

}  // namespace tangrel
