// SPDX-License-Identifier: GPL-3.0-or-later
// The client area's controls, events and painting.
#include "ui/ClientView.h"

#include <QAbstractSlider>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolBar>

#include "session/CommandIds.h"
#include "session/Instruments.h"
#include "ui/Accessibility.h"
#include "ui/KeyTranslation.h"
#include "ui/OutlinedText.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

constexpr const char* kCommandProperty = "commandId";

struct ButtonSpec {
  int32_t id;
  const char* text;
};
// In button order; the ids are the commands a click sends.
constexpr std::array<ButtonSpec, kButtonCount> kButtons = {{
    {IDM_RECORD, QT_TRANSLATE_NOOP("Tangrel", "Record")},
    {IDM_END_RECORD, QT_TRANSLATE_NOOP("Tangrel", "Finish")},
    {IDM_PLAY, QT_TRANSLATE_NOOP("Tangrel", "Play")},
    {IDM_CIRCLE_PLAY, QT_TRANSLATE_NOOP("Tangrel", "Circle play")},
    {IDM_END_PLAY, QT_TRANSLATE_NOOP("Tangrel", "End Play")},
}};

// The bars stand upright with their top loudest and bent highest, while a
// scroll bar's minimum is at its top: a thumb's position counts from the top.
int32_t VelocityThumb(int32_t velocity) { return kVelocityMax + 1 - velocity; }
int32_t BendThumb(int32_t bend) { return kBendTop - bend; }

// Qt's steps of the Force bar as changes of the velocity; up is louder.
struct VelocityStep {
  int action;  // QAbstractSlider::SliderAction
  int32_t change;
};
constexpr std::array<VelocityStep, 4> kVelocitySteps = {{
    {QAbstractSlider::SliderSingleStepSub, kVelocityLineStep},
    {QAbstractSlider::SliderSingleStepAdd, -kVelocityLineStep},
    {QAbstractSlider::SliderPageStepSub, kVelocityPageStep},
    {QAbstractSlider::SliderPageStepAdd, -kVelocityPageStep},
}};

Modifiers ModifiersOf(Qt::KeyboardModifiers m) {
  return Modifiers{(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0};
}

bool AltHeld(const QInputEvent* event) { return (event->modifiers() & Qt::AltModifier) != 0; }

uint32_t KeyDataOf(const QKeyEvent* event, bool release) {
  uint32_t keyData = MakeKeyData(event->nativeScanCode(), release, event->isAutoRepeat());
  // A synthesized Esc may come without a scan code.
  if (ScanCodeOf(keyData) == 0 && event->key() == Qt::Key_Escape) {
    keyData |= KeyDataOfScanCode(kEscapeScanCode);
  }
  return keyData;
}

QString Filled(const ShownText& shown) {
  QString text = Translated(shown.format);
  for (const std::string& argument : shown.arguments) {
    text = text.arg(QString::fromStdString(argument));
  }
  return text;
}

QPoint Place(PixelPoint p) { return QPoint(p.x, p.y); }

}  // namespace

ClientView::ClientView(const Pictures& pictures, QWidget* parent)
    : QWidget(parent), pictures_(pictures), keyboard_(*this) {
  InstallAccessibility();
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent fills every pixel
  setFocusPolicy(Qt::StrongFocus);
  const QFontMetrics metrics(font());
  charWidth_ = metrics.horizontalAdvance(QLatin1Char('M'));
  charHeight_ = metrics.height();
  CreateScrollBars();
  CreateButtons();
  CreateToolBar();
  qApp->installEventFilter(this);
  auto* activityTimer = new QTimer(this);
  connect(activityTimer, &QTimer::timeout, this, &ClientView::RefreshActivity);
  activityTimer->start(250);
}

void ClientView::Attach(Session* session, std::function<void(int32_t)> dispatch) {
  session_ = session;
  dispatch_ = std::move(dispatch);
  SyncBars();
}

void ClientView::SyncBars() {
  if (!session_) return;
  // Moving a thumb here is no new action of the user.
  const QSignalBlocker quietVelocity(velocityBar_);
  const QSignalBlocker quietBend(pitchBendBar_);
  velocityBar_->setSliderPosition(VelocityThumb(session_->Settings().velocity));
  pitchBendBar_->setSliderPosition(BendThumb(session_->Bend()));
  if (!QAccessible::isActive()) return;
  QAccessibleValueChangeEvent force(velocityBar_, session_->Settings().velocity);
  QAccessible::updateAccessibility(&force);
  QAccessibleValueChangeEvent bend(pitchBendBar_, Session::BendSemitones(session_->Bend()));
  QAccessible::updateAccessibility(&bend);
}

void ClientView::Detach() {
  session_ = nullptr;
  dispatch_ = nullptr;
}

