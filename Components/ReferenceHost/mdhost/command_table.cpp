#include "mdhost/command.h"

int RunInfo(const CommandLine& line);
int RunManifest(const CommandLine& line);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info", "mdhost info [--plugin PATH]", "load the plug-in and print its name and version", RunInfo},
      {"manifest", "mdhost manifest FILE [--json]",
       "print the device settings and skip entries the plug-in reads from a manifest file", RunManifest},
  };
  return commands;
}
