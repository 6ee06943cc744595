// mdhost's subcommands: each lives in its own file and is listed once in
// command_table.cpp, with the options it takes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct CommandLine {
  std::string program;
  std::vector<std::string> args;      // after the subcommand's name, up to a "--"
  std::vector<std::string> operands;  // after "--": names, whatever they start with
  // The options that take a value, as the command declares them.
  std::vector<std::string> valueOptions;
  // --help (or -h) among the options: the command's help is shown instead.
  bool helpAsked = false;

  bool Has(const std::string& flag) const;
  // The values following every occurrence of `option` (e.g. --reg A --reg B).
  std::vector<std::string> Values(const std::string& option) const;
  std::string Value(const std::string& option, const std::string& fallback = "") const;
  // Arguments that are neither options nor option values, the operands last.
  std::vector<std::string> Positionals() const;

 private:
  // How many arguments the one at `i` spans: an option with its value two.
  size_t Span(size_t i) const;
};

// A command with no limit on its positionals (send's files, playlist set's tracks).
constexpr size_t kAnyNumber = static_cast<size_t>(-1);

struct Command {
  const char* name;
  const char* usage;  // holds kSessionOptionsWord where the session's options go
  const char* summary;
  int (*run)(const CommandLine& line);
  bool takesSessionOptions;
  std::vector<std::string> flags;         // its own, besides the session's
  std::vector<std::string> valueOptions;  // its own, besides the session's
  // The most positionals (names, numbers) it reads: one more is a stray
  // word the command would otherwise ignore (`mdhost devices json`).
  size_t maxPositionals = kAnyNumber;
};

// An option of a plug-in session (HostSession), which every command that
// loads the plug-in takes; `value` names what follows it, empty for a flag.
struct SessionOption {
  const char* name;
  const char* value;
  const char* help;
};
const std::vector<SessionOption>& SessionOptions();
extern const char kSessionOptionsWord[];

// The session's options that take a value.
const std::vector<std::string>& SessionValueOptions();

// Every subcommand, in the order `mdhost help` lists them.
const std::vector<Command>& AllCommands();
const Command* FindCommand(const std::string& name);

// Splits the arguments after the command's name into `line`; false with a
// one-line reason for an option the command does not take, one left without
// its value, or a positional past the most it reads. Anything starting with
// "-" is an option, up to "--". --help anywhere among the options wins over
// any such reason (line->helpAsked).
bool ReadCommandLine(const Command& command, const std::vector<std::string>& args, CommandLine* line,
                     std::string* problem);

// Exit statuses shared by the subcommands.
// kExitInterrupted: stopped by Ctrl-C between files, as a shell reports an
// interrupted program.
enum ExitStatus { kExitOk = 0, kExitFailure = 1, kExitBadInput = 2, kExitInterrupted = 130 };
