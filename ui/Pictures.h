// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures the window is drawn from, loaded once at start: the instrument
// pictures, the toolbar images and the background colour read off the strip.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <vector>

namespace tangrel {

constexpr QColor kBackgroundColour{20, 100, 20};  // when the strip cannot be read

struct Pictures {
  QPixmap instruments;       // 15 pictures of 171 x 141 side by side
  std::vector<QIcon> tools;  // the toolbar images, 32 x 32
  QColor background = kBackgroundColour;
};

Pictures LoadPictures();

// Part of the strip at a picture's place (logical pixels, whatever the
// strip's pixel ratio).
QPixmap InstrumentPicture(const Pictures& pictures, int index);

}  // namespace tangrel
