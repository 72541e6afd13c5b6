// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument table as data.
#include "session/Instruments.h"

#include <algorithm>

#include "model/ExactTable.h"
#include "session/CommandIds.h"
#include "session/Texts.h"

namespace tangrel {
namespace {

constexpr auto kFamilies = ExactTable<kFamilyCount, InstrumentFamily>({
    {QT_TRANSLATE_NOOP("Tangrel", "Piano"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Acoustic Grand Piano"), 0},
       {QT_TRANSLATE_NOOP("Tangrel", "Bright Acoustic Piano"), 1},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Grand Piano"), 2},
       {QT_TRANSLATE_NOOP("Tangrel", "Honky-tonk Piano"), 3},
       {QT_TRANSLATE_NOOP("Tangrel", "Rhodes Piano"), 4},
       {QT_TRANSLATE_NOOP("Tangrel", "Chorused Piano"), 5},
       {QT_TRANSLATE_NOOP("Tangrel", "Harpsichord"), 6},
       {QT_TRANSLATE_NOOP("Tangrel", "Clavinet"), 7}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Chromatic Percussion"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Celesta"), 8},
       {QT_TRANSLATE_NOOP("Tangrel", "Glockenspiel"), 9},
       {QT_TRANSLATE_NOOP("Tangrel", "Music Box"), 10},
       {QT_TRANSLATE_NOOP("Tangrel", "Vibraphone"), 11},
       {QT_TRANSLATE_NOOP("Tangrel", "Marimba"), 12},
       {QT_TRANSLATE_NOOP("Tangrel", "Xylophone"), 13},
       {QT_TRANSLATE_NOOP("Tangrel", "Tubular Bells"), 14},
       {QT_TRANSLATE_NOOP("Tangrel", "Dulcimer"), 15}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Organ"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Hammond Organ"), 16},
       {QT_TRANSLATE_NOOP("Tangrel", "Percussive Organ"), 17},
       {QT_TRANSLATE_NOOP("Tangrel", "Rock Organ"), 18},
       {QT_TRANSLATE_NOOP("Tangrel", "Church Organ"), 19},
       {QT_TRANSLATE_NOOP("Tangrel", "Reed Organ"), 20},
       {QT_TRANSLATE_NOOP("Tangrel", "Accordian"), 21},
       {QT_TRANSLATE_NOOP("Tangrel", "Harmonica"), 22},
       {QT_TRANSLATE_NOOP("Tangrel", "Tango Accordian"), 23}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Guitar"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Acoustic Guitar (nylon)"), 24},
       {QT_TRANSLATE_NOOP("Tangrel", "Acoustic Guitar (steel)"), 25},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Guitar (jazz)"), 26},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Guitar (clean)"), 27},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Guitar (muted)"), 28},
       {QT_TRANSLATE_NOOP("Tangrel", "Overdriven Guitar"), 29},
       {QT_TRANSLATE_NOOP("Tangrel", "Distortion Guitar"), 30},
       {QT_TRANSLATE_NOOP("Tangrel", "Guitar Harmonics"), 31}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Bass"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Acoustic Bass"), 32},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Bass (finger)"), 33},
       {QT_TRANSLATE_NOOP("Tangrel", "Electric Bass (pick)"), 34},
       {QT_TRANSLATE_NOOP("Tangrel", "Fretless Bass"), 35},
       {QT_TRANSLATE_NOOP("Tangrel", "Slap Bass 1"), 36},
       {QT_TRANSLATE_NOOP("Tangrel", "Slap Bass 2"), 37},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Bass 1"), 38},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Bass 2"), 39}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Strings"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Violin"), 40},
       {QT_TRANSLATE_NOOP("Tangrel", "Viola"), 41},
       {QT_TRANSLATE_NOOP("Tangrel", "Cello"), 42},
       {QT_TRANSLATE_NOOP("Tangrel", "Contrabass"), 43},
       {QT_TRANSLATE_NOOP("Tangrel", "Tremolo Strings"), 44},
       {QT_TRANSLATE_NOOP("Tangrel", "Pizzicato Strings"), 45},
       {QT_TRANSLATE_NOOP("Tangrel", "Orchestral Harp"), 46},
       {QT_TRANSLATE_NOOP("Tangrel", "Timpani"), 47}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Ensemble"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "String Ensemble 1"), 48},
       {QT_TRANSLATE_NOOP("Tangrel", "String Ensemble 2"), 49},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Strings 1"), 50},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Strings 2"), 51},
       {QT_TRANSLATE_NOOP("Tangrel", "Choir Aahs"), 52},
       {QT_TRANSLATE_NOOP("Tangrel", "Voice Oohs"), 53},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Voice"), 54},
       {QT_TRANSLATE_NOOP("Tangrel", "Orchestra Hit"), 55}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Brass"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Trumpet"), 56},
       {QT_TRANSLATE_NOOP("Tangrel", "Trombone"), 57},
       {QT_TRANSLATE_NOOP("Tangrel", "Tuba"), 58},
       {QT_TRANSLATE_NOOP("Tangrel", "Muted Trumpet"), 59},
       {QT_TRANSLATE_NOOP("Tangrel", "French Horn"), 60},
       {QT_TRANSLATE_NOOP("Tangrel", "Brass Section"), 61},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Brass 1"), 62},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Brass 2"), 63}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Reed"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Soprano Sax"), 64},
       {QT_TRANSLATE_NOOP("Tangrel", "Alto Sax"), 65},
       {QT_TRANSLATE_NOOP("Tangrel", "Tenor Sax"), 66},
       {QT_TRANSLATE_NOOP("Tangrel", "Baritone Sax"), 67},
       {QT_TRANSLATE_NOOP("Tangrel", "Oboe"), 68},
       {QT_TRANSLATE_NOOP("Tangrel", "English Horn"), 69},
       {QT_TRANSLATE_NOOP("Tangrel", "Bassoon"), 70},
       {QT_TRANSLATE_NOOP("Tangrel", "Clarinet"), 71}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Pipe"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Piccolo"), 72},
       {QT_TRANSLATE_NOOP("Tangrel", "Flute"), 73},
       {QT_TRANSLATE_NOOP("Tangrel", "Recorder"), 74},
       {QT_TRANSLATE_NOOP("Tangrel", "Pan Flute"), 75},
       {QT_TRANSLATE_NOOP("Tangrel", "Bottle Blow"), 76},
       {QT_TRANSLATE_NOOP("Tangrel", "Shakuhachi"), 77},
       {QT_TRANSLATE_NOOP("Tangrel", "Whistle"), 78},
       {QT_TRANSLATE_NOOP("Tangrel", "Ocarina"), 79}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Synth Lead"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Lead 1 (square)"), 80},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 2 (sawtooth)"), 81},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 3 (caliope lead)"), 82},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 4 (chiff lead)"), 83},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 5 (charang)"), 84},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 6 (voice)"), 85},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 7 (fifths)"), 86},
       {QT_TRANSLATE_NOOP("Tangrel", "Lead 8 (brass + lead)"), 87}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Synth Pad"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Pad 1 (new age)"), 88},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 2 (warm)"), 89},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 3 (polysynth)"), 90},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 4 (choir)"), 91},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 5 (bowed)"), 92},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 6 (metallic)"), 93},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 7 (halo)"), 94},
       {QT_TRANSLATE_NOOP("Tangrel", "Pad 8 (sweep)"), 95}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Synth Effects"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "FX 1 (rain)"), 96},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 2 (soundtrack)"), 97},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 3 (crystal)"), 98},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 4 (atmosphere)"), 99},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 5 (brightness)"), 100},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 6 (goblins)"), 101},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 7 (echoes)"), 102},
       {QT_TRANSLATE_NOOP("Tangrel", "FX 8 (sci-fi)"), 103}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Ethnic"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Sitar"), 104},
       {QT_TRANSLATE_NOOP("Tangrel", "Banjo"), 105},
       {QT_TRANSLATE_NOOP("Tangrel", "Shamisen"), 106},
       {QT_TRANSLATE_NOOP("Tangrel", "Koto"), 107},
       {QT_TRANSLATE_NOOP("Tangrel", "Kalimba"), 108},
       {QT_TRANSLATE_NOOP("Tangrel", "Bagpipe"), 109},
       {QT_TRANSLATE_NOOP("Tangrel", "Fiddle"), 110},
       {QT_TRANSLATE_NOOP("Tangrel", "Shanai"), 111}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Percussive"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Tinkle Bell"), 112},
       {QT_TRANSLATE_NOOP("Tangrel", "Agogo"), 113},
       {QT_TRANSLATE_NOOP("Tangrel", "Steel Drums"), 114},
       {QT_TRANSLATE_NOOP("Tangrel", "Woodblock"), 115},
       {QT_TRANSLATE_NOOP("Tangrel", "Taiko Drum"), 116},
       {QT_TRANSLATE_NOOP("Tangrel", "Melodic Tom"), 117},
       {QT_TRANSLATE_NOOP("Tangrel", "Synth Drum"), 118},
       {QT_TRANSLATE_NOOP("Tangrel", "Reverse Cymbal"), 119}}}},
    {QT_TRANSLATE_NOOP("Tangrel", "Sound Effects"),
     {{{QT_TRANSLATE_NOOP("Tangrel", "Guitar Fret Noise"), 120},
       {QT_TRANSLATE_NOOP("Tangrel", "Breath Noise"), 121},
       {QT_TRANSLATE_NOOP("Tangrel", "Seashore"), 122},
       {QT_TRANSLATE_NOOP("Tangrel", "Bird Tweet"), 123},
       {QT_TRANSLATE_NOOP("Tangrel", "Telephone Ring"), 124},
       {QT_TRANSLATE_NOOP("Tangrel", "Helicopter"), 125},
       {QT_TRANSLATE_NOOP("Tangrel", "Applause"), 126},
       {QT_TRANSLATE_NOOP("Tangrel", "Gunshot"), 127}}}},
});

