// SPDX-License-Identifier: GPL-3.0-or-later
// tangrel-tool: reads, converts and renders performance files from the
// command line. The commands and their options are one table.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/KeyMap.h"
#include "model/MidiOut.h"
#include "tools/ToolCommands.h"
#include "tools/ToolOptions.h"

using namespace tangrel;
using namespace tangrel::tool;

namespace {

// A whole number within [low, high], or the reason it is not.
bool ReadInRange(const std::string& text, int64_t low, int64_t high, int64_t& value,
                 std::string& why) {
  const auto number = WholeNumber(text);
  if (number && *number >= low && *number <= high) {
    value = *number;
    return true;
  }
  why = "not a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  return false;
}

bool ReadProgram(const std::string& text, int64_t& value, std::string& why) {
  return ReadInRange(text, 0, 127, value, why);
}

bool ReadBourdon(const std::string& text, int64_t& value, std::string& why) {
  if (ReadInRange(text, 0, 1, value, why)) return true;
  why = "the bourdon is 0 (off) or 1 (on)";
  return false;
}

bool ReadVelocity(const std::string& text, int64_t& value, std::string& why) {
  return ReadInRange(text, 1, 127, value, why);
}

// Tracks are numbered as the Track menu numbers them; the value is the MIDI
// channel, one below.
bool ReadTrack(const std::string& text, int64_t& value, std::string& why) {
  if (ReadInRange(text, 1, kBourdonChannel, value, why)) {
    value -= 1;
    return true;
  }
  why =
      "tracks are 1 to 15, as the Track menu numbers them (10 plays drums; the 16th channel "
      "carries the bourdon)";
  return false;
}

// The menu text without the space that aligns it in the menu: "D Major".
std::string MenuName(const Mode& mode) {
  const std::string text = mode.menuText;
  return text.substr(text.find_first_not_of(' '));
}

// A mode by its name in the Mode menu ("D Major", "#f Minor"), by its key
// alone, whose case tells major from minor ("D", "bE", "#f"), or by its id.
bool ReadMode(const std::string& text, int64_t& value, std::string& why) {
  for (const Mode& mode : ModeTable) {
    const std::string name = MenuName(mode);
    if (text == name || text == name.substr(0, name.find(' '))) {
      value = mode.id;
      return true;
    }
  }
  const auto id = WholeNumber(text);
  if (id && FindMode(static_cast<ModeId>(*id))) {
    value = *id;
    return true;
  }
  if (id && *id >= kFirstModeId && *id <= kLastModeId) {
    why =
        "no mode has this id: 1306..1311 and 1322..1327 lie between the groups of the Mode "
        "menu and name no key; the 24 ids are 1297..1305, 1312..1321 and 1328..1332";
  } else {
    why =
        "not a mode: give its name as the Mode menu shows it (\"C\", \"bE Major\", \"#f\", "
        "\"a Minor\"; capitals are major keys, small letters minor ones) or its id "
        "1297..1332";
  }
  return false;
}

const OptionSpec kProgram{"--program", "P", ReadProgram, "General MIDI program 0..127 (default 0)"};

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"info",
       {"FILE.tgi"},
       {{"--events", nullptr, nullptr, "list every event"}},
       "Prints the event count, the mode, the bourdon setting and the length as\n"
       "playback times it.",
       RunInfo},
      {"export-midi",
       {"FILE.tgi", "OUT.mid"},
       {kProgram,
        {"--mode", "MODE", ReadMode,
         "the key as the Mode menu names it (\"D\", \"bE\", \"#f Minor\")\n"
         "                       or its id 1297..1332 (default: the file's)"},
        {"--bourdon", "0|1", ReadBourdon, "the bourdon voice off or on (default: the file's)"}},
       "Writes a Standard MIDI File as the window's Export command does.",
       RunExportMidi},
      {"render",
       {"FILE.tgi", "OUT.wav"},
       {kProgram,
        {"--track", "N", ReadTrack,
         "track 1..15 of the notes, as the Track menu (default 1;\n"
         "                       10 plays drums)"},
        {"--velocity", "V", ReadVelocity, "note-on velocity 1..127 (default 127)"},
        {"--soundfont", "PATH", nullptr,
         "the SoundFont to play (default: the built-in synthesizer's)"}},
       "Plays the take offline through the built-in synthesizer, with playback's\n"
       "timing, the file's mode and bourdon setting and 1.5 s of tail, into a\n"
       "44.1 kHz 16-bit stereo WAV.",
       RunRender},
  };
  return commands;
}

void PrintUsage(std::FILE* to) {
  const char* lead = "usage: ";
  for (const CommandSpec& syntax : Commands()) {
    std::fprintf(to, "%s%s\n", lead, UsageLine(syntax).c_str());
    lead = "       ";
  }
  std::fprintf(to, "       tangrel-tool --help | --version\n");
}

int RunWords(const std::vector<std::string>& words) {
  if (words.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (words[0] == "--help" || words[0] == "-h") {
    PrintUsage(stdout);
    std::printf("\n'tangrel-tool COMMAND --help' describes one command.\n");
    return kExitOk;
  }
  if (words[0] == "--version") {
    std::printf("tangrel-tool %s\n", TANGREL_VERSION);
    return kExitOk;
  }
  for (const CommandSpec& syntax : Commands()) {
    if (words[0] != syntax.name) continue;
    ParseResult parsed = ParseCommandLine(syntax, {words.begin() + 1, words.end()});
    switch (parsed.status) {
      case ParseResult::Status::Help:
        std::printf("%s", HelpText(syntax).c_str());
        return kExitOk;
      case ParseResult::Status::Error:
        std::fprintf(stderr, "tangrel-tool %s: %s\nusage: %s\n", syntax.name, parsed.error.c_str(),
                     UsageLine(syntax).c_str());
        return kExitUsage;
      case ParseResult::Status::Ok:
        return syntax.run(parsed.command);
    }
  }
  std::fprintf(stderr, "tangrel-tool: unknown command '%s'\n", words[0].c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const int code = RunWords({argv + 1, argv + argc});
  // What was printed is only out once it is flushed: a full disk or a closed
  // pipe shows here, and a listing that did not arrive is a failure.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "tangrel-tool: cannot write to standard output: %s\n",
                 std::strerror(errno));
    return kExitFailure;
  }
  return code;
}
