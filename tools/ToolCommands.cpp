// SPDX-License-Identifier: GPL-3.0-or-later
// The info and export-midi commands, and loading a take as the window would.
#include "tools/ToolCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "files/MidiExport.h"
#include "model/KeyMap.h"
#include "recording/PlaybackTiming.h"
#include "session/FailureTexts.h"
#include "tools/KeyNames.h"
#include "tools/ToolText.h"

namespace tangrel::tool {
namespace {

constexpr std::array<const char*, 12> kPitchNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                     "F#", "G",  "G#", "A",  "A#", "B"};

// The menu text without the space that aligns it in the menu.
std::string ModeName(ModeId id) {
  const Mode* mode = FindMode(id);
  std::string text = mode ? mode->menuText : "?";
  return text.substr(text.find_first_not_of(' '));
}

// What replay sounds for the event on the track, "60 C4", or "-" when nothing.
std::string NoteText(const PerformanceEvent& event, ModeId mode) {
  auto entry = LookupNoteKey(ScanCodeOf(event.keyData));
  if (!entry) return "-";
  // A loaded shift lies within a few octaves of the key, but may still take
  // the note past the MIDI range.
  auto note = NoteNumber(entry->octave + event.octaveShift, entry->degree, mode);
  if (!note || *note < 0 || *note > 127) return "-";
  return std::to_string(*note) + " " + kPitchNames[static_cast<size_t>(*note % 12)] +
         std::to_string(*note / 12 - 1);
}

std::string MessageText(uint32_t message) {
  if (message == WM_KEYDOWN) return "press";
  if (message == WM_KEYUP) return "release";
  return "message " + std::to_string(message);
}

void PrintEvents(const Take& take) {
  std::printf("%6s %10s  %-8s %-14s %4s %5s  %s\n", "#", "delay(ms)", "event", "key", "scan",
              "shift", "note");
  for (size_t i = 0; i < take.events.size(); ++i) {
    const PerformanceEvent& e = take.events[i];
    const uint32_t scan = ScanCodeOf(e.keyData);
    const char* key = KeyName(scan);
    std::printf("%6zu %10u  %-8s %-14s %4u %5d  %s\n", i, e.delay, MessageText(e.message).c_str(),
                key ? key : "-", scan, e.octaveShift, NoteText(e, take.mode).c_str());
  }
}

// Why a file could not be opened for reading, as the system sees it.
std::string WhyNotOpened(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return "it is a folder, not a performance file";
  if (!S_ISREG(info.st_mode)) return "it is not a regular file";
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  return {};
}

// The second line of a refusal: what the message alone leaves unsaid.
std::string WhyRefused(const Failure& failure, const std::string& path,
                       const LoadedPerformance& loaded) {
  if (failure.kind == FailureKind::CannotOpen) return WhyNotOpened(path);
  if (failure.kind == FailureKind::NotSupported) {
    return "its mode id " + std::to_string(loaded.modeId) +
           " names none of the 24 keys of the Mode menu (1297..1305, 1312..1321, 1328..1332)";
  }
  return {};
}

}  // namespace

bool LoadTake(const std::string& path, Take& take) {
  LoadedPerformance loaded;
  Failure failure = LoadPerformanceFile(path, loaded);
  std::optional<AcceptedPerformance> accepted;
  if (!failure) accepted = AcceptLoadedPerformance(loaded);
  if (!failure && !accepted) failure = Fail(FailureKind::NotSupported, path);
  if (failure) {
    FileFailure(failure, path);
    const std::string why = WhyRefused(failure, path, loaded);
    if (!why.empty()) std::fprintf(stderr, "tangrel-tool: %s: %s\n", path.c_str(), why.c_str());
    return false;
  }
  take.events = std::move(loaded.events);
  take.mode = accepted->mode;
  take.bourdon = accepted->bourdon;
  return true;
}

int FileFailure(const Failure& failure, const std::string& name) {
  std::fprintf(stderr, "tangrel-tool: %s\n",
               FormatFileMessage(ToolText(FailureMessage(failure.kind)).c_str(), name).c_str());
  if (const char* cause = FailureCause(failure)) {
    std::fprintf(stderr, "tangrel-tool: %s\n", ToolText(cause).c_str());
  }
  return kExitFailure;
}

bool OutputIsInput(const std::string& input, const std::string& output) {
  struct stat in, out;
  const bool same =
      stat(input.c_str(), &in) == 0 &&
      (output == "-" ? fstat(STDOUT_FILENO, &out) : stat(output.c_str(), &out)) == 0 &&
      in.st_dev == out.st_dev && in.st_ino == out.st_ino;
  if (same) {
    std::fprintf(stderr, "tangrel-tool: %s is the input file %s; it was left as it is\n",
                 output.c_str(), input.c_str());
  }
  return same;
}

Failure OpenOutput(const std::string& name, FileWriter& out) {
  return name == "-" ? out.OpenStandardOutput() : out.Open(name);
}

int RunInfo(const ParsedCommand& command) {
  Take take;
  if (!LoadTake(command.arguments[0], take)) return kExitFailure;
  const std::vector<uint64_t> times = PlaybackTimesMs(take.events);
  std::printf("events: %zu\n", take.events.size());
  std::printf("mode: %d %s\n", take.mode, ModeName(take.mode).c_str());
  std::printf("bourdon: %d\n", take.bourdon);
  // As playback times it: the recorded delays, end to end.
  std::printf("length: %.3f s\n", times.empty() ? 0.0 : static_cast<double>(times.back()) / 1000.0);
  if (command.Has("--events")) PrintEvents(take);
  return kExitOk;
}

int RunExportMidi(const ParsedCommand& command) {
  const std::string& in = command.arguments[0];
  const std::string& out = command.arguments[1];
  Take take;
  if (OutputIsInput(in, out) || !LoadTake(in, take)) return kExitFailure;
  const auto mode = static_cast<ModeId>(command.Integer("--mode").value_or(take.mode));
  const auto bourdon = static_cast<int32_t>(command.Integer("--bourdon").value_or(take.bourdon));
  const auto program = static_cast<int32_t>(command.Integer("--program").value_or(0));
  FileWriter writer;
  Failure failure = OpenOutput(out, writer);
  if (!failure) {
    failure = ExportMidiFile(take.events.data(), static_cast<uint32_t>(take.events.size()), mode,
                             program, bourdon, writer);
  }
  if (failure) return FileFailure(failure, out);
  return kExitOk;
}

}  // namespace tangrel::tool