void ClientView::CreateButtons() {
  for (int i = 0; i < kButtonCount; ++i) {
    auto* button = new QPushButton(Translated(kButtons[i].text), this);
    // The keyboard stays with the window, so the key pressed right after a
    // click is played.
    button->setFocusPolicy(Qt::NoFocus);
    const int32_t id = kButtons[i].id;
    button->setProperty(kCommandProperty, id);
    button->setEnabled(id == IDM_RECORD);
    connect(button, &QPushButton::clicked, this, [this, id] {
      if (dispatch_) dispatch_(id);
    });
    buttons_[i] = button;
  }
}

void ClientView::CreateScrollBars() {
  velocityBar_ = new QScrollBar(Qt::Vertical, this);
  velocityBar_->setRange(VelocityThumb(kVelocityMax), VelocityThumb(kVelocityMin));
  velocityBar_->setToolTip(Translated(QT_TRANSLATE_NOOP(
      "Tangrel", "Force: how hard the keys strike. Up and Down step it by 1, Page Up and Page "
                 "Down by 8.")));
  pitchBendBar_ = new QScrollBar(Qt::Vertical, this);
  pitchBendBar_->setRange(1, kBendTop);
  for (QScrollBar* bar : {velocityBar_, pitchBendBar_}) {
    bar->setFocusPolicy(Qt::NoFocus);  // the keys keep playing
  }
  // The session decides where a thumb stands, also when Qt has moved it
  // already for an action that does nothing.
  connect(velocityBar_, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (!session_) return;
    for (const VelocityStep& step : kVelocitySteps) {
      if (step.action == action) session_->StepVelocity(step.change);
    }
    if (action == QAbstractSlider::SliderMove) {
      session_->SetVelocity(VelocityThumb(velocityBar_->sliderPosition()));
    }
    SyncBars();
  });
  connect(velocityBar_, &QAbstractSlider::sliderReleased, this, [this] {
    if (session_) session_->SetVelocity(VelocityThumb(velocityBar_->sliderPosition()));
    SyncBars();
  });
  // The bend follows only the dragged thumb; let go, it springs back.
  connect(pitchBendBar_, &QAbstractSlider::actionTriggered, this, [this](int action) {
    if (session_ && action == QAbstractSlider::SliderMove) {
      session_->BendTo(BendThumb(pitchBendBar_->sliderPosition()));
    }
    SyncBars();
  });
  connect(pitchBendBar_, &QAbstractSlider::sliderReleased, this, [this] {
    if (session_) session_->ReleaseBend();
    SyncBars();
  });
}

void ClientView::CreateToolBar() {
  toolbar_ = new QToolBar(this);
  toolbar_->setIconSize(QSize(32, 32));
  toolbar_->setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    const int32_t command = ToolbarCommand(i);
    const QIcon icon = i < static_cast<int>(pictures_.tools.size()) ? pictures_.tools[i] : QIcon();
    // The name shows as the tip and is what a screen reader says; the
    // button itself shows only its picture.
    const QString name = Translated(InstrumentName(command - IDM_INSTRUMENT_BASE));
    QAction* action = toolbar_->addAction(icon, name);
    action->setToolTip(name);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, command] {
      if (dispatch_) dispatch_(command);
    });
  }
}

QPushButton* ClientView::Button(int32_t id) const {
  for (QPushButton* button : buttons_) {
    if (button->property(kCommandProperty).toInt() == id) return button;
  }
  return nullptr;
}

QScrollBar* ClientView::ScrollBar(int32_t id) const {
  return id == IDC_VELOCITY ? velocityBar_ : id == IDC_PITCHBEND ? pitchBendBar_ : nullptr;
}

// ---- Keys and mouse -------------------------------------------------------

void ClientView::keyPressEvent(QKeyEvent* event) {
  if (session_) {
    session_->Key(WM_KEYDOWN, KeyDataOf(event, false), ModifiersOf(event->modifiers()),
                  AltHeld(event));
  }
  // Keys with Alt held go on to the menus.
  if (AltHeld(event)) QWidget::keyPressEvent(event);
}

void ClientView::keyReleaseEvent(QKeyEvent* event) {
  // The system repeats a held key as release-press pairs; only the final
  // release counts.
  if (event->isAutoRepeat() || !session_) return;
  session_->Key(WM_KEYUP, KeyDataOf(event, true), ModifiersOf(event->modifiers()), AltHeld(event));
}

bool ClientView::eventFilter(QObject* watched, QEvent* event) {
  // While a menu has the keyboard, a key held from before it opened stays the
  // player's: its repeats do not reach the menu, and its release ends the note.
  const bool press = event->type() == QEvent::KeyPress;
  if ((!press && event->type() != QEvent::KeyRelease) || watched == this || !session_) {
    return QWidget::eventFilter(watched, event);
  }
  if (!QApplication::activePopupWidget() && !qobject_cast<QMenuBar*>(watched)) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const uint32_t keyData = KeyDataOf(key, !press);
  if (!session_->Holds(ScanCodeOf(keyData))) return false;
  if (!press && !key->isAutoRepeat()) {
    session_->Key(WM_KEYUP, keyData, ModifiersOf(key->modifiers()), AltHeld(key));
  }
  return true;
}

