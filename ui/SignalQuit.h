// Ends the event loop cleanly on SIGTERM, SIGINT and SIGHUP, so the window's
// destruction silences the output and closes the device (an audio file being
// written gets its final header) instead of the process dying mid-note.
#pragma once

class QObject;

namespace tangrel {

// Installs the handlers; the notifier lives as a child of `parent`.
void QuitOnTerminationSignals(QObject* parent);

}  // namespace tangrel
