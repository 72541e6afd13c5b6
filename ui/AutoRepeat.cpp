// SPDX-License-Identifier: GPL-3.0-or-later
// Detectable auto-repeat through XKB on Qt's own X connection: the flag belongs
// to the connection, and Qt's is the one the key events arrive on.
#include "ui/AutoRepeat.h"

#include <QGuiApplication>


#include <cstdlib>

#include "ui/XkbConnection.h"

namespace tangrel {
namespace {

// The server takes XKB requests only from a client that announced its XKB
// version; Qt has done so, but announcing again costs nothing and does not
// depend on that.
bool UseXkb(xcb_connection_t* connection) {
  xcb_generic_error_t* error = nullptr;
  xcb_xkb_use_extension_reply_t* reply = xcb_xkb_use_extension_reply(
      connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
      &error);
  const bool supported = reply && reply->supported;
  std::free(reply);
  std::free(error);
  return supported;
}

}  // namespace

bool RequestDetectableAutoRepeat() {
  xcb_connection_t* connection = QtConnection();
  if (!connection || !UseXkb(connection)) return false;
  const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
  // An error is collected here rather than left to Qt's event loop, which
  // would print it.
  xcb_generic_error_t* error = nullptr;
  xcb_xkb_per_client_flags_reply_t* reply = xcb_xkb_per_client_flags_reply(
      connection,
      xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), &error);
  const bool on = reply && (reply->value & flag) != 0;
  std::free(reply);
  std::free(error);
  return on;
}

}  // namespace tangrel
