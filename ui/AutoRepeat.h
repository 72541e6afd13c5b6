// SPDX-License-Identifier: GPL-3.0-or-later
// A held key on X11: the server is asked to repeat it as presses alone, with no
// release before each, so that a repeat can never pass for a new stroke.
#pragma once

namespace tangrel {

// True when the X server now repeats a held key as further presses of a key
// that is still down. False elsewhere (Wayland marks its own repeats, the
// offscreen platform has none) and when the server refuses. Call it once the
// QApplication exists.
bool RequestDetectableAutoRepeat();

}  // namespace tangrel
