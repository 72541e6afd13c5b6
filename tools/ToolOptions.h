// Command-line parsing for tangrel-tool: each command declares its arguments
// and options as a table, and one parser reads any command line against it.
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

enum class OptionKind { Flag, Integer, Text };

struct OptionSpec {
  const char* name;       // "--program"
  OptionKind kind;
  const char* valueName;  // "P" in the usage line; null for a flag
  int64_t min;            // Integer only: the accepted range
  int64_t max;
  bool (*accepts)(int64_t);  // Integer only, may be null: a further check
  const char* help;
};

struct ParsedCommand {
  std::vector<std::string> arguments;
  std::map<std::string, std::string> options;  // name -> value ("" for a flag)

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  // Only for options the parser has checked as integers.
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

// "tangrel-tool info FILE.tgi [--events]"
std::string UsageLine(const CommandSpec& syntax);
// The usage line, the summary and one line per option.
std::string HelpText(const CommandSpec& syntax);

}  // namespace tangrel::tool
