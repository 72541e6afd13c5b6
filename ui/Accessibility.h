// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in the main window besides Qt's own controls:
// each key of the on-screen keyboard with its computer key, degree, note and
// whether it is held; the Force and Freq bars as sliders with their values;
// the painted status lines, the instrument picture and the key signature.
#pragma once

class QWidget;

namespace tangrel {

// Installs the interfaces for the client area and its two bars; once, before
// the window shows.
void InstallAccessibility();

// Tells a screen reader that a key was pressed or released, or that the keys'
// names changed with the layout (scanCode < 0).
void KeyChanged(QWidget* view, int scanCode);

}  // namespace tangrel
