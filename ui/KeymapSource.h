// SPDX-License-Identifier: GPL-3.0-or-later
// Where the keymap of the user's keyboard comes from on each kind of display:
// the X server's XKB keymap, or the one a Wayland compositor sends to the
// program's seat. A source hands over the keymap and the group in use once it
// has them, and again whenever either changes; always on the GUI thread.
#pragma once

#include <xkbcommon/xkbcommon.h>

#include <functional>
#include <memory>

namespace tangrel {

using SharedKeymap = std::shared_ptr<xkb_keymap>;
using KeymapChanged = std::function<void(const SharedKeymap& keymap, xkb_layout_index_t group)>;

// Takes over a keymap reference: the keymap is released with its last holder.
inline SharedKeymap ShareKeymap(xkb_keymap* keymap) {
  return SharedKeymap(keymap, [](xkb_keymap* k) { xkb_keymap_unref(k); });
}

class KeymapSource {
 public:
  virtual ~KeymapSource() = default;
};

// Each is made on the GUI thread and returns nullptr where its display is not
// the one Qt runs on. `changed` is never called after the source is destroyed.
std::unique_ptr<KeymapSource> WatchX11Keymap(KeymapChanged changed);
std::unique_ptr<KeymapSource> WatchWaylandKeymap(KeymapChanged changed);

}  // namespace tangrel
