// mdhost: a command-line host that drives the plug-in as the music-library
// application would.
#include <algorithm>
#include <iostream>

#include "mdhost/command.h"

namespace {

void PrintCommand(const Command& command, std::ostream& out) {
  out << "  " << command.usage << "\n      " << command.summary << "\n";
}

// The session's options, printed from the list the commands accept.
void PrintSessionOptions(std::ostream& out) {
  out << "\n" << kSessionOptionsWord << ", taken by every command that loads the plug-in:\n";
  for (const SessionOption& option : SessionOptions()) {
    std::string shown = std::string(option.name) + (*option.value ? " " : "") + option.value;
    shown.resize(std::max<size_t>(shown.size() + 1, 18), ' ');
    out << "  " << shown << option.help << "\n";
  }
  out << "  without --players or --player, watching starts with no players instead of the built-in sample\n";
}

void PrintEndOfOptions(std::ostream& out) {
  out << "\n\"--\" ends the options: what follows is a name even when it starts with \"-\"\n";
}

int PrintUsage(std::ostream& out) {
  out << "usage: mdhost COMMAND [options]\n\ncommands:\n";
  for (const Command& command : AllCommands()) PrintCommand(command, out);
  PrintSessionOptions(out);
  PrintEndOfOptions(out);
  return kExitBadInput;
}

int PrintCommandHelp(const Command& command) {
  std::cout << "usage:\n";
  PrintCommand(command, std::cout);
  if (command.takesSessionOptions) PrintSessionOptions(std::cout);
  PrintEndOfOptions(std::cout);
  return kExitOk;
}

// mdhost help [COMMAND]
int RunHelp(int argc, char** argv) {
  if (argc < 3) {
    PrintUsage(std::cout);
    return kExitOk;
  }
  const Command* command = FindCommand(argv[2]);
  if (!command) {
    std::cerr << "mdhost help: no command " << argv[2] << " (mdhost help lists them)\n";
    return kExitBadInput;
  }
  if (argc > 3) {
    std::cerr << "mdhost help: one command at a time\n";
    return kExitBadInput;
  }
  return PrintCommandHelp(*command);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return PrintUsage(std::cerr);
  const std::string name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") return RunHelp(argc, argv);
  const Command* command = FindCommand(name);
  if (!command) {
    std::cerr << "mdhost: unknown command '" << name << "'\n";
    return PrintUsage(std::cerr);
  }
  CommandLine line;
  line.program = argv[0];
  std::string problem;
  // Before anything is loaded or touched: a misspelt option must not run.
  if (!ReadCommandLine(*command, std::vector<std::string>(argv + 2, argv + argc), &line, &problem)) {
    std::cerr << problem << "\n";
    return kExitBadInput;
  }
  // mdhost COMMAND --help, a newcomer's way of asking, reads as mdhost help COMMAND.
  if (line.helpAsked) return PrintCommandHelp(*command);
  try {
    return command->run(line);
  } catch (const std::exception& error) {
    std::cerr << "mdhost " << name << ": " << error.what() << "\n";
    return kExitFailure;
  }
}
