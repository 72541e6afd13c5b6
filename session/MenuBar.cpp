// The menu bar's popups, built from the instrument, mode and device tables.
#include "session/MenuBar.h"

#include <cstdio>

#include "model/KeyMap.h"
#include "session/CommandIds.h"
#include "session/Instruments.h"

namespace tangrel {
namespace {

constexpr int kTrackCount = kBourdonChannel;  // the bourdon's channel is never a track

MenuItem Item(std::string text, int32_t command, bool checked = false, bool grayed = false) {
  return MenuItem{std::move(text), command, checked, grayed, false, {}};
}

MenuItem Popup(std::string text, std::vector<MenuItem> items) {
  return MenuItem{std::move(text), 0, false, false, false, std::move(items)};
}

// The items of a popup that shows a choice (or an on/off setting) with a
// check mark.
MenuItem Checkable(MenuItem popup) {
  for (MenuItem& item : popup.items) {
    if (item.command == 0) {
      item = Checkable(std::move(item));
    } else {
      item.checkable = true;
    }
  }
  return popup;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[128];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

MenuItem SwitchMenu() {
  // The output is closed until the window opens it.
  return Popup("&Switch", {Item("&Open\tAlt+O", IDM_SWITCH_OPEN),
                           Item("&Close\tAlt+C", IDM_SWITCH_CLOSE, true)});
}

MenuItem InstrumentsMenu() {
  std::vector<MenuItem> families;
  for (int f = 0; f < kFamilyCount; ++f) {
    std::vector<MenuItem> items;
    for (int i = 0; i < 8; ++i) {
      const Instrument& instrument = InstrumentTable[f].instruments[i];
      items.push_back(Item(Format("&%d.\t%s", i + 1, instrument.name),
                           IDM_INSTRUMENT_BASE + instrument.program, instrument.program == 0));
    }
    // "%2i" puts a blank before the single-digit numbers.
    families.push_back(Popup(Format("%2i.\t%s", f + 1, InstrumentTable[f].name), std::move(items)));
  }
  return Popup("&Instruments", std::move(families));
}

MenuItem ModeMenu() {
  std::vector<MenuItem> items;
  for (const Mode& mode : ModeTable) {
    items.push_back(Item(mode.menuText, mode.id, mode.id == IDM_MODE_FIRST));
  }
  return Popup("&Mode", std::move(items));
}

MenuItem RecordMenu() {
  // Nothing is recorded yet: only Record and Load can be chosen.
  return Popup("&Record", {Item("Begin to &Record", IDM_RECORD),
                           Item("&End Recording", IDM_END_RECORD, false, true),
                           Item("Begin to &Play", IDM_PLAY, false, true),
                           Item("Circ&le Play", IDM_CIRCLE_PLAY, false, true),
                           Item("E&nd Playing", IDM_END_PLAY, false, true),
                           Item("&Save", IDM_SAVE, false, true),
                           Item("Save &as", IDM_SAVE_AS, false, true),
                           Item("E&xport Midi file", IDM_EXPORT_MIDI, false, true),
                           Item("&Load *.tgi", IDM_LOAD)});
}

MenuItem DeviceMenu(const std::vector<DeviceMenuItem>& devices) {
  std::vector<MenuItem> items;
  for (const DeviceMenuItem& device : devices) items.push_back(Item(device.name, device.command));
  // The first entry is the device the output opens on.
  if (!items.empty()) items.front().checked = true;
  return Popup("&Device", std::move(items));
}

MenuItem TrackMenu() {
  std::vector<MenuItem> items;
  for (int n = 0; n < kTrackCount; ++n) {
    items.push_back(Item(Format("%d", n + 1), IDM_TRACK_BASE + n, n == 0));
  }
  return Popup("&Track", std::move(items));
}

}  // namespace

std::vector<MenuItem> BuildMenuBar(const std::vector<DeviceMenuItem>& devices) {
  return {Checkable(SwitchMenu()),
          Checkable(InstrumentsMenu()),
          Checkable(ModeMenu()),
          RecordMenu(),
          Checkable(Popup("&Function", {Item("&Add bourdon automatism", IDM_BOURDON)})),
          Checkable(DeviceMenu(devices)),
          Checkable(TrackMenu()),
          Popup("&Help", {Item("&Help", IDM_HELP), Item("&About", IDM_ABOUT)})};
}

const MenuItem* FindMenuItem(const std::vector<MenuItem>& bar, int32_t command) {
  for (const MenuItem& item : bar) {
    if (item.command == command && command != 0) return &item;
    if (const MenuItem* found = FindMenuItem(item.items, command)) return found;
  }
  return nullptr;
}

}  // namespace tangrel
