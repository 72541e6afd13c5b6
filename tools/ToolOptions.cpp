// SPDX-License-Identifier: GPL-3.0-or-later
// tangrel-tool's command lines, read by Qt's command-line parser against the
// command's table.
#include "tools/ToolOptions.h"

#include <QCommandLineParser>
#include <QStringList>
#include <charconv>

namespace tangrel::tool {
namespace {

QString OptionName(const OptionSpec& option) {
  return QString::fromLatin1(option.name).mid(2);  // "--program" -> "program"
}

// --help or -h before any "--" asks for help, whatever else is wrong.
bool AsksForHelp(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "--") return false;
    if (word == "--help" || word == "-h") return true;
  }
  return false;
}

ParseResult Error(std::string message) { return {ParseResult::Status::Error, {}, std::move(message)}; }

}  // namespace

std::optional<int64_t> WholeNumber(const std::string& text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<int64_t> ParsedCommand::Integer(const std::string& name) const {
  auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> ParsedCommand::Text(const std::string& name) const {
  auto found = options.find(name);
  if (found == options.end()) return std::nullopt;
  return found->second;
}

ParseResult ParseCommandLine(const CommandSpec& syntax, const std::vector<std::string>& words) {
  if (AsksForHelp(words)) return {ParseResult::Status::Help, {}, {}};
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const OptionSpec& option : syntax.options) {
    parser.addOption(option.valueName ? QCommandLineOption(OptionName(option), {},
                                                           QString::fromLatin1(option.valueName))
                                      : QCommandLineOption(OptionName(option)));
  }
  QStringList arguments{QStringLiteral("tangrel-tool")};  // the parser skips the program's name
  for (const std::string& word : words) arguments << QString::fromStdString(word);
  if (!parser.parse(arguments)) return Error(parser.errorText().toStdString());

  ParsedCommand command;
  for (const OptionSpec& option : syntax.options) {
    if (!parser.isSet(OptionName(option))) continue;
    const std::string text = option.valueName ? parser.value(OptionName(option)).toStdString() : "";
    if (option.read) {
      int64_t value = 0;
      std::string why;
      if (!option.read(text, value, why)) {
        return Error(std::string(option.name) + " " + text + ": " + why);
      }
      command.values[option.name] = value;
    }
    command.options[option.name] = text;
  }
  for (const QString& argument : parser.positionalArguments()) {
    command.arguments.push_back(argument.toStdString());
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
