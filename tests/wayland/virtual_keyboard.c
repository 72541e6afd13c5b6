// SPDX-License-Identifier: GPL-3.0-or-later
/* A keyboard for tests under a Wayland compositor: it uploads the evdev/pc105
 * keymap of one layout, as a real keyboard's driver would, and sends raw evdev
 * key codes, so the program under test sees the events of a physical keyboard.
 *
 *   tangrel_virtual_keyboard LAYOUT[/OPTIONS] STEP...
 *
 * LAYOUT and OPTIONS as XKB names them: "fr", or "us,fr/grp:caps_toggle" for
 * two groups that Caps Lock switches between.
 * Steps: "+CODE" presses the evdev key CODE, "-CODE" releases it, "MS" waits
 * that many milliseconds. Ends with 0 once every step has reached the
 * compositor; 1 with a message when something is missing. */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

struct globals {
  struct wl_seat *seat;
  struct zwp_virtual_keyboard_manager_v1 *manager;
};

static void global(void *data, struct wl_registry *registry, uint32_t name,
                   const char *interface, uint32_t version) {
  struct globals *g = data;
  (void)version;
  if (!g->seat && strcmp(interface, wl_seat_interface.name) == 0) {
    g->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
  } else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
    g->manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
  }
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
  (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

static int fail(const char *what) {
  fprintf(stderr, "tangrel_virtual_keyboard: %s\n", what);
  return 1;
}

/* The keymap text in a sealed-off memory file, as wl_keyboard hands keymaps. */
static int keymap_file(const char *text, uint32_t *size) {
  *size = (uint32_t)strlen(text) + 1;
  int fd = memfd_create("keymap", MFD_CLOEXEC);
  if (fd < 0) return -1;
  if (write(fd, text, *size) != (ssize_t)*size) {
    close(fd);
    return -1;
  }
  return fd;
}

int main(int argc, char **argv) {
  if (argc < 2) return fail("usage: tangrel_virtual_keyboard LAYOUT[/OPTIONS] STEP...");
  struct wl_display *display = wl_display_connect(NULL);
  if (!display) return fail("no Wayland display");
  struct globals g = {0};
  struct wl_registry *registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registry_listener, &g);
  wl_display_roundtrip(display);
  if (!g.seat || !g.manager) return fail("the compositor offers no seat or no virtual keyboards");

  struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  char *options = strchr(argv[1], '/');
  if (options) *options++ = '\0';
  const struct xkb_rule_names names = {"evdev", "pc105", argv[1], "", options ? options : ""};
  struct xkb_keymap *keymap =
      context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
  if (!keymap) return fail("the layout does not compile");
  struct xkb_state *state = xkb_state_new(keymap);
  char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
  uint32_t size = 0;
  const int fd = text ? keymap_file(text, &size) : -1;
  if (fd < 0) return fail("the keymap cannot be passed on");

  struct zwp_virtual_keyboard_v1 *keyboard =
      zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g.manager, g.seat);
  zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
  close(fd);
  free(text);
  /* The compositor makes a keyboard the seat's own, and hands its keymap to
   * the focused window, at its first event: a modifier state, so that no key
   * arrives with the keymap still on its way. */
  zwp_virtual_keyboard_v1_modifiers(keyboard, 0, 0, 0, 0);
  if (wl_display_roundtrip(display) < 0) return fail("the compositor refused the keyboard");
  /* The window takes the keymap in a moment; XWayland passes it on to its X
   * clients, which read it again. */
  const struct timespec settle = {0, 500 * 1000000L};
  nanosleep(&settle, NULL);

  for (int i = 2; i < argc; ++i) {
    const char *step = argv[i];
    if (step[0] == '+' || step[0] == '-') {
      const uint32_t code = (uint32_t)strtoul(step + 1, NULL, 10);
      const int pressed = step[0] == '+';
      zwp_virtual_keyboard_v1_key(keyboard, now_ms(), code,
                                  pressed ? WL_KEYBOARD_KEY_STATE_PRESSED
                                          : WL_KEYBOARD_KEY_STATE_RELEASED);
      /* A compositor takes the modifiers from the keyboard, not from its keys:
       * xkbcommon works them out as a keyboard driver would. XKB codes are
       * evdev codes + 8. */
      xkb_state_update_key(state, code + 8, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
      zwp_virtual_keyboard_v1_modifiers(
          keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
          xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
          xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
          xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
      if (wl_display_roundtrip(display) < 0) return fail("the compositor went away");
    } else {
      const long ms = strtol(step, NULL, 10);
      const struct timespec wait = {ms / 1000, (ms % 1000) * 1000000L};
      nanosleep(&wait, NULL);
    }
  }
  zwp_virtual_keyboard_v1_destroy(keyboard);
  wl_display_roundtrip(display);
  xkb_state_unref(state);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
  wl_display_disconnect(display);
  return 0;
}
