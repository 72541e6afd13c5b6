// SPDX-License-Identifier: GPL-3.0-or-later
// The user's keyboard layout as the key caps show it: what each physical key
// types in the current layout and group. On X11 it is read from the server's
// keymap through xkbcommon on Qt's own connection, and read again when the
// layout or its group changes; elsewhere the caps stay without names.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <array>

#include "model/KeyMap.h"

namespace tangrel {

class KeyboardLayout : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit KeyboardLayout(QObject* parent = nullptr);
  ~KeyboardLayout() override;

  // The cap name of every scan code: empty for keys without a note, and for
  // all keys where the platform cannot tell.
  const std::array<QString, kKeyMapSize>& CapNames() const { return names_; }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 signals:
  void Changed();

 private:
  void Read();
  void ReadSoon();

  std::array<QString, kKeyMapSize> names_;
  int xkbFirstEvent_ = -1;  // -1: not on X11 or no XKB
  int group_ = -1;
  bool readPending_ = false;
};

}  // namespace tangrel
