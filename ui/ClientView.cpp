// The client area's controls, events and painting.
#include "ui/ClientView.h"

#include <QAbstractSlider>
#include <QAction>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolBar>

#include "session/CommandIds.h"
#include "session/Instruments.h"
#include "ui/KeyTranslation.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

constexpr uint32_t kEscapeScanCode = 1;
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

struct SliderCode {
  int action;  // QAbstractSlider::SliderAction
  int32_t code;
};
// Qt's slider actions as the scroll codes the session understands. Up is
// towards the minimum, as on the screen.
constexpr std::array<SliderCode, 7> kSliderCodes = {{
    {QAbstractSlider::SliderSingleStepSub, SB_LINEUP},
    {QAbstractSlider::SliderSingleStepAdd, SB_LINEDOWN},
    {QAbstractSlider::SliderPageStepSub, SB_PAGEUP},
    {QAbstractSlider::SliderPageStepAdd, SB_PAGEDOWN},
    {QAbstractSlider::SliderMove, SB_THUMBTRACK},
    {QAbstractSlider::SliderToMinimum, SB_TOP},
    {QAbstractSlider::SliderToMaximum, SB_BOTTOM},
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

QPoint Place(PixelPoint p) { return QPoint(p.x, p.y); }

}  // namespace

ClientView::ClientView(const Pictures& pictures, QWidget* parent)
    : QWidget(parent), pictures_(pictures), keyboard_(*this) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent fills every pixel
  setFocusPolicy(Qt::StrongFocus);
  const QFontMetrics metrics(font());
  charWidth_ = metrics.horizontalAdvance(QLatin1Char('M'));
  charHeight_ = metrics.height();
  CreateScrollBars();
  CreateButtons();
  CreateToolBar();
}

void ClientView::Attach(Session* session, std::function<void(int32_t)> dispatch) {
  session_ = session;
  dispatch_ = std::move(dispatch);
  for (QScrollBar* bar : {velocityBar_, pitchBendBar_}) {
    const int32_t id = bar->property(kCommandProperty).toInt();
    bar->setSliderPosition(session_->ScrollPosition(id));
  }
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
  for (int32_t id : {IDC_VELOCITY, IDC_PITCHBEND}) {
    auto* bar = new QScrollBar(Qt::Vertical, this);
    const ScrollRange range = Session::ScrollRangeOf(id);
    bar->setRange(range.minimum, range.maximum);
    bar->setFocusPolicy(Qt::NoFocus);  // the keys keep playing
    bar->setProperty(kCommandProperty, id);
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
      for (const SliderCode& c : kSliderCodes) {
        if (c.action == action) Scrolled(bar, c.code);
      }
    });
    connect(bar, &QAbstractSlider::sliderReleased, this,
            [this, bar] { Scrolled(bar, SB_THUMBPOSITION); });
    (id == IDC_VELOCITY ? velocityBar_ : pitchBendBar_) = bar;
  }
}

void ClientView::Scrolled(QScrollBar* bar, int32_t code) {
  if (!session_) return;
  // The session decides where the thumb stands, also when Qt has moved it
  // already for a code that does nothing.
  const int32_t id = bar->property(kCommandProperty).toInt();
  const int32_t position = session_->Scroll(id, code, bar->sliderPosition());
  // Moving the thumb here is no new action of the user.
  const QSignalBlocker quiet(bar);
  bar->setSliderPosition(position);
}

void ClientView::CreateToolBar() {
  toolbar_ = new QToolBar(this);
  toolbar_->setIconSize(QSize(32, 32));
  toolbar_->setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    const int32_t command = ToolbarCommand(i);
    const QIcon icon = i < static_cast<int>(pictures_.tools.size()) ? pictures_.tools[i] : QIcon();
    QAction* action = toolbar_->addAction(icon, QString());
    action->setToolTip(Translated(InstrumentName(command - IDM_INSTRUMENT_BASE)));
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
  session_->Key(WM_KEYUP, KeyDataOf(event, true), ModifiersOf(event->modifiers()),
                AltHeld(event));
}

void ClientView::focusOutEvent(QFocusEvent* event) {
  if (session_) session_->FocusLost();
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
  const WindowLayout layout = session_ ? session_->Layout()
                                       : ComputeLayout(width(), height(), charWidth_, charHeight_);
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
  PaintTexts(painter);
}

void ClientView::PaintTexts(QPainter& painter) const {
  const PaintPlaces& at = session_->Layout().paint;
  painter.setPen(QColor(255, 0, 0));
  painter.setBackground(pictures_.background);
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setFont(font());
  const int ascent = QFontMetrics(font()).ascent();
  // Texts stand with their top at their place, as the window system draws them.
  auto text = [&](PixelPoint p, const QString& s) { painter.drawText(p.x, p.y + ascent, s); };
  auto own = [](const std::string& s) { return QString::fromStdString(s); };
  text(at.switchText, Translated(session_->SwitchText().c_str()));
  text(at.deviceText, own(session_->DeviceText()));
  text(at.trackText, own(session_->TrackText()));
  text(at.hintText, Translated(kHintText));
  text(at.signature, own(session_->SignatureText()));
  text(at.forceLabel, Translated(QT_TRANSLATE_NOOP("Tangrel", "Force")));
  text(at.freqLabel, Translated(QT_TRANSLATE_NOOP("Tangrel", "Freq")));
}

}  // namespace tangrel
