// SPDX-License-Identifier: GPL-3.0-or-later
// The X server's keymap, read with xkbcommon on Qt's own connection and read
// again when XKB says the keymap or its group changed.
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>

#include <xkbcommon/xkbcommon-x11.h>

#include "ui/KeymapSource.h"
#include "ui/XkbConnection.h"

namespace tangrel {
namespace {

class X11Keymap : public KeymapSource, public QAbstractNativeEventFilter {
 public:
  X11Keymap(int xkbFirstEvent, KeymapChanged changed)
      : xkbFirstEvent_(xkbFirstEvent), changed_(std::move(changed)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    Read();
  }
  ~X11Keymap() override {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
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

 private:
  void Read() {
    readPending_ = false;
    xcb_connection_t* connection = QtConnection();
    if (!connection) return;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context) return;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    SharedKeymap keymap;
    if (device >= 0) {
      keymap = ShareKeymap(
          xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    xkb_context_unref(context);
    xkb_state* state =
        keymap ? xkb_x11_state_new_from_device(keymap.get(), connection, device) : nullptr;
    if (!state) return;
    group_ = static_cast<int>(xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
    xkb_state_unref(state);
    changed_(keymap, static_cast<xkb_layout_index_t>(group_));
  }

  void ReadSoon() {
    // A new layout comes as several notifications at once: read it once.
    if (readPending_) return;
    readPending_ = true;
    QTimer::singleShot(0, &timers_, [this] { Read(); });
  }

  const int xkbFirstEvent_;
  const KeymapChanged changed_;
  int group_ = -1;
  bool readPending_ = false;
  QObject timers_;  // pending reads go with the source
};

}  // namespace

std::unique_ptr<KeymapSource> WatchX11Keymap(KeymapChanged changed) {
  xcb_connection_t* connection = QtConnection();
  if (!connection) return nullptr;
  const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
  if (!xkb || !xkb->present) return nullptr;
  return std::make_unique<X11Keymap>(xkb->first_event, std::move(changed));
}

}  // namespace tangrel
