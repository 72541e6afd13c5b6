// Tangrel: the computer keyboard as a musical instrument.
#include <QApplication>

#include "engine/MidiDevices.h"
#include "ui/Messages.h"
#include "ui/Startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tangrel::InstallFontSubstitutions();
  std::unique_ptr<tangrel::DeviceSet> devices = tangrel::MakeSystemDevices();
  devices->Prepare();  // the SoundFont loads while the windows are built
  tangrel::BoxMessages messages;
  return tangrel::RunTangrel(app, *devices, messages);
}
