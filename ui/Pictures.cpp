// SPDX-License-Identifier: GPL-3.0-or-later
// Loading the pictures from the program's resources.
#include "ui/Pictures.h"

#include <QImage>

#include "session/Instruments.h"

namespace tangrel {
namespace {

constexpr int kToolImageSize = 32;
constexpr int kToolImageCount = 15;

}  // namespace

Pictures LoadPictures() {
  Pictures pictures;
  // QPixmap picks the @2x picture on a high-density screen.
  pictures.instruments = QPixmap(QStringLiteral(":/instruments.png"));
  if (!pictures.instruments.isNull()) {
    pictures.background = pictures.instruments.toImage().pixelColor(0, 0);
  }
  const QPixmap tools(QStringLiteral(":/toolbar.png"));
  const qreal ratio = tools.devicePixelRatio();
  for (int i = 0; i < kToolImageCount && !tools.isNull(); ++i) {
    const int side = qRound(kToolImageSize * ratio);
    pictures.tools.push_back(QIcon(tools.copy(qRound(i * kToolImageSize * ratio), 0, side, side)));
  }
  return pictures;
}

QPixmap InstrumentPicture(const Pictures& pictures, int index) {
  const qreal ratio = pictures.instruments.devicePixelRatio();
  QPixmap picture = pictures.instruments.copy(qRound(index * kPictureWidth * ratio), 0,
                                              qRound(kPictureWidth * ratio),
                                              qRound(kPictureHeight * ratio));
  picture.setDevicePixelRatio(ratio);
  return picture;
}

}  // namespace tangrel
