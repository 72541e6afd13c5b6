// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line parsing for tangrel-tool: each command declares its arguments
// and options as a table; Qt's command-line parser reads the words, and each
// option's reader turns its text into the value the command uses.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tangrel::tool {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a file could not be read, written or rendered
constexpr int kExitUsage = 2;    // the command line was wrong

// Reads an option's text into `value`; false with the reason in `why` when it
// is not a value the option takes.
using ReadOption = bool (*)(const std::string& text, int64_t& value, std::string& why);

struct OptionSpec {
  const char* name;       // "--program"
  const char* valueName;  // "P" in the usage line; null for a flag
  ReadOption read;        // null for a flag or a text
  const char* help;
};

struct ParsedCommand {
  std::vector<std::string> arguments;
  std::map<std::string, std::string> options;  // name -> text ("" for a flag)
  std::map<std::string, int64_t> values;       // name -> what its reader made of it

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // The value an option's reader made (a track is its channel, a mode its id).
  std::optional<int64_t> Integer(const std::string& name) const;
  std::optional<std::string> Text(const std::string& name) const;
};

struct CommandSpec {
  const char* name;
  std::vector<const char*> arguments;  // "FILE.tgi", "OUT.wav"
  std::vector<OptionSpec> options;
  const char* summary;
  int (*run)(const ParsedCommand&);
};

struct ParseResult {
  enum class Status { Ok, Help, Error } status;
  ParsedCommand command;
  std::string error;  // for Error
};

// Reads the words after the command name. "--name value" and "--name=value"
// are both accepted; --help anywhere asks for the command's help; "--" ends
// the options, and "-" alone is an argument.
ParseResult ParseCommandLine(const CommandSpec& syntax, const std::vector<std::string>& words);

// The one reader of whole numbers on the command line: an optional minus and
// decimal digits, nothing else, within int64_t.
std::optional<int64_t> WholeNumber(const std::string& text);

// "tangrel-tool info FILE.tgi [--events]"
std::string UsageLine(const CommandSpec& syntax);
// The usage line, the summary and one line per option.
std::string HelpText(const CommandSpec& syntax);

}  // namespace tangrel::tool
