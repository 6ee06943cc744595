#include "mdhost/command.h"

int RunInfo(const CommandLine& line);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info", "mdhost info [--plugin PATH]", "load the plug-in and print its name and version", RunInfo},
  };
  return commands;
}
