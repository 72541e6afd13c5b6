// Tangrel: the computer keyboard as a musical instrument.
#include <QApplication>

#include <cstdio>
#include <memory>

#include "engine/MidiDevices.h"
#include "ui/AutoRepeat.h"
#include "ui/DisplayCheck.h"
#include "ui/Messages.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
  auto display = std::make_unique<tangrel::DisplayCheck>(argc, argv);
  if (const auto& why = display->WhyNone()) {
    std::fprintf(stderr, "tangrel: no display could be opened (%s)\n", why->c_str());
    return 1;
  }
  QApplication app(argc, argv);
  display.reset();  // Qt's own connection holds the X server now
  // A held key then repeats as presses alone, which the key handling takes for
  // repeats; without it each repeat is a release and a press that Qt does not
  // always mark as one.
  tangrel::RequestDetectableAutoRepeat();
  tangrel::InstallFontSubstitutions();
  std::unique_ptr<tangrel::DeviceSet> devices = tangrel::MakeSystemDevices();
  tangrel::BoxMessages messages;
  return tangrel::RunTangrel(app, *devices, messages);
}
