// SPDX-License-Identifier: GPL-3.0-or-later
// The About box, laid out in dialog units of its font: a unit is a quarter of
// the average character width across and an eighth of the line height down.
#include "ui/AboutBox.h"

#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/Translation.h"

namespace tangrel {
namespace {

struct Place {
  int x, y, width, height;  // dialog units
};

enum class Kind { Icon, Centred, Left };

struct AboutItem {
  Kind kind;
  Place place;
  const char* text;
};

constexpr Place kBox{0, 0, 167, 114};
constexpr Place kOkButton{58, 93, 50, 14};
constexpr AboutItem kItems[] = {
    {Kind::Icon, {7, 7, 20, 20}, nullptr},
    {Kind::Centred, {44, 13, 78, 8}, "Tangrel " TANGREL_VERSION},
    {Kind::Centred, {33, 30, 101, 8}, QT_TRANSLATE_NOOP("Tangrel", "(c) 2026 Tangrel authors")},
    {Kind::Left, {51, 40, 77, 8}, QT_TRANSLATE_NOOP("Tangrel", "Made for players.")},
    {Kind::Centred,
     {4, 50, 159, 8},
     QT_TRANSLATE_NOOP("Tangrel", "Licence: GNU GPL, version 3 or later")},
    {Kind::Centred, {32, 60, 101, 8}, "tangrel@example.org"},
    {Kind::Left, {61, 71, 61, 8}, "tg@example.org"},
    {Kind::Left, {44, 81, 117, 8}, "https://tangrel.example.org"},
};

}  // namespace

AboutBox::AboutBox(QWidget* owner) : QDialog(owner) {
  // A plain framed box with no caption, centred on its owner.
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setObjectName(QStringLiteral("AboutBox"));
  setAttribute(Qt::WA_StyledBackground);
  setStyleSheet(QStringLiteral("#AboutBox { border: 2px groove palette(mid); }"));
  const QFontMetrics metrics(font());
  const double unitX = metrics.averageCharWidth() / 4.0;
  const double unitY = metrics.height() / 8.0;
  auto pixels = [&](const Place& p) {
    return QRect(qRound(p.x * unitX), qRound(p.y * unitY), qRound(p.width * unitX),
                 qRound(p.height * unitY));
  };
  setFixedSize(pixels(kBox).size());
  for (const AboutItem& item : kItems) {
    auto* label = new QLabel(this);
    if (item.kind == Kind::Icon) {
      const QRect r = pixels(item.place);
      const QIcon icon(QStringLiteral(":/icons/hicolor/32/tangrel.png"));
      label->setPixmap(icon.pixmap(std::min(r.width(), r.height())));
    } else {
      label->setText(Translated(item.text));
      label->setAlignment(item.kind == Kind::Centred ? Qt::AlignHCenter | Qt::AlignVCenter
                                                     : Qt::AlignLeft | Qt::AlignVCenter);
    }
    // A left-aligned line may run on to the box's edge: our texts and fonts
    // are not the ones the places were measured for.
    Place place = item.place;
    if (item.kind == Kind::Left) place.width = kBox.width - place.x - 4;
    label->setGeometry(pixels(place));
  }
  auto* ok = new QPushButton(Translated(QT_TRANSLATE_NOOP("Tangrel", "确定")), this);
  ok->setDefault(true);
  ok->setGeometry(pixels(kOkButton));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tangrel
