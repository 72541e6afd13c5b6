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

int RunInfo(const ParsedCommand& command);
int RunExportMidi(const ParsedCommand& command);
int RunRender(const ParsedCommand& command);

}  // namespace tangrel::tool
