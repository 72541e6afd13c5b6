// SPDX-License-Identifier: GPL-3.0-or-later
// The keymap a Wayland compositor sends to the program's seat: a keyboard of
// our own on Qt's connection, whose events come to a queue of our own that a
// thread of ours reads. The compositor sends every keyboard of the program the
// keymap when it changes, and the group in use with each change of modifiers
// while one of the program's windows has the focus.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QObject>
#include <algorithm>
#include <cstring>
#include <thread>

#include <wayland-client.h>

#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
#include <qpa/qplatformnativeinterface.h>
#endif

#include "ui/KeymapSource.h"

namespace tangrel {
namespace {

wl_display* QtDisplay() {
  if (!qGuiApp || !QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    return nullptr;
  }
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
  auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
  return wayland ? wayland->display() : nullptr;
#else
  // Qt 6.4 has no public way to its display.
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  return native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                : nullptr;
#endif
}

class WaylandKeymap : public KeymapSource {
 public:
  WaylandKeymap(wl_display* display, int wake, KeymapChanged changed)
      : display_(display), wake_(wake), changed_(std::move(changed)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~WaylandKeymap() override {
    const uint64_t one = 1;
    if (write(wake_, &one, sizeof one) != sizeof one) {
      // An eventfd takes a write until its count would overflow: cannot happen.
    }
    thread_.join();
    close(wake_);
  }

 private:
  // The thread: binds the seat and its keyboard on our queue, then reads and
  // dispatches that queue until woken to stop.
  void Run() {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    queue_ = wl_display_create_queue(display_);
    wrapper_ = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
    if (context_ && queue_ && wrapper_) {
      wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper_), queue_);
      registry_ = wl_display_get_registry(wrapper_);
      wl_registry_add_listener(registry_, &kRegistryListener, this);
      while (DispatchOnce()) {
      }
    }
    if (keyboard_) ReleaseKeyboard();
    if (seat_) {
      if (wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(seat_);
      } else {
        wl_seat_destroy(seat_);
      }
    }
    if (registry_) wl_registry_destroy(registry_);
    if (wrapper_) wl_proxy_wrapper_destroy(wrapper_);
    if (queue_) {
      wl_display_flush(display_);
      wl_event_queue_destroy(queue_);
    }
    keymap_.reset();
    if (context_) xkb_context_unref(context_);
  }

  // Reads as Qt's own reader does, so that whichever thread reads, each gets
  // its queue's events; false once woken to stop, or when the connection
  // failed.
  bool DispatchOnce() {
    while (wl_display_prepare_read_queue(display_, queue_) != 0) {
      if (wl_display_dispatch_queue_pending(display_, queue_) < 0) return false;
    }
    wl_display_flush(display_);
    pollfd fds[] = {{wl_display_get_fd(display_), POLLIN, 0}, {wake_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 || fds[1].revents != 0 || (fds[0].revents & POLLIN) == 0) {
      wl_display_cancel_read(display_);
      return fds[1].revents == 0 && (fds[0].revents & (POLLERR | POLLHUP)) == 0;
    }
    return wl_display_read_events(display_) == 0 &&
           wl_display_dispatch_queue_pending(display_, queue_) >= 0;
  }

  void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    // Qt takes the first seat as its own.
    if (seat_ || std::strcmp(interface, wl_seat_interface.name) != 0) return;
    const uint32_t bound = std::min<uint32_t>(version, WL_SEAT_RELEASE_SINCE_VERSION);
    seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, bound));
    wl_seat_add_listener(seat_, &kSeatListener, this);
  }

  // A seat that loses its keyboard leaves ours dead: the compositor sends the
  // next keyboard's keymap only to a keyboard asked for after it came.
  void OnCapabilities(uint32_t capabilities) {
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (keyboard && !keyboard_) {
      keyboard_ = wl_seat_get_keyboard(seat_);
      wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_) {
      ReleaseKeyboard();
    }
  }

  void ReleaseKeyboard() {
    if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
      wl_keyboard_release(keyboard_);
    } else {
      wl_keyboard_destroy(keyboard_);
    }
    keyboard_ = nullptr;
  }

  void OnKeymap(uint32_t format, int32_t fd, uint32_t size) {
    SharedKeymap keymap;
    void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0
                     ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                     : MAP_FAILED;
    if (text != MAP_FAILED) {
      // The text ends in a NUL, or at the size given.
      const auto* chars = static_cast<const char*>(text);
      keymap = ShareKeymap(xkb_keymap_new_from_buffer(context_, chars, strnlen(chars, size),
                                                      XKB_KEYMAP_FORMAT_TEXT_V1,
                                                      XKB_KEYMAP_COMPILE_NO_FLAGS));
      munmap(text, size);
    }
    close(fd);
    // A keymap that cannot be read leaves the caps without names rather
    // than with those of the keymap before.
    keymap_ = keymap;
    Post();
  }

  void OnGroup(uint32_t group) {
    if (group == group_) return;
    group_ = group;
    if (keymap_) Post();
  }

  void Post() {
    QMetaObject::invokeMethod(
        &receiver_, [this, keymap = keymap_, group = group_] { changed_(keymap, group); },
        Qt::QueuedConnection);
  }

  static constexpr wl_registry_listener kRegistryListener = {
      [](void* self, wl_registry* registry, uint32_t name, const char* interface,
         uint32_t version) {
        static_cast<WaylandKeymap*>(self)->OnGlobal(registry, name, interface, version);
      },
      [](void*, wl_registry*, uint32_t) {}};
  static constexpr wl_seat_listener kSeatListener = {
      [](void* self, wl_seat*, uint32_t capabilities) {
        static_cast<WaylandKeymap*>(self)->OnCapabilities(capabilities);
      },
      [](void*, wl_seat*, const char*) {}};
  static constexpr wl_keyboard_listener kKeyboardListener = {
      [](void* self, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
        static_cast<WaylandKeymap*>(self)->OnKeymap(format, fd, size);
      },
      [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {},
      [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
      [](void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {},
      [](void* self, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t group) {
        static_cast<WaylandKeymap*>(self)->OnGroup(group);
      },
      [](void*, wl_keyboard*, int32_t, int32_t) {}};

  wl_display* const display_;
  const int wake_;  // an eventfd: written once to stop the thread
  const KeymapChanged changed_;
  QObject receiver_;  // on the GUI thread; what is posted to it goes with it

  // The thread's own.
  xkb_context* context_ = nullptr;
  wl_event_queue* queue_ = nullptr;
  wl_display* wrapper_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  SharedKeymap keymap_;
  uint32_t group_ = 0;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<KeymapSource> WatchWaylandKeymap(KeymapChanged changed) {
  wl_display* display = QtDisplay();
  if (!display) return nullptr;
  const int wake = eventfd(0, EFD_CLOEXEC);
  if (wake < 0) return nullptr;
  return std::make_unique<WaylandKeymap>(display, wake, std::move(changed));
}

}  // namespace tangrel
