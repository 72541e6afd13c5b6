// SPDX-License-Identifier: GPL-3.0-or-later
// Reading key names from the X server's keymap with xkbcommon.
#include "ui/KeyboardLayout.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <memory>

#include <xkbcommon/xkbcommon-x11.h>

#include "session/KeyCaps.h"
#include "ui/XkbConnection.h"

namespace tangrel {
namespace {

template <typename T, void (*Free)(T*)>
struct Freed {
  void operator()(T* p) const { Free(p); }
};
using Context = std::unique_ptr<xkb_context, Freed<xkb_context, xkb_context_unref>>;
using Keymap = std::unique_ptr<xkb_keymap, Freed<xkb_keymap, xkb_keymap_unref>>;
using State = std::unique_ptr<xkb_state, Freed<xkb_state, xkb_state_unref>>;

// What the key types with no modifier in the group now in use, in capitals
// where the keysym has them.
std::string TypedByKey(xkb_keymap* keymap, xkb_state* state, xkb_keycode_t key) {
  const xkb_layout_index_t group = xkb_state_key_get_layout(state, key);
  const xkb_keysym_t* syms = nullptr;
  if (group == XKB_LAYOUT_INVALID ||
      xkb_keymap_key_get_syms_by_level(keymap, key, group, 0, &syms) != 1) {
    return {};
  }
  char text[16];
  if (xkb_keysym_to_utf8(xkb_keysym_to_upper(syms[0]), text, sizeof text) <= 0) return {};
  return text;
}

}  // namespace

KeyboardLayout::KeyboardLayout(QObject* parent) : QObject(parent) {
  xcb_connection_t* connection = QtConnection();
  if (!connection) return;
  const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
  if (!xkb || !xkb->present) return;
  xkbFirstEvent_ = xkb->first_event;
  QCoreApplication::instance()->installNativeEventFilter(this);
  Read();
}

KeyboardLayout::~KeyboardLayout() {
  if (xkbFirstEvent_ >= 0 && QCoreApplication::instance()) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

void KeyboardLayout::Read() {
  readPending_ = false;
  xcb_connection_t* connection = QtConnection();
  if (!connection) return;
  const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
  const int32_t device = context ? xkb_x11_get_core_keyboard_device_id(connection) : -1;
  if (device < 0) return;
  const Keymap keymap(xkb_x11_keymap_new_from_device(context.get(), connection, device,
                                                     XKB_KEYMAP_COMPILE_NO_FLAGS));
  const State state(keymap ? xkb_x11_state_new_from_device(keymap.get(), connection, device)
                           : nullptr);
  if (!state) return;
  std::array<QString, kKeyMapSize> names;
  for (uint32_t s = 0; s < names.size(); ++s) {
    if (!LookupNoteKey(s)) continue;
    const std::string typed = TypedByKey(keymap.get(), state.get(), NativeKeyCodeOf(s));
    names[s] = QString::fromStdString(KeyCapName(typed));
  }
  group_ = static_cast<int>(xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE));
  if (names == names_) return;
  names_ = names;
  emit Changed();
}

void KeyboardLayout::ReadSoon() {
  // A new layout comes as several notifications at once: read it once.
  if (readPending_) return;
  readPending_ = true;
  QTimer::singleShot(0, this, &KeyboardLayout::Read);
}

bool KeyboardLayout::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != xkbFirstEvent_) return false;
  // Every XKB event carries its own kind in the byte after the response type.
  const uint8_t kind = event->pad0;
  if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) {
    ReadSoon();
  } else if (kind == XCB_XKB_STATE_NOTIFY) {
    const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
    if (state->group != group_) ReadSoon();
  }
  return false;  // Qt needs them as much as we do
}

}  // namespace tangrel
