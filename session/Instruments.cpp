// The instrument table as data.
#include "session/Instruments.h"

#include "model/ExactTable.h"
#include "session/CommandIds.h"

namespace tangrel {
namespace {

constexpr int32_t kPercussionChannel = 9;

constexpr auto kFamilies = ExactTable<kFamilyCount, InstrumentFamily>({
    {"Piano", {{{"Acoustic Grand Piano", 0}, {"Bright Acoustic Piano", 1},
                {"Electric Grand Piano", 2}, {"Honky-tonk Piano", 3}, {"Rhodes Piano", 4},
                {"Chorused Piano", 5}, {"Harpsichord", 6}, {"Clavinet", 7}}}},
    {"Chromatic Percussion", {{{"Celesta", 8}, {"Glockenspiel", 9}, {"Music Box", 10},
                               {"Vibraphone", 11}, {"Marimba", 12}, {"Xylophone", 13},
                               {"Tubular Bells", 14}, {"Dulcimer", 15}}}},
    {"Organ", {{{"Hammond Organ", 16}, {"Percussive Organ", 17}, {"Rock Organ", 18},
                {"Church Organ", 19}, {"Reed Organ", 20}, {"Accordian", 21},
                {"Harmonica", 22}, {"Tango Accordian", 23}}}},
    {"Guitar", {{{"Acoustic Guitar (nylon)", 24}, {"Acoustic Guitar (steel)", 25},
                 {"Electric Guitar (jazz)", 26}, {"Electric Guitar (clean)", 27},
                 {"Electric Guitar (muted)", 28}, {"Overdriven Guitar", 29},
                 {"Distortion Guitar", 30}, {"Guitar Harmonics", 31}}}},
    {"Bass", {{{"Acoustic Bass", 32}, {"Electric Bass (finger)", 33},
               {"Electric Bass (pick)", 34}, {"Fretless Bass", 35}, {"Slap Bass 1", 36},
               {"Slap Bass 2", 37}, {"Synth Bass 1", 38}, {"Synth Bass 2", 39}}}},
    {"Strings", {{{"Violin", 40}, {"Viola", 41}, {"Cello", 42}, {"Contrabass", 43},
                  {"Tremolo Strings", 44}, {"Pizzicato Strings", 45},
                  {"Orchestral Harp", 46}, {"Timpani", 47}}}},
    {"Ensemble", {{{"String Ensemble 1", 48}, {"String Ensemble 2", 49},
                   {"Synth Strings 1", 50}, {"Synth Strings 2", 51}, {"Choir Aahs", 52},
                   {"Voice Oohs", 53}, {"Synth Voice", 54}, {"Orchestra Hit", 55}}}},
    {"Brass", {{{"Trumpet", 56}, {"Trombone", 57}, {"Tuba", 58}, {"Muted Trumpet", 59},
                {"French Horn", 60}, {"Brass Section", 61}, {"Synth Brass 1", 62},
                {"Synth Brass 2", 63}}}},
    {"Reed", {{{"Soprano Sax", 64}, {"Alto Sax", 65}, {"Tenor Sax", 66},
               {"Baritone Sax", 67}, {"Oboe", 68}, {"English Horn", 69}, {"Bassoon", 70},
               {"Clarinet", 71}}}},
    {"Pipe", {{{"Piccolo", 72}, {"Flute", 73}, {"Recorder", 74}, {"Pan Flute", 75},
               {"Bottle Blow", 76}, {"Shakuhachi", 77}, {"Whistle", 78}, {"Ocarina", 79}}}},
    {"Synth Lead", {{{"Lead 1 (square)", 80}, {"Lead 2 (sawtooth)", 81},
                     {"Lead 3 (caliope lead)", 82}, {"Lead 4 (chiff lead)", 83},
                     {"Lead 5 (charang)", 84}, {"Lead 6 (voice)", 85},
                     {"Lead 7 (fifths)", 86}, {"Lead 8 (brass + lead)", 87}}}},
    {"Synth Pad", {{{"Pad 1 (new age)", 88}, {"Pad 2 (warm)", 89},
                    {"Pad 3 (polysynth)", 90}, {"Pad 4 (choir)", 91}, {"Pad 5 (bowed)", 92},
                    {"Pad 6 (metallic)", 93}, {"Pad 7 (halo)", 94}, {"Pad 8 (sweep)", 95}}}},
    {"Synth Effects", {{{"FX 1 (rain)", 96}, {"FX 2 (soundtrack)", 97},
                        {"FX 3 (crystal)", 98}, {"FX 4 (atmosphere)", 99},
                        {"FX 5 (brightness)", 100}, {"FX 6 (goblins)", 101},
                        {"FX 7 (echoes)", 102}, {"FX 8 (sci-fi)", 103}}}},
    {"Ethnic", {{{"Sitar", 104}, {"Banjo", 105}, {"Shamisen", 106}, {"Koto", 107},
                 {"Kalimba", 108}, {"Bagpipe", 109}, {"Fiddle", 110}, {"Shanai", 111}}}},
    {"Percussive", {{{"Tinkle Bell", 112}, {"Agogo", 113}, {"Steel Drums", 114},
                     {"Woodblock", 115}, {"Taiko Drum", 116}, {"Melodic Tom", 117},
                     {"Synth Drum", 118}, {"Reverse Cymbal", 119}}}},
    {"Sound Effects", {{{"Guitar Fret Noise", 120}, {"Breath Noise", 121},
                        {"Seashore", 122}, {"Bird Tweet", 123}, {"Telephone Ring", 124},
                        {"Helicopter", 125}, {"Applause", 126}, {"Gunshot", 127}}}},
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
        {0, 0}, {1, 7}, {2, 3}, {3, 1}, {4, 0}, {5, 0}, {6, 7},
        {7, 1}, {8, 2}, {9, 1}, {12, 7}, {13, 3}, {14, 2}, {15, 3},
    });

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
