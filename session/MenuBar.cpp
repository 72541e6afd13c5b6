// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar's popups, built from the instrument, mode and device tables.
#include "session/MenuBar.h"

#include <cstdio>

#include "model/KeyMap.h"
#include "session/CommandIds.h"
#include "session/Instruments.h"
#include "session/Texts.h"

namespace tangrel {
namespace {

constexpr int kTrackCount = kBourdonChannel;  // the bourdon's channel is never a track

// The built-in device's name as devices/ gives it, listed here with the texts
// the user reads so that the Device menu and the status line translate it.
[[maybe_unused]] constexpr const char* kBuiltInDeviceName =
    QT_TRANSLATE_NOOP("Tangrel", "Built-in synthesizer");

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
  return Popup(QT_TRANSLATE_NOOP("Tangrel", "&Switch"),
               {Item(QT_TRANSLATE_NOOP("Tangrel", "&Open\tAlt+O"), IDM_SWITCH_OPEN),
                Item(QT_TRANSLATE_NOOP("Tangrel", "&Close\tAlt+C"), IDM_SWITCH_CLOSE, true)});
}

MenuItem InstrumentsMenu() {
  std::vector<MenuItem> families;
  for (int f = 0; f < kFamilyCount; ++f) {
    std::vector<MenuItem> items;
    for (int i = 0; i < 8; ++i) {
      const Instrument& instrument = InstrumentTable[f].instruments[i];
      items.push_back(Item(Format("&%d.\t%s", i + 1, UserText(instrument.name).c_str()),
                           IDM_INSTRUMENT_BASE + instrument.program, instrument.program == 0));
    }
    // "%2i" puts a blank before the single-digit numbers.
    families.push_back(Popup(Format("%2i.\t%s", f + 1, UserText(InstrumentTable[f].name).c_str()),
                             std::move(items)));
  }
  return Popup(QT_TRANSLATE_NOOP("Tangrel", "&Instruments"), std::move(families));
}

// " C Major": the key as it stands, the kind in the user's language.
std::string ModeMenuText(const Mode& mode) {
  static const char* const kKinds[] = {QT_TRANSLATE_NOOP("Tangrel", "Major"),
                                       QT_TRANSLATE_NOOP("Tangrel", "Minor")};
  const std::string text = mode.menuText;
  for (const char* kind : kKinds) {
    const size_t length = std::string(kind).size();
    if (text.size() >= length && text.compare(text.size() - length, length, kind) == 0) {
      return text.substr(0, text.size() - length) + UserText(kind);
    }
  }
  return text;
}

MenuItem ModeMenu() {
  std::vector<MenuItem> items;
  for (const Mode& mode : ModeTable) {
    items.push_back(Item(ModeMenuText(mode), mode.id, mode.id == IDM_MODE_FIRST));
  }
  return Popup(QT_TRANSLATE_NOOP("Tangrel", "&Mode"), std::move(items));
}

MenuItem RecordMenu() {
  // Nothing is recorded yet: only Record and Load can be chosen.
  return Popup(
      QT_TRANSLATE_NOOP("Tangrel", "&Record"),
      {Item(QT_TRANSLATE_NOOP("Tangrel", "Begin to &Record"), IDM_RECORD),
       Item(QT_TRANSLATE_NOOP("Tangrel", "&End Recording"), IDM_END_RECORD, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "Begin to &Play"), IDM_PLAY, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "Circ&le Play"), IDM_CIRCLE_PLAY, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "E&nd Playing"), IDM_END_PLAY, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "&Save"), IDM_SAVE, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "Save &as"), IDM_SAVE_AS, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "E&xport Midi file"), IDM_EXPORT_MIDI, false, true),
       Item(QT_TRANSLATE_NOOP("Tangrel", "&Load *.tgi"), IDM_LOAD)});
}

MenuItem DeviceMenu(const std::vector<DeviceMenuItem>& devices) {
  std::vector<MenuItem> items;
  for (const DeviceMenuItem& device : devices) {
    items.push_back(Item(UserText(device.name.c_str()), device.command));
  }
  // The first entry is the device the output opens on.
  if (!items.empty()) items.front().checked = true;
  return Popup(QT_TRANSLATE_NOOP("Tangrel", "&Device"), std::move(items));
}

MenuItem TrackMenu() {
  std::vector<MenuItem> items;
  for (int n = 0; n < kTrackCount; ++n) {
    items.push_back(Item(Format("%d", n + 1), IDM_TRACK_BASE + n, n == 0));
  }
  return Popup(QT_TRANSLATE_NOOP("Tangrel", "&Track"), std::move(items));
}

}  // namespace

std::vector<MenuItem> BuildMenuBar(const std::vector<DeviceMenuItem>& devices) {
  return {Checkable(SwitchMenu()),
          Checkable(InstrumentsMenu()),
          Checkable(ModeMenu()),
          RecordMenu(),
          Checkable(
              Popup(QT_TRANSLATE_NOOP("Tangrel", "&Function"),
                    {Item(QT_TRANSLATE_NOOP("Tangrel", "&Add bourdon automatism"), IDM_BOURDON)})),
          Checkable(DeviceMenu(devices)),
          Checkable(TrackMenu()),
          Popup(QT_TRANSLATE_NOOP("Tangrel", "&Help"),
                {Item(QT_TRANSLATE_NOOP("Tangrel", "&Help\tF1"), IDM_HELP),
                 Item(QT_TRANSLATE_NOOP("Tangrel", "&About"), IDM_ABOUT)})};
}

const MenuItem* FindMenuItem(const std::vector<MenuItem>& bar, int32_t command) {
  for (const MenuItem& item : bar) {
    if (item.command == command && command != 0) return &item;
    if (const MenuItem* found = FindMenuItem(item.items, command)) return found;
  }
  return nullptr;
}

}  // namespace tangrel
