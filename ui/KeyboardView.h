// SPDX-License-Identifier: GPL-3.0-or-later
// The on-screen keyboard: 45 key caps with their degree labels and octave
// dots, drawn on the main window at the keyboard origin. It remembers how each
// key is shown, so a repaint keeps held keys coloured.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

#include "model/LivePlaying.h"
#include "session/KeyboardGeometry.h"

class QPainter;
class QWidget;

namespace tangrel {

// The label font's face; Liberation Serif stands in for it on Linux.
constexpr const char* kKeyLabelFace = "Times New Roman";

class KeyboardView : public KeyView {
 public:
  // Draws on `host`, which calls PaintKeyboard from its paint event.
  explicit KeyboardView(QWidget& host);

  void SetOrigin(PixelPoint origin) { origin_ = origin; }
  PixelPoint Origin() const { return origin_; }

  // Updates the key's shown state and repaints only its cell.
  void DrawKey(uint32_t scanCode, bool pressed, OctaveShift shift) override;
  void ShowAllReleased() override;

  // Draws every key whose cell meets `exposed`, as it is shown now.
  void PaintKeyboard(QPainter& painter, const QRect& exposed) const;

  // The computer key that plays each key, as the user's layout names it,
  // shown small in the cap's top-left corner.
  void SetCapNames(const std::array<QString, kKeyMapSize>& names);
  const QString& CapName(uint32_t scanCode) const;

  bool ShownPressed(uint32_t scanCode) const;
  QRect CellRect(uint32_t scanCode) const;  // empty for a key not on the keyboard

 private:
  struct Shown {
    bool pressed = false;
    OctaveShift shift = 0;
  };

  void PaintKey(QPainter& painter, uint32_t scanCode) const;

  QWidget& host_;
  QPixmap caps_;  // white, light blue, light red, light green; 38 x 39 each
  QFont labelFont_;
  QFont capNameFont_;
  std::array<QString, kKeyMapSize> capNames_;
  PixelPoint origin_;
  std::array<Shown, kKeyMapSize> shown_{};
};

}  // namespace tangrel