void ClientView::focusOutEvent(QFocusEvent* event) {
  // A menu that takes the keyboard leaves held keys sounding: their releases
  // are caught on the way to it.
  const bool toMenu =
      event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason;
  if (session_ && !toMenu) session_->FocusLost();
  QWidget::focusOutEvent(event);
}

void ClientView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !session_) return;
  const QPoint p = event->position().toPoint();
  session_->MousePress(p.x(), p.y(), ModifiersOf(event->modifiers()));
}

void ClientView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !session_) return;
  session_->MouseRelease(ModifiersOf(event->modifiers()));
}

// ---- Layout and painting ----------------------------------------------------

void ClientView::resizeEvent(QResizeEvent* event) {
  if (session_) session_->Resize(width(), height());
  const WindowLayout layout =
      session_ ? session_->Layout() : ComputeLayout(width(), height(), charWidth_, charHeight_);
  keyboard_.SetOrigin(layout.keyboardOrigin);
  auto place = [](QWidget* w, const PixelRect& r) { w->setGeometry(r.x, r.y, r.width, r.height); };
  place(velocityBar_, layout.velocityBar);
  place(pitchBendBar_, layout.pitchBendBar);
  for (int i = 0; i < kButtonCount; ++i) place(buttons_[i], layout.buttons[i]);
  // The toolbar lies over the top of the client area, above the picture.
  toolbar_->setGeometry(0, 0, width(), toolbar_->sizeHint().height());
  QWidget::resizeEvent(event);
}

void ClientView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), pictures_.background);
  keyboard_.PaintKeyboard(painter, event->rect());
  if (!session_) return;
  const PaintPlaces& at = session_->Layout().paint;
  if (!pictures_.instruments.isNull()) {
    painter.drawPixmap(Place(at.picture), InstrumentPicture(pictures_, session_->PictureIndex()));
  }
  PaintTexts(painter, event->rect());
}

ClientView::PaintedLine ClientView::Line(PaintedText which) const {
  const PaintPlaces& at = session_->Layout().paint;
  auto own = [](const std::string& s) { return QString::fromStdString(s); };
  switch (which) {
    case PaintedText::Switch:
      return {at.switchText, Translated(session_->SwitchText().c_str())};
    case PaintedText::Device:
      return {at.deviceText, own(session_->DeviceText())};
    case PaintedText::Track:
      return {at.trackText, own(session_->TrackText())};
    case PaintedText::Hint:
      return {at.hintText, Translated(kHintText)};
    case PaintedText::Activity:
      return {at.activityText, ActivityText()};
    case PaintedText::Signature:
      return {at.signature, own(session_->SignatureText())};
    case PaintedText::ForceLabel:
      return {at.forceLabel, Translated(QT_TRANSLATE_NOOP("Tangrel", "Force"))};
    case PaintedText::FreqLabel:
      return {at.freqLabel, Translated(QT_TRANSLATE_NOOP("Tangrel", "Freq"))};
    case PaintedText::ForceValue:
      return {at.forceValue, own(session_->VelocityText())};
    case PaintedText::FreqValue:
      return {at.freqValue, own(session_->BendText())};
  }
  return {};
}

QRect ClientView::LineRect(PaintedText which) const {
  if (!session_) return {};
  const PaintedLine line = Line(which);
  const QFontMetrics metrics(font());
  return QRect(line.at.x, line.at.y, metrics.horizontalAdvance(line.text), metrics.height());
}

QString ClientView::LineText(PaintedText which) const {
  return session_ ? Line(which).text : QString();
}

QString ClientView::PictureText() const {
  return session_ ? Filled(session_->PictureText()) : QString();
}

QRect ClientView::PictureRect() const {
  if (!session_) return {};
  const PixelPoint at = session_->Layout().paint.picture;
  return QRect(at.x, at.y, kPictureWidth, kPictureHeight);
}

void ClientView::PaintTexts(QPainter& painter, const QRect& dirty) const {
  // Red on the dark green, each glyph inside a dark outline that it stands out from.
  const QColor red(255, 0, 0);
  for (int i = 0; i < kPaintedTextCount; ++i) {
    const auto which = static_cast<PaintedText>(i);
    // A key drawn pressed repaints its own cell only; the outline reaches
    // a few pixels beyond the line.
    if (!LineRect(which).adjusted(-4, -4, 4, 4).intersects(dirty)) continue;
    const PaintedLine line = Line(which);
    // Texts stand with their top at their place, as the window system draws them.
    DrawOutlinedText(painter, Place(line.at), line.text, font(), red);
  }
}

QString ClientView::ActivityText() const {
  return session_ ? Filled(session_->ActivityText()) : QString();
}

void ClientView::RefreshActivity() {
  // The recording's clock moves on its own: the line is painted again when
  // what it says has changed.
  const QString now = ActivityText();
  if (now == shownActivity_) return;
  shownActivity_ = now;
  update();
}

}  // namespace tangrel
