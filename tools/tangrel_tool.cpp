// tangrel-tool: reads, converts and renders performance files from the
// command line. The commands and their options are one table.
#include <cstdio>
#include <string>
#include <vector>

#include "model/KeyMap.h"
#include "tools/ToolCommands.h"
#include "tools/ToolOptions.h"

using namespace tangrel;
using namespace tangrel::tool;

namespace {

bool IsMode(int64_t id) { return FindMode(static_cast<ModeId>(id)) != nullptr; }

const OptionSpec kProgram{"--program", OptionKind::Integer, "P", 0, 127, nullptr,
                          "General MIDI program 0..127 (default 0)"};

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"info",
       {"FILE.tgi"},
       {{"--events", OptionKind::Flag, nullptr, 0, 0, nullptr, "list every event"}},
       "Prints the event count, the mode, the bourdon setting and the length as\n"
       "playback times it.",
       RunInfo},
      {"export-midi",
       {"FILE.tgi", "OUT.mid"},
       {kProgram,
        {"--mode", OptionKind::Integer, "ID", kFirstModeId, kLastModeId, IsMode,
         "one of the 24 mode ids 1297..1332 (default: the file's)"},
        {"--bourdon", OptionKind::Integer, "0|1", 0, 1, nullptr,
         "the bourdon voice off or on (default: the file's)"}},
       "Writes a Standard MIDI File as the window's Export command does.",
       RunExportMidi},
      {"render",
       {"FILE.tgi", "OUT.wav"},
       {kProgram,
        {"--track", OptionKind::Integer, "N", 0, 14, nullptr,
         "MIDI channel 0..14 of the notes (default 0; 9 plays drums)"},
        {"--velocity", OptionKind::Integer, "V", 1, 127, nullptr, "note-on velocity 1..127 (default 127)"},
        {"--soundfont", OptionKind::Text, "PATH", 0, 0, nullptr,
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
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (words[0] == "--help" || words[0] == "-h") {
    PrintUsage(stdout);
    std::printf("\n'tangrel-tool COMMAND --help' describes one command.\n");
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
