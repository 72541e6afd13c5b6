// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own X connection, for the XKB requests that must go over the connection
// the key events arrive on; none where the window is not on X11.
#pragma once

#include <QGuiApplication>

// xkb.h names a field "explicit", which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

namespace tangrel {

inline xcb_connection_t* QtConnection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace tangrel
