// SPDX-License-Identifier: GPL-3.0-or-later
// Painting of the on-screen keyboard.
#include "ui/KeyboardView.h"

#include <QPainter>
#include <QWidget>

#include "ui/Accessibility.h"

// The resources are linked from a static library: register them by name, or
// the linker drops them as unreferenced.
static void RegisterResources() { Q_INIT_RESOURCE(tangrel); }

namespace tangrel {
namespace {

constexpr int kLabelRaise = 4;  // labels sit 4 px above the cell's middle
constexpr int kDotSize = 4;
constexpr int kCapNameInset = 3;      // the key's name sits this far inside the corner
constexpr int kCapNamePixelSize = 9;

// Source x of the cap in the strip: released white; pressed blue, red or
// green by shift; nothing for a shift that is none of the three.
int CapSourceX(bool pressed, OctaveShift shift) {
  if (!pressed) return 0;
  switch (shift) {
    case 0: return kKeyWidth;
    case 1: return 2 * kKeyWidth;
    case -1: return 3 * kKeyWidth;
    default: return -1;
  }
}

// Dots tops (relative to the cell) for a key's own octave: one above for the
// high octave, one or two below for the low ones, none for the middle.
struct OctaveDots {
  int count;
  int tops[2];
};

OctaveDots DotsFor(int octave) {
  switch (octave) {
    case 6: return {1, {3, 0}};
    case 4: return {1, {24, 0}};
    case 3: return {2, {24, 30}};
    default: return {0, {0, 0}};
  }
}

}  // namespace

KeyboardView::KeyboardView(QWidget& host)
    : host_(host), labelFont_(kKeyLabelFace) {
  RegisterResources();
  capNameFont_.setPixelSize(kCapNamePixelSize);
  caps_.load(QStringLiteral(":/keycaps.png"));
}

QRect KeyboardView::CellRect(uint32_t scanCode) const {
  auto cell = KeyCell(origin_, scanCode);
  if (!cell) return {};
  return QRect(cell->x, cell->y, kKeyWidth, kKeyHeight);
}

void KeyboardView::SetCapNames(const std::array<QString, kKeyMapSize>& names) {
  if (names == capNames_) return;
  capNames_ = names;
  host_.update(QRect(origin_.x, origin_.y, kKeyboardWidth, kKeyboardHeight));
  KeyChanged(&host_, -1);
}

const QString& KeyboardView::CapName(uint32_t scanCode) const {
  static const QString none;
  return scanCode < capNames_.size() ? capNames_[scanCode] : none;
}

bool KeyboardView::ShownPressed(uint32_t scanCode) const {
  return scanCode < shown_.size() && shown_[scanCode].pressed;
}

void KeyboardView::DrawKey(uint32_t scanCode, bool pressed, OctaveShift shift) {
  if (scanCode >= shown_.size()) return;
  const bool changed = shown_[scanCode].pressed != pressed;
  shown_[scanCode] = {pressed, shift};
  host_.update(CellRect(scanCode));
  if (changed) KeyChanged(&host_, static_cast<int>(scanCode));
}

void KeyboardView::ShowAllReleased() {
  shown_.fill(Shown{});
  host_.update(QRect(origin_.x, origin_.y, kKeyboardWidth, kKeyboardHeight));
}

void KeyboardView::PaintKeyboard(QPainter& painter, const QRect& exposed) const {
  painter.save();
  painter.setFont(labelFont_);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::black);
  painter.setRenderHint(QPainter::Antialiasing);
  for (uint32_t s = 0; s < static_cast<uint32_t>(kKeyMapSize); ++s) {
    const QRect cell = CellRect(s);
    if (!cell.isEmpty() && cell.intersects(exposed)) PaintKey(painter, s);
  }
  painter.restore();
}

void KeyboardView::PaintKey(QPainter& painter, uint32_t scanCode) const {
  const KeyMapEntry& entry = KeyMap[scanCode];
  const QRect cell = CellRect(scanCode);
  const Shown& shown = shown_[scanCode];
  const int sourceX = CapSourceX(shown.pressed, shown.shift);
  if (sourceX >= 0) {
    painter.drawPixmap(cell.topLeft(), caps_, QRect(sourceX, 0, kKeyWidth, kKeyHeight));
  }
  painter.drawText(cell.translated(0, -kLabelRaise), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromLatin1(entry.label));
  if (!capNames_[scanCode].isEmpty()) {
    painter.save();
    painter.setFont(capNameFont_);
    painter.setPen(QColor(60, 60, 60));
    const QRect corner = cell.adjusted(kCapNameInset, kCapNameInset - 1, 0, 0);
    painter.drawText(corner, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     capNames_[scanCode]);
    painter.restore();
  }

  const OctaveDots dots = DotsFor(entry.octave);
  const int cx = cell.x() + kKeyWidth / 2;
  painter.setPen(Qt::NoPen);
  for (int i = 0; i < dots.count; ++i) {
    painter.drawEllipse(QRectF(cx - kDotSize / 2, cell.y() + dots.tops[i], kDotSize, kDotSize));
  }
  painter.setPen(Qt::black);
}

}  // namespace tangrel
