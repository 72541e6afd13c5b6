// SPDX-License-Identifier: GPL-3.0-or-later
// Ends the program at once, without a box, on SIGTERM, SIGINT and SIGHUP: an
// unsaved take stays in its journal for the next start, and the window's
// destruction still silences the output and closes the device (an audio file
// being written gets its final header) instead of the process dying mid-note.
#pragma once

class QObject;

namespace tangrel {

// Installs the handlers; the notifier lives as a child of `parent`.
void QuitOnTerminationSignals(QObject* parent);

// Ends every event loop now, open boxes' too, without asking anything.
void EndAtOnce();
// True once EndAtOnce was called: no box or dialog may be shown any more.
bool EndingAtOnce();

}  // namespace tangrel
