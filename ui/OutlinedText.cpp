// SPDX-License-Identifier: GPL-3.0-or-later
// Outlined text: the glyphs are drawn into an image of their own, and the
// outline is that image's inked pixels grown by the outline's width.
#include "ui/OutlinedText.h"

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tangrel {
namespace {

struct Glyphs {
  QImage image;
  QPoint start;  // where the text starts in the image, in logical pixels
};

// The glyphs in `colour` on a transparent image that matches the painter's
// device in pixel ratio and resolution, so that they come out as the device
// would draw them; `margin` logical pixels on every side.
Glyphs GlyphImage(const QPaintDevice& device, const QString& text, const QFont& font,
                  QColor colour, int margin) {
  const QFontMetrics metrics(font, &device);
  // The line's box, widened where glyphs reach beyond it (a negative bearing,
  // a mark above a capital), with the text's top-left corner at 0, 0.
  const QRect box =
      metrics.boundingRect(text)
          .translated(0, metrics.ascent())
          .united(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()));
  const qreal ratio = device.devicePixelRatioF();
  const QSize logical = box.size() + QSize(2 * margin, 2 * margin);
  QImage image(QSize(std::ceil(logical.width() * ratio), std::ceil(logical.height() * ratio)),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  // Points become pixels at the device's resolution, not the image's default.
  image.setDotsPerMeterX(std::lround(device.logicalDpiX() / 0.0254));
  image.setDotsPerMeterY(std::lround(device.logicalDpiY() / 0.0254));
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(colour);
  const QPoint start = QPoint(margin, margin) - box.topLeft();
  painter.drawText(start + QPoint(0, metrics.ascent()), text);
  painter.end();
  return {image, start};
}

// Every pixel within `radius` (rows and columns) of an inked pixel of `glyphs`,
// in `outline`; the rest transparent.
QImage OutlineImage(const QImage& glyphs, int radius, QColor outline) {
  const int w = glyphs.width(), h = glyphs.height();
  std::vector<uint8_t> inked(static_cast<size_t>(w) * h), wide(inked.size());
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(glyphs.constScanLine(y));
    for (int x = 0; x < w; ++x) inked[y * w + x] = qAlpha(row[x]) != 0;
  }
  // Grown along the rows, then along the columns: a square of 2 radius + 1.
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      bool any = false;
      for (int d = std::max(0, x - radius); d <= std::min(w - 1, x + radius) && !any; ++d) {
        any = inked[y * w + d];
      }
      wide[y * w + x] = any;
    }
  }
  QImage image(glyphs.size(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(glyphs.devicePixelRatio());
  const QRgb ink = outline.rgba();
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      bool any = false;
      for (int d = std::max(0, y - radius); d <= std::min(h - 1, y + radius) && !any; ++d) {
        any = wide[d * w + x];
      }
      row[x] = any ? ink : 0;
    }
  }
  return image;
}

}  // namespace

void DrawOutlinedText(QPainter& painter, QPoint topLeft, const QString& text, const QFont& font,
                      QColor colour, QColor outline) {
  if (text.isEmpty()) return;
  QPaintDevice* device = painter.device();
  // One logical pixel: two device pixels on a screen of scale 2.
  const int radius = std::max(1, static_cast<int>(std::lround(device->devicePixelRatioF())));
  constexpr int kMargin = 2;
  const Glyphs glyphs = GlyphImage(*device, text, font, colour, kMargin);
  const QPoint at = topLeft - glyphs.start;
  painter.drawImage(at, OutlineImage(glyphs.image, radius, outline));
  painter.drawImage(at, glyphs.image);
}

}  // namespace tangrel
