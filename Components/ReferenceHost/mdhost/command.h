// mdhost's subcommands: each lives in its own file and is listed once in
// command_table.cpp.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  std::string program;
  std::vector<std::string> args;  // after the subcommand's name

  bool Has(const std::string& flag) const;
  // The values following every occurrence of `option` (e.g. --reg A --reg B).
  std::vector<std::string> Values(const std::string& option) const;
  std::string Value(const std::string& option, const std::string& fallback = "") const;
  // Arguments that are neither options nor option values.
  std::vector<std::string> Positionals(const std::vector<std::string>& optionsWithValues) const;
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const CommandLine& line);
};

// The options of a plug-in session (HostSession) that take a value.
const std::vector<std::string>& SessionValueOptions();

// Every subcommand, in the order `mdhost help` lists them.
const std::vector<Command>& AllCommands();

// Exit statuses shared by the subcommands.
// kExitInterrupted: stopped by Ctrl-C between files, as a shell reports an
// interrupted program.
enum ExitStatus { kExitOk = 0, kExitFailure = 1, kExitBadInput = 2, kExitInterrupted = 130 };
