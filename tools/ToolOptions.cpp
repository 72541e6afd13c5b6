// The table-driven command-line parser of tangrel-tool.
#include "tools/ToolOptions.h"

#include <cerrno>
#include <cstdlib>

namespace tangrel::tool {
namespace {

const OptionSpec* FindOption(const CommandSpec& syntax, const std::string& name) {
  for (const OptionSpec& option : syntax.options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

std::optional<int64_t> ParseInteger(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return value;
}

// Empty when the value suits the option, else what is wrong with it.
std::string CheckValue(const OptionSpec& option, const std::string& value) {
  if (option.kind != OptionKind::Integer) return {};
  auto number = ParseInteger(value);
  if (!number || *number < option.min || *number > option.max ||
      (option.accepts && !option.accepts(*number))) {
    return std::string("invalid value '") + value + "' for " + option.name;
  }
  return {};
}

ParseResult Error(std::string message) { return {ParseResult::Status::Error, {}, std::move(message)}; }

}  // namespace

std::optional<int64_t> ParsedCommand::Integer(const std::string& name) const {
  auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return ParseInteger(found->second);
}

std::optional<std::string> ParsedCommand::Text(const std::string& name) const {
  auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

ParseResult ParseCommandLine(const CommandSpec& syntax, const std::vector<std::string>& words) {
  ParsedCommand command;
  bool optionsEnded = false;  // after "--" every word is an argument
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && (word == "--help" || word == "-h")) return {ParseResult::Status::Help, {}, {}};
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      command.arguments.push_back(word);
      continue;
    }
    const size_t equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const OptionSpec* option = FindOption(syntax, name);
    if (!option) return Error("unknown option " + name);
    std::string value;
    if (option->kind == OptionKind::Flag) {
      if (equals != std::string::npos) return Error(name + " takes no value");
    } else if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      return Error(name + " needs a value");
    }
    std::string problem = CheckValue(*option, value);
    if (!problem.empty()) return Error(problem);
    command.options[name] = value;
  }
  if (command.arguments.size() != syntax.arguments.size()) {
    return Error(command.arguments.size() < syntax.arguments.size() ? "missing arguments"
                                                                   : "too many arguments");
  }
  return {ParseResult::Status::Ok, std::move(command), {}};
}

std::string UsageLine(const CommandSpec& syntax) {
  std::string line = std::string("tangrel-tool ") + syntax.name;
  for (const char* argument : syntax.arguments) line += std::string(" ") + argument;
  for (const OptionSpec& option : syntax.options) {
    line += std::string(" [") + option.name;
    if (option.valueName) line += std::string(" ") + option.valueName;
    line += "]";
  }
  return line;
}

std::string HelpText(const CommandSpec& syntax) {
  std::string text = "usage: " + UsageLine(syntax) + "\n\n" + syntax.summary + "\n";
  if (!syntax.options.empty()) text += "\noptions:\n";
  for (const OptionSpec& option : syntax.options) {
    std::string left = std::string("  ") + option.name;
    if (option.valueName) left += std::string(" ") + option.valueName;
    if (left.size() < 22) left.resize(22, ' ');
    text += left + " " + option.help + "\n";
  }
  return text;
}

}  // namespace tangrel::tool