// Every family names its eight instruments, program 8f + i at place i: a
// family short of one would hold a nameless program 0.
constexpr bool EveryProgramInItsPlace() {
  for (size_t f = 0; f < kFamilies.size(); ++f) {
    for (size_t i = 0; i < kFamilies[f].instruments.size(); ++i) {
      const Instrument& instrument = kFamilies[f].instruments[i];
      if (!instrument.name || instrument.program != static_cast<int32_t>(8 * f + i)) return false;
    }
  }
  return true;
}
static_assert(kFamilyCount * 8 == 128, "the 128 General MIDI programs");
static_assert(EveryProgramInItsPlace(), "program 8f + i at place i of family f");

}  // namespace

const std::array<InstrumentFamily, kFamilyCount> InstrumentTable = kFamilies;

// Button 7 shows a trumpet but plays the trombone at its place in the table.
const std::array<ToolbarButton, kToolbarButtonCount> ToolbarButtonTable =
    ExactTable<kToolbarButtonCount, ToolbarButton>({
        {0, 0},
        {1, 7},
        {2, 3},
        {3, 1},
        {4, 0},
        {5, 0},
        {6, 7},
        {7, 1},
        {8, 2},
        {9, 1},
        {12, 7},
        {13, 3},
        {14, 2},
        {15, 3},
    });

