// SPDX-License-Identifier: GPL-3.0-or-later
// Every action of the program is a command with one of these numbers: menu
// items, accelerators, toolbar and push buttons, and the program itself all
// go through the session's one dispatcher, Session::OnCommand.
#pragma once

#include <cstdint>

#include "model/KeyMap.h"   // the mode ids
#include "model/MidiOut.h"  // IDM_DEVICE_BASE

namespace tangrel {

constexpr int32_t IDM_SWITCH_OPEN = 256;
constexpr int32_t IDM_SWITCH_CLOSE = 257;
constexpr int32_t IDM_DEVICE_LAST = 767;
constexpr int32_t IDM_TRACK_BASE = 768;    // + channel 0..14
constexpr int32_t IDM_TRACK_LAST = 1023;
constexpr int32_t IDM_INSTRUMENT_BASE = 1024;  // + program 0..127
constexpr int32_t IDM_HELP = 1280;
constexpr int32_t IDM_ABOUT = 1281;
constexpr int32_t IDM_EXPORT_MIDI = 1282;
constexpr int32_t IDM_RECORD = 1283;
constexpr int32_t IDM_END_RECORD = 1284;
constexpr int32_t IDM_PLAY = 1285;
constexpr int32_t IDM_CIRCLE_PLAY = 1286;
constexpr int32_t IDM_END_PLAY = 1287;
constexpr int32_t IDM_SAVE = 1288;
constexpr int32_t IDM_SAVE_AS = 1289;
constexpr int32_t IDM_LOAD = 1296;
constexpr int32_t IDM_MODE_FIRST = kFirstModeId;  // " C Major"
constexpr int32_t IDM_MODE_LAST = kLastModeId;
constexpr int32_t IDM_BOURDON = 1333;

// The push buttons carry their commands as control ids.
constexpr int32_t IDC_RECORD = IDM_RECORD;
constexpr int32_t IDC_END_PLAY = IDM_END_PLAY;
constexpr int32_t IDC_VELOCITY = 1344;
constexpr int32_t IDC_PITCHBEND = 1345;

constexpr int32_t IDT_AUTOPLAY = 1;  // Play, half a second after a start-up load

}  // namespace tangrel
