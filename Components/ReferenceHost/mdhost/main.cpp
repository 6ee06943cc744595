// mdhost: a command-line host that drives the plug-in as the music-library
// application would.
#include <iostream>

#include "mdhost/command.h"

namespace {

int PrintUsage(std::ostream& out) {
  out << "usage: mdhost COMMAND [options]\n\ncommands:\n";
  for (const Command& command : AllCommands()) out << "  " << command.usage << "\n      " << command.summary << "\n";
  out << "\nplayers from folders (Linux), with every command that loads the plug-in:\n"
         "  --watch-root DIR   every folder in DIR is a player while it is there (repeatable)\n"
         "  --watch-mounts     every removable medium the desktop mounts (/media/$USER, /run/media/$USER) is a "
         "player\n"
         "  without --players, watching starts with no players instead of the built-in sample\n";
  return kExitBadInput;
}

// The options that take a value, whichever command they belong to.
const char* const kOptionsWithValues[] = {"--players", "--player", "--manifest", "--reg", "--script", "--seconds",
                                          "--plugin", "--watch-root", "--port", "--upload-limit"};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return PrintUsage(std::cerr);
  const std::string name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    PrintUsage(std::cout);
    return kExitOk;
  }
  for (const Command& command : AllCommands()) {
    if (name != command.name) continue;
    CommandLine line;
    line.program = argv[0];
    for (int i = 2; i < argc; ++i) line.args.push_back(argv[i]);
    if (!line.args.empty())
      for (const char* option : kOptionsWithValues)
        if (line.args.back() == option) {
          std::cerr << "mdhost " << name << ": " << option << " needs a value\n";
          return kExitBadInput;
        }
    try {
      return command.run(line);
    } catch (const std::exception& error) {
      std::cerr << "mdhost " << name << ": " << error.what() << "\n";
      return kExitFailure;
    }
  }
  std::cerr << "mdhost: unknown command '" << name << "'\n";
  return PrintUsage(std::cerr);
}