// The kits' places among the programs as General MIDI 2 and GS number them
// (from 0 here, from 1 on a synthesizer's panel); the Standard Kit first.
const std::array<DrumKit, kDrumKitCount> DrumKitTable = ExactTable<kDrumKitCount, DrumKit>({
    {0, QT_TRANSLATE_NOOP("Tangrel", "Standard Kit")},
    {8, QT_TRANSLATE_NOOP("Tangrel", "Room Kit")},
    {16, QT_TRANSLATE_NOOP("Tangrel", "Power Kit")},
    {24, QT_TRANSLATE_NOOP("Tangrel", "Electronic Kit")},
    {25, QT_TRANSLATE_NOOP("Tangrel", "TR-808 Kit")},
    {32, QT_TRANSLATE_NOOP("Tangrel", "Jazz Kit")},
    {40, QT_TRANSLATE_NOOP("Tangrel", "Brush Kit")},
    {48, QT_TRANSLATE_NOOP("Tangrel", "Orchestra Kit")},
    {56, QT_TRANSLATE_NOOP("Tangrel", "SFX Kit")},
});

const char* DrumKitName(int32_t program) {
  const auto kit = std::find_if(DrumKitTable.begin(), DrumKitTable.end(),
                                [program](const DrumKit& k) { return k.program == program; });
  // FluidSynth plays the Standard Kit for a kit its SoundFont lacks.
  return kit == DrumKitTable.end() ? DrumKitTable.front().name : kit->name;
}

const char* ProgramName(int32_t track, int32_t program) {
  return track == kPercussionChannel ? DrumKitName(program) : InstrumentName(program);
}

const char* InstrumentName(int32_t program) {
  if (program < 0 || program > 127) return "";
  return InstrumentTable[program / 8].instruments[program % 8].name;
}

int32_t ToolbarCommand(int button) {
  const ToolbarButton& b = ToolbarButtonTable[button];
  return IDM_INSTRUMENT_BASE + InstrumentTable[b.family].instruments[b.position].program;
}

int InstrumentPictureIndex(int32_t track, int32_t program) {
  constexpr int kDrumKitPicture = 14;
  constexpr int kSynthesizerPicture = 10;
  if (track == kPercussionChannel) return kDrumKitPicture;
  if (program < 80) return program / 8;
  if (program < 104) return kSynthesizerPicture;
  return program / 8 - 2;
}

}  // namespace tangrel
