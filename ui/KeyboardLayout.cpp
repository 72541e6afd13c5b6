// SPDX-License-Identifier: GPL-3.0-or-later
// Naming the key caps after the keymap's keysyms.
#include "ui/KeyboardLayout.h"

#include "session/KeyCaps.h"
#include "ui/KeymapSource.h"

namespace tangrel {
namespace {

// Keysyms whose cap differs from what they type. A dead key types nothing by
// itself: its cap shows the accent, as keyboards engrave it. The sharp s is
// engraved small: xkbcommon's capital of it would not be.
struct EngravedKeysym {
  xkb_keysym_t keysym;
  const char* cap;
};
constexpr EngravedKeysym kEngraved[] = {
    {XKB_KEY_dead_grave, "`"},         {XKB_KEY_dead_acute, "\u00B4"},
    {XKB_KEY_dead_circumflex, "^"},    {XKB_KEY_dead_tilde, "~"},
    {XKB_KEY_dead_macron, "\u00AF"},   {XKB_KEY_dead_breve, "\u02D8"},
    {XKB_KEY_dead_abovedot, "\u02D9"}, {XKB_KEY_dead_diaeresis, "\u00A8"},
    {XKB_KEY_dead_abovering, "\u02DA"}, {XKB_KEY_dead_doubleacute, "\u02DD"},
    {XKB_KEY_dead_caron, "\u02C7"},    {XKB_KEY_dead_cedilla, "\u00B8"},
    {XKB_KEY_dead_ogonek, "\u02DB"},   {XKB_KEY_ssharp, "\u00DF"},
};

// What the cap shows for a key's unshifted keysym, before KeyCapName keeps
// its first printable character.
std::string EngravingOf(xkb_keysym_t keysym) {
  for (const EngravedKeysym& e : kEngraved) {
    if (e.keysym == keysym) return e.cap;
  }
  char text[16];
  if (xkb_keysym_to_utf8(xkb_keysym_to_upper(keysym), text, sizeof text) <= 0) return {};
  return text;
}

}  // namespace

CapNameArray CapNamesOf(xkb_keymap* keymap, xkb_layout_index_t group) {
  CapNameArray names;
  xkb_state* state = keymap ? xkb_state_new(keymap) : nullptr;
  if (!state) return names;
  // The group as locked: a key with fewer groups wraps it as the keymap says.
  xkb_state_update_mask(state, 0, 0, 0, 0, 0, group);
  for (uint32_t s = 0; s < names.size(); ++s) {
    if (!LookupNoteKey(s)) continue;
    const xkb_keycode_t key = NativeKeyCodeOf(s);
    const xkb_layout_index_t keyGroup = xkb_state_key_get_layout(state, key);
    const xkb_keysym_t* syms = nullptr;
    if (keyGroup == XKB_LAYOUT_INVALID ||
        xkb_keymap_key_get_syms_by_level(keymap, key, keyGroup, 0, &syms) != 1) {
      continue;
    }
    names[s] = QString::fromStdString(KeyCapName(EngravingOf(syms[0])));
  }
  xkb_state_unref(state);
  return names;
}

KeyboardLayout::KeyboardLayout(QObject* parent) : QObject(parent) {
  auto show = [this](const SharedKeymap& keymap, xkb_layout_index_t group) {
    CapNameArray names = CapNamesOf(keymap.get(), group);
    if (names == names_) return;
    names_ = std::move(names);
    emit Changed();
  };
  source_ = WatchX11Keymap(show);
  if (!source_) source_ = WatchWaylandKeymap(show);
}

KeyboardLayout::~KeyboardLayout() = default;

}  // namespace tangrel
