// Start-up: what main does between creating the application and running it,
// kept apart so tests can drive each path.
#pragma once

#include <memory>

#include "engine/MidiDevices.h"
#include "ui/MainWindow.h"
#include "ui/Messages.h"

class QApplication;

namespace tangrel {

// Font names the program asks for that this system provides under another
// name ("Times New Roman" is Liberation Serif on Linux).
void InstallFontSubstitutions();

// The main window with its output opened, or nothing when there is no MIDI
// output device at all (the error box has then been shown).
std::unique_ptr<MainWindow> CreateMainWindow(MidiDevices& devices, Messages& messages);

// Creates and shows the main window and runs the event loop; the exit code.
// With no device the program ends at once with 0.
int RunTangrel(QApplication& app, MidiDevices& devices, Messages& messages);

}  // namespace tangrel
