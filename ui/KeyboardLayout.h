// SPDX-License-Identifier: GPL-3.0-or-later
// The user's keyboard layout as the key caps show it: what each physical key
// types in the current layout and group, read with xkbcommon from the keymap
// of the display Qt runs on (X11 or Wayland) and read again when the keymap or
// its group changes; elsewhere the caps stay without names.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <memory>

#include <xkbcommon/xkbcommon.h>

#include "model/KeyMap.h"

namespace tangrel {

class KeymapSource;

using CapNameArray = std::array<QString, kKeyMapSize>;

// The cap name of every scan code with a note in `group` of `keymap`: the
// first character the key types unshifted, letters in capitals; a dead key
// shows the accent it puts on the next letter. Empty where the key types
// nothing printable, and everywhere without a keymap.
CapNameArray CapNamesOf(xkb_keymap* keymap, xkb_layout_index_t group);

class KeyboardLayout : public QObject {
  Q_OBJECT

 public:
  explicit KeyboardLayout(QObject* parent = nullptr);
  ~KeyboardLayout() override;

  // Empty for keys without a note, and for all keys where the platform
  // cannot tell.
  const CapNameArray& CapNames() const { return names_; }

 signals:
  void Changed();

 private:
  CapNameArray names_;
  std::unique_ptr<KeymapSource> source_;
};

}  // namespace tangrel
