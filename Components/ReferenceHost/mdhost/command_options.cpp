// Which options each command takes, and the refusal of any other: a
// misspelt --yes or --json must not quietly do something else.
#include <algorithm>

#include "mdhost/command.h"

const char kSessionOptionsWord[] = "[SESSION OPTIONS]";

const std::vector<SessionOption>& SessionOptions() {
  static const std::vector<SessionOption> options = {
      {"--players", "FILE", "the players a description holds (the built-in sample by default)"},
      {"--player", "DIR", "the folder DIR is a player with one medium (Linux; repeatable)"},
      {"--watch-root", "DIR", "every folder in DIR is a player while it is there (Linux; repeatable)"},
      {"--watch-mounts", "",
       "every removable medium the desktop mounts (/media/$USER, /run/media/$USER) is a player (Linux)"},
      {"--manifest", "FILE", "the device settings and skip entries of a manifest"},
      {"--reg", "FILE", "a registry export the plug-in reads instead of the registry (repeatable)"},
      {"--plugin", "PATH", "the plug-in module to load instead of the one beside mdhost"},
      {"-v", "", "print the plug-in's log lines and the changes it reports"},
  };
  return options;
}

const std::vector<std::string>& SessionValueOptions() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> result;
    for (const SessionOption& option : SessionOptions())
      if (*option.value) result.push_back(option.name);
    return result;
  }();
  return names;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& command : AllCommands())
    if (name == command.name) return &command;
  return nullptr;
}

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

bool IsSessionFlag(const std::string& name) {
  for (const SessionOption& option : SessionOptions())
    if (!*option.value && name == option.name) return true;
  return false;
}

}  // namespace

bool ReadCommandLine(const Command& command, const std::vector<std::string>& args, CommandLine* line,
                     std::string* problem) {
  const std::string prefix = std::string("mdhost ") + command.name + ": ";
  line->valueOptions = command.valueOptions;
  if (command.takesSessionOptions)
    line->valueOptions.insert(line->valueOptions.end(), SessionValueOptions().begin(), SessionValueOptions().end());
  // The first reason to refuse is kept while the rest is read, since a
  // --help further on asks for the usage, which answers the mistake too.
  std::string refusal;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      line->operands.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    line->args.push_back(arg);
    if (arg.empty() || arg[0] != '-') continue;
    if (Contains(line->valueOptions, arg)) {
      if (i + 1 < args.size())
        line->args.push_back(args[++i]);
      else if (refusal.empty())
        refusal = prefix + arg + " needs a value";
    } else if (IsHelpOption(arg)) {
      line->helpAsked = true;
    } else if (!Contains(command.flags, arg) && !(command.takesSessionOptions && IsSessionFlag(arg)) &&
               refusal.empty()) {
      refusal = prefix + "unknown option " + arg + " (mdhost help " + command.name + " lists them)";
    }
  }
  if (line->helpAsked) return true;
  const std::vector<std::string> positionals = line->Positionals();
  if (refusal.empty() && positionals.size() > command.maxPositionals)
    refusal = prefix + "stray word " + positionals[command.maxPositionals] + " (mdhost help " + command.name +
              " shows what it takes)";
  *problem = refusal;
  return refusal.empty();
}
