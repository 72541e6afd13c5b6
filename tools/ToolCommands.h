// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of tangrel-tool, each run on a parsed command line and
// returning the exit code.
#pragma once

#include <string>
#include <vector>

#include "files/PerformanceFile.h"
#include "tools/ToolOptions.h"

namespace tangrel::tool {

// A performance file as the window takes it in.
struct Take {
  std::vector<PerformanceEvent> events;
  ModeId mode = kFirstModeId;
  int32_t bourdon = 0;
};

// Loads a file under the window's rule for accepting it; on refusal prints the
// load message, with the file name in place of "%s", on standard error.
bool LoadTake(const std::string& path, Take& take);

// Prints a failure's message with the name in place of "%s", and its cause on
// a line of its own, on standard error; gives the exit code of a failure.
int FileFailure(const Failure& failure, const std::string& name);

// True, after saying so, when the output names the input file itself, through
// any name or link: a command never writes over what it reads.
bool OutputIsInput(const std::string& input, const std::string& output);
// Opens where a command writes: "-" is standard output, any other name a file.
Failure OpenOutput(const std::string& name, FileWriter& out);

int RunInfo(const ParsedCommand& command);
int RunExportMidi(const ParsedCommand& command);
int RunRender(const ParsedCommand& command);

}  // namespace tangrel::tool
